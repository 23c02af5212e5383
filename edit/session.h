// edit, the layer above check: the board editor (editor.h says it whole).
//
// session.h: the files of an editing session: "par" as the session read it, and the save
// that replaces "par" only while it is still that file, with the "Init" and "dces" that
// follow its boards.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "base/files.h"
#include "model/board_set.h"
#include "model/catalog.h"
#include "model/records.h"

namespace kdz {

// "par" as a session read it: whether it existed, and then the file it was (links
// followed) and its bytes.
struct par_as_read {
  bool existed = false;
  dev_t dev = 0;
  ino_t ino = 0;
  std::string bytes;
};
// load_params (same reports and statuses), also recording in `read` the file it read.
status load_par(const program_files& at, const catalog& cat, board_set& set, warning_list& warnings,
                par_as_read& read);
// Whether "par" of `at` is still the file `read` describes: the same device, inode and
// bytes, or still absent when it was absent. False also for a path that cannot be formed.
bool par_unchanged(const program_files& at, const par_as_read& read);

// How a session's save ended.
enum class save_end {
  saved,   // "par" holds the set (or already held it)
  aside,   // "par" changed since it was read: the set went to "par.new" (reported)
  failed,  // a file could not be written (reported)
};
// Saves the set while holding the writers' lock of the package directory (package_lock).
// When par_unchanged(at, read): "par" as save_params writes it and, when boards as read
// were deleted (set.moves), each file of the package table that follows the boards
// ("Init", then "dces") rewritten to follow them where it exists; all are staged first (a
// failure: nothing replaced), then placed in that order; when "par" cannot be placed, the
// others are not. Otherwise the set goes to "par.new" only,
// replaced whole, after "<prog>: par changed since it was read: your version is in
// <path>" on standard error. set.lines then tells where each value stands in the text
// written.
save_end save_session(const program_files& at, const catalog& cat, board_set& set,
                      const par_as_read& read);

// A file as a save would leave it: its name in the package directory, its bytes now ("" when
// it does not exist) and after the save.
struct file_preview {
  const char* name;
  std::string now;
  std::string after;
};
// What save_session would write when "par" is unchanged, writing nothing: "par" (now: as
// `read`), then, when boards as read were deleted, each file of the package table that
// follows the boards and exists. set.lines then tells where each value would stand in "par".
// False after a file that cannot be read (reported).
bool preview_session(const program_files& at, const catalog& cat, board_set& set,
                     const par_as_read& read, std::vector<file_preview>& files);

}  // namespace kdz
