// check, the layer above package: the check `editpar -c` and its map `editpar -m`. It judges
// the catalog and a parameter set by the model's rules and a few that protect the driver
// package; each finding is a rule broken, with the file and line it is about.
//
// check.h: the findings, the check, and their lines as the programs print them.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "base/files.h"
#include "model/board_set.h"
#include "model/catalog.h"
#include "model/records.h"

namespace kdz {

// Where a finding stands on the resource map: with a board's irq, I/O range or memory
// window, or nowhere.
enum map_place { ON_NOTHING, ON_IRQ, ON_IO_RANGE, ON_WINDOW };
struct finding {
  check_file file;
  int line;   // 0 when there is no line to point at
  int board;  // the board it is about (from 0), or -1
  map_place place;
  std::string text;  // its own words
  int other = -1;    // the other board a finding about two boards names (from 0), or -1
};
// The values of `list` as "3, 5, 7", in hexadecimal when `hex`, for a finding or a
// refusal that names what a type offers.
std::string list_text(const value_list& list, bool hex);
// The paths the findings name, as the program formed them.
struct check_paths {
  path_ptr cfg, par, dces;
};

// The paths of "cfg", "par" and the old DCE list "dces" (as the package table names it) in
// the package directory; make_path's failure when one cannot be formed.
error form_check_paths(const program_files& at, check_paths& paths);
// The old DCE list at paths.dces, read as buildc reads it; when it cannot be read, no port is
// a DCE line, and nothing is said (the check judges "par", and buildc refuses such a file
// itself).
port_state old_dces(const check_paths& paths);
// What the readers could not use and the check can point at: a board dropped for an
// unknown type, the first line of each file whose last word ends in a carriage return.
std::vector<finding> reader_findings(const catalog& cat, const board_set& set);
// The rules of the catalog, whatever "par" holds: the package name, texts that kdzspc.h
// could not hold, types that "par" cannot name, I/O addresses that pass ffff.
std::vector<finding> catalog_findings(const catalog& cat);
// The rules of the parameter set, at the lines of set.lines: the mode, the number of
// boards, each board's values against its type, shared irqs, overlapping I/O ranges,
// memory windows, and minor numbers that the old "dces" (`ports`) would repeat.
std::vector<finding> parameter_findings(const catalog& cat, const board_set& set,
                                        const port_state& ports);
// All three, sorted by file (cfg, par, dces) and line, the rules' order kept within a line.
std::vector<finding> all_findings(const catalog& cat, const board_set& set,
                                  const port_state& ports);
// The number of all_findings, formatting none of them: what `editpar -c` reports but for the
// readers' warnings.
int count_findings(const catalog& cat, const board_set& set, const port_state& ports);
// Writes `f` as one line: `prefix`, "PATH:LINE: " ("PATH: " without a line), "board N: "
// for a board's finding, then its words.
void print_finding(std::FILE* out, const char* prefix, const check_paths& paths, const finding& f);
// That line without its newline.
std::string finding_line(const char* prefix, const check_paths& paths, const finding& f);
// The check `editpar -c`: writes all_findings to `out`, and returns their number plus
// `warnings`, the number of the readers' warnings. `ports` is the old DCE list (old_dces).
int check_set(const check_paths& paths, const catalog& cat, const board_set& set,
              const port_state& ports, int warnings, std::FILE* out);

}  // namespace kdz
