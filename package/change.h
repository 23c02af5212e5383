// package, the layer above model: the package directory and its files (port_lines.h says it
// whole).
//
// change.h: the files of a package changed as one unit, a change, so that after a crash, a
// kill or a power loss at any instant the next run finds every file of it old, or every one
// new. A writer hands over its files as a list; it knows nothing of what follows.
// (1) Under the writers' lock (locks.h), each new file is written whole under its staging
//     name beside its destination and flushed; the previous version of each file that keeps
//     one is staged too (a hard link, or a flushed copy); a destination of several hard
//     links, to be rewritten in place, gets its room reserved. A failure: every staging name
//     removed, nothing replaced.
// (2) The record, one line "STAGING DESTINATION" per name to take its place (relative to the
//     record's directory, absolute where it lies elsewhere), then "end", is written, flushed
//     and renamed to ".kdz-change" in the package directory, which is flushed: from here the
//     change is decided.
// (3) Each line is carried out from the record: the staging name renamed onto its
//     destination, or, for a destination that keeps other names, copied into it in place and
//     removed; a line whose staging name is gone was done. Then the directories of the
//     destinations are flushed and the record removed. The next writing run repeats (3) from
//     a record that a crash left; a record without its "end" was never decided, and only its
//     staging names go.
// Where a directory takes no new file, its files are rewritten in place, without a record:
// such a change is not whole.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "base/files.h"
#include "package/locks.h"

namespace kdz {

// One file of a change.
struct change_file {
  const char* func;       // the function its messages name ("build_init")
  std::string path;       // the destination as formed ("./Init"), which its messages name
  std::string_view text;  // what it is to hold, kept by the caller while the change is made
  bool keep_old = false;  // its previous version becomes "<file>.old", one generation
  bool as_name = false;   // the name itself is replaced: a symbolic or hard link found there
                          // is replaced, never written through
};

// What making a change came to.
struct change_outcome {
  error_list told;     // the failures, a file's in the order of the files
  bool stale = false;  // nothing done: the writers' lock file appeared since the caller read
                       // what it wrote from; read it again (the lock is now held) and retry
};

// Makes `files` one change of the package directory `at`, under its writers' lock `lock`;
// where `lock` is not held and some file changes, ".kdz-lock" is made and locked first
// (create_package_lock). A file that already holds its text is no part of the change; when
// none changes, nothing is written, flushed, recorded or made.
// - A destination where fopen(path, "w") would fail: "<func>: fopen(<path>) " and the error
//   text (a FIFO or a device: not_regular), as for any failure in step 1, where every file
//   is tried and each failure told; a ".old" name that is a directory or another kind of
//   file fails there too, as "write(<path>.old)" or not_regular; a destination whose path in
//   the record would hold a blank or a line end fails there; after any of them nothing is
//   replaced.
// - A failure in writing a staged file, or later, as "<func>: write(<path>) " (or
//   "write(<path>.old)") and the error text; one in writing the record as
//   "record_change: write(<dir>.kdz-change) ". After the record, the record stays, for the
//   next writing run to finish.
// - A lock held by a file that a killed run left (locks.h): that failure, kind busy, and
//   nothing made.
// SIGINT, SIGTERM and SIGHUP wait until the change is made or dropped.
[[nodiscard]] change_outcome make_change(const program_files& at, package_lock& lock,
                                         const std::vector<change_file>& files);

// For a run that changes the files of `at`: the writers' lock taken as the lock file stands
// (lock_package, waiting while another writer holds it); then a change that a crash left
// finished, said as the warning "finished an interrupted change: <names>" (the bare names of
// its destinations, one space between); then the staging names that killed runs left in the
// directory removed. The lock stays held in `lock` (where there is one). A change that
// cannot be finished comes back as "finish_change: write(<path>) " and the error text.
// With `names_only`, the record is one whose files are all replaced as names (buildc -o DIR).
[[nodiscard]] error_list open_package(const program_files& at, package_lock& lock,
                                      bool names_only = false);

// For a run that must not change the files of `at`: when a change is pending there, the
// failure "an interrupted change is pending in <dir>: the next buildc or editpar finishes
// it", the directory as where_files_are gives it. A run that does not hold the writers'
// lock (`lock`) first waits for any writer at work, whose record is no interrupted change.
error refuse_pending(const program_files& at, const package_lock& lock);

// Carries out step (3) from the record of `at`, as open_package does; with `names_only`, as
// for a change whose files are all replaced as names, no line is a copy in place. The bare
// names of the destinations go into `names`, one space between; after a failure,
// `failed_line` is the line, from 0, that failed and the record stays. A record without its
// "end" line only has its staging names removed, and `names` stays "".
error finish_change(const program_files& at, bool names_only, std::string& names,
                    std::size_t& failed_line);
// Removes every entry of the directory of `at` that has the staging form (staging_name);
// only while holding the writers' lock, with no record left.
void sweep_staging(const program_files& at);

}  // namespace kdz
