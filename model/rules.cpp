// The rules a board set must keep, as plain tests without messages.
#include <algorithm>

#include "model/rules.h"

namespace kdz {

int list_index(const value_list* list, std::int32_t value) {
  for (int i = 0; i < list->count && i < MAX_VALUES; ++i) {
    if (list->values[i] == value) return i;
  }
  return -1;
}

value_list ioa_choices(const value_list* primary, const value_list* extras) {
  value_list choices{};
  for (const value_list* part : {primary, extras}) {
    for (int i = 0; i < part->count && choices.count < MAX_VALUES; ++i) {
      choices.values[choices.count++] = part->values[i];
    }
  }
  return choices;
}

bool type_on_bus(const btype_rec* type, int bus) {
  return type->bus == bus;
}

bool class_on_bus(const btype_rec* type, int bus) {
  return type_on_bus(type, bus) && type->class_[0] != '\0';
}

bool mode_allowed(int mode, int modes) {
  return (mode == MODE_INTERRUPT || mode == MODE_POLL) && (modes & mode) != 0;
}

bool mode_can_change(int modes) {
  return mode_allowed(MODE_INTERRUPT, modes) && mode_allowed(MODE_POLL, modes);
}

bool too_many_boards(int nboards) {
  return nboards > EDIT_MAX_BOARDS;
}

std::uint16_t forced_size(int bus, std::uint16_t ioa) {
  return bus == BUS_MC && ioa != 0 ? 16 : 0;
}

dp_fault dp_addr_fault(std::uint32_t addr, std::uint16_t attr, int size) {
  if (addr > 0xFFFFFu && (attr & ATTR_EXTMEM) == 0) return DP_ABOVE_1MB;
  // The bit test itself: a size of 0 makes the mask all ones, so only 0 passes.
  const std::uint32_t mask = static_cast<std::uint32_t>(size) * 1024u - 1u;
  if ((addr & mask) != 0) return DP_OFF_BOUNDARY;
  return DP_OK;
}

namespace {

bool is_eisa(const catalog& cat, const board_rec& b) {
  return cat.config.types[b.type].t_code == EISA_T_CODE;
}

// Tells the two boards of the offending pair, the lower index first.
irq_fault broken_by(irq_fault fault, int i, int j, int* pair) {
  if (pair != nullptr) {
    pair[0] = std::min(i, j);
    pair[1] = std::max(i, j);
  }
  return fault;
}

}  // namespace

irq_fault irq_rule_broken(const catalog& cat, const params_rec* set, int* pair) {
  if (set->mode == MODE_POLL) return IRQ_OK;
  const int n = std::min<int>(set->nboards, MAX_BOARDS);
  const auto& b = set->boards;
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      if (i != j && is_eisa(cat, b[i]) && !is_eisa(cat, b[j]) && b[i].irq == b[j].irq) {
        return broken_by(IRQ_EISA_SHARED, i, j, pair);
      }
    }
  }
  bool all_same = true;
  for (int i = 1; i < n; ++i) all_same = all_same && b[i].irq == b[0].irq;
  if (all_same) return IRQ_OK;
  for (int i = 0; i < n; ++i) {
    for (int j = i + 1; j < n; ++j) {
      if (b[i].irq == b[j].irq) return broken_by(IRQ_MIXED, i, j, pair);
    }
  }
  return IRQ_OK;
}

}  // namespace kdz
