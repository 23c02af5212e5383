// package, the layer above model: the package directory and its files (port_lines.h says it
// whole).
//
// locks.h: the locks of a package directory, each on something no run replaces. The writers'
// lock, on the file ".kdz-lock" of the directory, is held by every run that changes its
// files (buildc for its whole run, editpar while it finishes what a crash left and while it
// saves), so that two changes never interleave and buildc never waits on an editor that is
// asking questions. The editors' lock, on the directory that holds the real "par", keeps two
// editors of one "par" apart for a whole session. Where the file system has no locks, each
// falls back to a file made O_EXCL that holds the holder's process number (".kdz-lock.held",
// ".kdz-edit.held"), removed when the lock is let go and never taken over: one a killed run
// left is reported with its name, for the user to remove.
#pragma once

#include <string>

#include "base/files.h"

namespace kdz {

// A lock held as long as the value lives: an open file under flock, or the fallback file.
class held_lock {
 public:
  held_lock() = default;
  ~held_lock() { release(); }
  held_lock(const held_lock&) = delete;
  held_lock& operator=(const held_lock&) = delete;
  bool held() const { return fd >= 0 || !held_file.empty(); }
  // Lets the lock go: the file closed, the fallback file removed.
  void release();
  int fd = -1;            // the open file or directory under flock; -1 when none
  std::string held_file;  // the fallback file this run made, or ""
};
using package_lock = held_lock;
using par_lock = held_lock;

// Takes the writers' lock of `at` on its ".kdz-lock" as the file stands, waiting while
// another writer holds it. No such file, or one that cannot be opened: nothing is held, all
// well (it is made by the first run that changes a file). Without flock: the fallback file,
// polled every 100 ms for up to 10 s, then kind busy: "<dir>.kdz-lock.held is held: if no
// buildc or editpar is running, remove it"; where no fallback file can be made, nothing is
// held.
error lock_package(const program_files& at, package_lock& lock);
// Makes ".kdz-lock" (mode 0666, the umask applies) and takes the lock as lock_package does.
// `raced`: another run made it first, since lock_package found none, or took the lock first,
// so that what was read since may be stale. Where it cannot be made (a directory that takes
// no new file), nothing is held and all is well.
error create_package_lock(const program_files& at, package_lock& lock, bool& raced);
// Waits while a writer of `at` holds its lock, without taking it: a run that only reads sees
// a change under way through to its end. Where there is no lock to wait on, returns at once.
void wait_for_writers(const program_files& at);

// flock(fd, how) on the open file or directory `fd`: 0 when taken, else -1 with errno set.
// Alone in its file, so that a test can link in one that fails (a file system without
// locks).
int lock_call(int fd, int how);

// The directory that holds the file "par" of `at` names once symbolic links are followed
// (where that file does not exist, the directory it will be created in): as formed from
// at.dir and the links' targets, "." for the current directory, no trailing '/'.
std::string par_directory(const program_files& at);
// Takes the editors' lock on par_directory(at) without waiting. Held by another editor:
// kind busy, "par is being edited by another editpar"; its fallback file there: kind busy,
// "<dir>/.kdz-edit.held is held: if no buildc or editpar is running, remove it". Not to be
// had for another reason (a directory not readable, no locks and no fallback file): "cannot
// lock <directory>: " and the error text.
error lock_par(const program_files& at, par_lock& lock);

// Takes a lock on the open file `fd` (flock `how`, which owns it from here); where the file
// system has no locks, by making the fallback file `held_file` instead. `waited`: another
// held it first. The fallback file held by another: polled every 100 ms for `seconds`, then
// kind busy, naming it. Not to be had otherwise: kind failed with the error of the flock
// (EWOULDBLOCK for `how` with LOCK_NB), the lock not held.
error take_lock(int fd, int how, const std::string& held_file, int seconds, held_lock& lock,
                bool& waited);

}  // namespace kdz
