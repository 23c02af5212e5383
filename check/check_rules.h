// check, the layer above package: the check `editpar -c` and its map `editpar -m` (check.h
// says it whole).
//
// check_rules.h: what the rules of the check share: where they put what they find. The check
// `editpar -c` keeps every finding with its words; buildc, after writing, only counts them, and a
// finding's words are formatted only where they are kept.
#pragma once

#include <vector>

#include "check/check.h"
#include "model/board_set.h"
#include "model/catalog.h"
#include "model/records.h"

namespace kdz {

// The findings of the rules run so far: kept whole, or only counted.
struct finding_sink {
  std::vector<finding>* kept = nullptr;  // null: only counted
  int count = 0;
};

// Adds a finding about `file` at `line` (0 for none), about board `board` (from 0, or -1)
// and the `other` board it names (or -1), standing at `place` on the map; `words()` gives
// its words, and is called only when the sink keeps findings.
template <typename Words>
void add_finding(finding_sink& sink, check_file file, int line, int board, map_place place,
                 const Words& words, int other = -1) {
  ++sink.count;
  if (sink.kept != nullptr) sink.kept->push_back({file, line, board, place, words(), other});
}

// The rules whose findings reader_findings, catalog_findings and parameter_findings
// return, in the same order, into `out`.
void reader_rules(const catalog& cat, const board_set& set, finding_sink& out);
void catalog_rules(const catalog& cat, finding_sink& out);
void parameter_rules(const catalog& cat, const board_set& set, const port_state& ports,
                     finding_sink& out);

}  // namespace kdz
