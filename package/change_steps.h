// package, the layer above model: the package directory and its files (port_lines.h says it
// whole).
//
// change_steps.h: the steps of a change (change.h), for the files of the module alone.
#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/files.h"
#include "package/change.h"

namespace kdz {

// One file of a change as step (1) found and left it.
struct staged_file {
  std::string dest;      // the file itself: symbolic links followed, unless replaced as a name
  struct stat st {};     // what stood there when it was looked at
  bool here = false;     // a file stood there (not a link to be replaced as a name)
  bool changes = false;  // its text is not what stands there
  std::string next;      // the staging name of its new contents, or ""
  std::string old;       // the staging name of its previous version, or ""
  std::string old_dest;  // "<file>.old", for a file that keeps its previous version
  bool direct = false;   // in a directory that takes no new file: rewritten in place, unrecorded
  std::string old_text;  // for a file rewritten so: its previous version, for "<file>.old"
};

// Step (1), its first half, for the file `f` of a change recorded in `at`: what stands at
// its destination and whether it changes, and the failures that need nothing made (where
// fopen would fail, a ".old" name of another kind, a path the record cannot hold), as
// make_change says. Nothing is made or changed.
error inspect_one(const program_files& at, const change_file& f, staged_file& s);
// Its second half, for a file that changes: its staging names made, the room of a file
// rewritten in place reserved. A failure comes back as make_change says, nothing left.
error stage_one(const change_file& f, staged_file& s);
// Removes the staging names of `s`.
void drop_staged(staged_file& s);

// A line of the record: a staging name and the destination it is to take the place of, kept
// where the line was made.
struct record_line {
  const std::string* staging;
  const std::string* dest;
};
// Step (2): the record of `lines` written, flushed and renamed to ".kdz-change" in `at`; the
// directories of the staging names flushed before, the record's after. A failure comes back
// as "record_change: write(<path>) " and the error text, no record left.
error write_record(const program_files& at, const std::vector<record_line>& lines);
// Step (3): carries out `lines`, the record of `at` as written, each as finish_change does,
// then flushes the directories of the destinations and removes the record. The bare names
// of the destinations go into `names` when it is given. A failure: `failed_line` is the line
// that failed, the record stays.
error carry_out_record(const program_files& at, const std::vector<record_line>& lines,
                       bool names_only, std::string* names, std::size_t& failed_line);
// The path of the record of `at`.
std::string record_path(const program_files& at);
// `path` as the record of `at` holds it: relative to the record's directory where it lies
// there or below, absolute elsewhere.
std::string recorded(const program_files& at, const std::string& path);
// Appends recorded(at, path) to `text`.
void append_recorded(std::string& text, const program_files& at, const std::string& path);

}  // namespace kdz
