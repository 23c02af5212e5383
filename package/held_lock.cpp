// A lock taken with flock, or, where the file system has none, by a file made O_EXCL that
// holds the holder's process number and is never taken over.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <thread>

#include <fmt/format.h>

#include "base/staging.h"
#include "package/locks.h"

namespace kdz {

namespace {

// Makes the fallback file `path` holding this process's number; false (errno set) when it
// cannot be made, EEXIST while another holds it.
bool make_held_file(const std::string& path) {
  fd_owner fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
  if (fd.get() < 0) return false;
  // Only for the user who finds it: the lock is the file's existence.
  (void)write_whole(fd.get(), fmt::format("{}\n", getpid()));
  return true;
}

// The fallback file made, waiting up to `seconds` while another holds it (`waited`).
error take_held_file(const std::string& path, int flock_error, int seconds, held_lock& lock,
                     bool& waited) {
  for (int polls = seconds * 10;; --polls) {
    if (make_held_file(path)) {
      lock.held_file = path;
      return {};
    }
    if (errno != EEXIST) return failure("", flock_error);
    waited = true;
    if (polls <= 0) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  error busy =
      failure(fmt::format("{} is held: if no buildc or editpar is running, remove it", path), 0,
              error_kind::busy);
  busy.path = path;
  return busy;
}

// flock(fd, how), tried first without waiting; `waited` when another held it.
int lock_waiting(int fd, int how, bool& waited) {
  int taken = 0;
  while ((taken = lock_call(fd, how | LOCK_NB)) != 0 && errno == EINTR) {
  }
  if (taken == 0 || errno != EWOULDBLOCK || (how & LOCK_NB) != 0) return taken;
  waited = true;
  while ((taken = lock_call(fd, how)) != 0 && errno == EINTR) {
  }
  return taken;
}

}  // namespace

void held_lock::release() {
  if (fd >= 0) ::close(fd);
  fd = -1;
  if (!held_file.empty()) ::unlink(held_file.c_str());
  held_file.clear();
}

error take_lock(int fd, int how, const std::string& held_file, int seconds, held_lock& lock,
                bool& waited) {
  waited = false;
  if (lock_waiting(fd, how, waited) == 0) {
    lock.fd = fd;
    return {};
  }
  const int number = errno;
  ::close(fd);
  if (number != ENOLCK && number != EOPNOTSUPP) return failure("", number);
  return take_held_file(held_file, number, seconds, lock, waited);
}

}  // namespace kdz
