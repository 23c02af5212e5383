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

// The writers' lock, taken on the directory's "cfg", a file that neither program rewrites,
// so that no file of its own is added to the package. Held as long as the value lives.
class package_lock {
 public:
  package_lock() = default;
  ~package_lock();
  package_lock(const package_lock&) = delete;
  package_lock& operator=(const package_lock&) = delete;
  int fd = -1;  // the open "cfg"; -1 while nothing is held
};
// Waits until no other writer of the package directory `at` holds the lock, then takes it.
// Where "cfg" cannot be opened (missing, not a regular file) or the file system has no
// locks, nothing is held and all is well: the load of "cfg" that follows says why, and
// without a catalog nothing is written. Only a path that cannot be formed comes back.
error lock_package(const program_files& at, package_lock& lock);

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

// Takes the editors' lock on par_directory(at) without waiting. Held by another editor:
// kind busy, "par is being edited by another editpar". Not to be had for another reason (no
// locks, a directory not readable): "cannot lock <directory>: " and the error text.
error lock_par(const program_files& at, par_lock& lock);

}  // namespace kdz
