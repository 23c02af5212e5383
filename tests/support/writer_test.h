// The catalog and boards that the writers' in-memory cases describe themselves with.
#pragma once

#include <cstring>
#include <vector>

#include "model/catalog.h"
#include "model/records.h"

namespace kdz {

// The types of test_catalog().
constexpr std::uint16_t M16 = 0, M8 = 1;

// Package "mux": type M16 of 16 ports, type M8 of 8 ports that can be DCE lines.
inline catalog test_catalog() {
  catalog cat{};
  std::strcpy(cat.config.pkg, "mux");
  std::strcpy(cat.config.copy, "mux boards");
  cat.config.ntypes = 2;
  std::strcpy(cat.config.types[M16].name, "m16");
  cat.config.types[M16].attr = ATTR_16PORT;
  std::strcpy(cat.config.types[M8].name, "m8");
  cat.config.types[M8].attr = ATTR_DCE;
  return cat;
}

// The boards on the AT bus in driver mode `mode`.
inline params_rec test_boards(int mode, const std::vector<board_rec>& boards) {
  params_rec ps{};
  ps.bus = BUS_AT;
  ps.mode = static_cast<std::uint8_t>(mode);
  for (const board_rec& b : boards) ps.boards[ps.nboards++] = b;
  return ps;
}

}  // namespace kdz
