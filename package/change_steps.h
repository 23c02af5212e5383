// package, the layer above model: the package directory and its files (port_lines.h says it
// whole).
//
// change_steps.h: the steps of a change (change.h), for the files of the module alone.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/files.h"
#include "package/change.h"

namespace kdz {

// One file of a change as step (1) left it.
struct staged_file {
  std::string dest;      // the file itself: symbolic links followed, unless replaced as a name
  std::string next;      // the staging name of its new contents, or ""
  std::string old;       // the staging name of its previous version, or ""
  bool direct = false;   // in a directory that takes no new file: rewritten in place, unrecorded
  std::string old_text;  // for a file rewritten so: its previous version, for "<file>.old"
  bool pending() const { return !next.empty() || direct; }
};

// Step (1) for the file `f` of a change recorded in `at`: `s` pending when it changes. A
// failure comes back as make_change says, nothing left.
error stage_one(const program_files& at, const change_file& f, staged_file& s);
// Removes the staging names of `s`.
void drop_staged(staged_file& s);

// A line of the record: a staging name and the destination it is to take the place of.
struct record_line {
  std::string staging, dest;
};
// Step (2): the record of `lines` written, flushed and renamed to ".kdz-change" in `at`; the
// directories of the staging names flushed before, the record's after. A failure comes back
// as "record_change: write(<path>) " and the error text, no record left.
error write_record(const program_files& at, const std::vector<record_line>& lines);
// The path of the record of `at`.
std::string record_path(const program_files& at);
// `path` as the record of `at` holds it: relative to the record's directory where it lies
// there or below, absolute elsewhere.
std::string recorded(const program_files& at, const std::string& path);

}  // namespace kdz
