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
// load_params (the same errors), also recording in `read` the file it read.
error load_par(const program_files& at, const catalog& cat, board_set& set, warning_list& warnings,
               par_as_read& read);
// Whether "par" of `at` is still the file `read` describes: the same device, inode and
// bytes, or still absent when it was absent. False also for a path that cannot be formed.
bool par_unchanged(const program_files& at, const par_as_read& read);

// Saves the set as one change of the package (package/change.h), under the writers' lock
// of the package directory, which it takes (finishing first what an interrupted run left,
// said as a warning) and lets go again. When par_unchanged(at, read): "par" as save_params
// writes it with "par.old" and, when boards as read were deleted (set.moves), each file of
// the package table that follows the boards ("Init", then "dces") rewritten to follow them
// where it exists, with its ".old"; every file that fails is told, and then none is
// replaced. Otherwise the set goes to "par.new" only, replaced as a name, and all it comes
// to is the failure "par changed since it was read: your version is in <path>". The set is
// saved when none of what comes back is a failure (kind busy: a lock held by a file a
// killed run left); set.lines then tells where each value stands in the text written.
[[nodiscard]] error_list save_session(const program_files& at, const catalog& cat, board_set& set,
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
// A file that cannot be read comes back as its error.
error preview_session(const program_files& at, const catalog& cat, board_set& set,
                      const par_as_read& read, std::vector<file_preview>& files);

}  // namespace kdz
