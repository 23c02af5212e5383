// package, the layer above model: the package directory and its files (port_lines.h says it
// whole).
//
// locks.h: the locks of a package directory. The writers' lock is held by buildc for its
// whole run and by editpar only while it saves, so that two writers of "Init" and "dces"
// never interleave and buildc never waits on an editor that is asking questions. The
// editors' lock keeps two editors of one "par" apart for a whole session.
#pragma once

#include <string>

#include "base/files.h"

namespace kdz {

// Taken on the directory's "cfg", a file that neither program rewrites, so that no file of
// its own is added to the package. The lock lasts as long as the value.
class package_lock {
 public:
  // Waits until no other writer of the package directory `at` holds the lock. Where "cfg"
  // cannot be opened (missing, not a regular file) nothing is held: the load of "cfg" that
  // follows reports why, and without a catalog nothing is written.
  explicit package_lock(const program_files& at);
  ~package_lock();
  package_lock(const package_lock&) = delete;
  package_lock& operator=(const package_lock&) = delete;

  // Whether the lock is held.
  bool held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

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

}  // namespace kdz
