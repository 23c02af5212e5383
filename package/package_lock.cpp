// The writers' lock of a package directory, on its ".kdz-lock", which no run replaces or
// removes.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "base/files.h"
#include "package/locks.h"

namespace kdz {

namespace {

// How long a writer waits for the fallback file of another (flock itself waits for good).
constexpr int held_seconds = 10;

std::string lock_path(const program_files& at) {
  return at.dir + ".kdz-lock";
}

// Locks the open ".kdz-lock" `fd`; where nothing can be locked, nothing is held, all well.
// `waited`: another writer held it first.
error lock_open_file(const program_files& at, int fd, package_lock& lock, bool& waited) {
  error e = take_lock(fd, LOCK_EX, lock_path(at) + ".held", held_seconds, lock, waited);
  // Neither flock nor a fallback file: the run goes on as it did before there was a lock.
  if (e.kind == error_kind::failed) return {};
  return e;
}

// Opens the lock file `path`, made here (mode 0666, the umask applies) where it was missing;
// `existed` when another run made it first.
int open_made(const std::string& path, bool& existed) {
  const int made = ::open(path.c_str(), O_RDONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (made >= 0) return made;
  existed = errno == EEXIST;
  return existed ? ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC) : -1;
}

}  // namespace

error lock_package(const program_files& at, package_lock& lock) {
  lock.release();
  const int fd = ::open(lock_path(at).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return {};
  bool waited = false;
  return lock_open_file(at, fd, lock, waited);
}

error create_package_lock(const program_files& at, package_lock& lock, bool& raced) {
  lock.release();
  bool existed = false;
  const int fd = open_made(lock_path(at), existed);
  raced = false;
  if (fd < 0) return {};
  // Made here, it may still be locked by a run that opened it since: then it came first. A
  // lock not to be had at all is none to wait for.
  bool waited = false;
  error e = lock_open_file(at, fd, lock, waited);
  raced = (existed || waited) && lock.held();
  return e;
}

void wait_for_writers(const program_files& at) {
  const int fd = ::open(lock_path(at).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return;
  while (lock_call(fd, LOCK_SH) != 0 && errno == EINTR) {
  }
  ::close(fd);
}

}  // namespace kdz
