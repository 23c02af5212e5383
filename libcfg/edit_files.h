// The files of an editing session: the lock that keeps two editors of one "par" apart,
// "par" as the session read it, and the save that replaces "par" only while it is still
// that file.
#pragma once

#include <sys/types.h>

#include <array>
#include <string>
#include <string_view>

#include "libcfg/libcfg.h"

// flock(fd, LOCK_EX | LOCK_NB) on the open directory `fd`: 0 when taken, else -1 with errno
// set. Alone in its file, so that a test can link in one that fails (a file system
// without locks).
int lock_call(int fd);

// The directory that holds the file "par" of `at` names once symbolic links are followed
// (where that file does not exist, the directory it will be created in): as formed from
// at.dir and the links' targets, "." for the current directory, no trailing '/'.
std::string par_directory(const program_files& at);

// The editors' lock on a directory, held as long as the value lives.
class par_lock {
 public:
  par_lock() = default;
  ~par_lock();
  par_lock(const par_lock&) = delete;
  par_lock& operator=(const par_lock&) = delete;
  int fd = -1;  // the open directory; -1 while nothing is held
};

// How taking the editors' lock ended.
enum class lock_end {
  held,
  busy,         // another editor holds it
  unavailable,  // it cannot be had for another reason (no locks, a directory not readable)
};
// Takes the editors' lock on par_directory(at) without waiting. `busy` after "<prog>: par
// is being edited by another editpar" on standard error; `unavailable` after "<prog>:
// cannot lock <directory>: " and the system's error text.
lock_end lock_par(const program_files& at, par_lock& lock);

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

// A file that follows the boards of "par": "Init" or "dces" of the package directory, as
// the package table names them. `move` gives its text with the lines of each board where
// that board went (move_init_lines, move_dces_lines).
struct port_file {
  const char* name;  // in the package directory
  const char* func;  // the name its messages give
  unsigned flags;    // how replace_file keeps it
  std::string (*move)(std::string_view text, const board_moves& moves);
};
using port_files = std::array<port_file, 2>;  // "Init", then "dces"

// How a session's save ended.
enum class save_end {
  saved,   // "par" holds the set (or already held it)
  aside,   // "par" changed since it was read: the set went to "par.new" (reported)
  failed,  // a file could not be written (reported)
};
// Saves the set while holding the writers' lock of the package directory (package_lock).
// When par_unchanged(at, read): "par" as save_params writes it and, when boards as read
// were deleted (set.moves), each of `follow` that exists rewritten to follow them; all
// are staged first (a failure: nothing replaced), then placed in that order; when "par"
// cannot be placed, the others are not. Otherwise the set goes to "par.new" only, replaced
// whole, after "<prog>: par changed since it was read: your version is in <path>" on
// standard error.
// set.lines then tells where each value stands in the text written.
save_end save_session(const program_files& at, const catalog& cat, board_set& set,
                      const par_as_read& read, const port_files& follow);
