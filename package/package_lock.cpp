// The writers' lock of a package directory, taken on its "cfg".
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "base/files.h"
#include "package/locks.h"

namespace kdz {

error lock_package(const program_files& at, package_lock& lock) {
  path_ptr path;
  if (error e = make_path(at, "cfg", path); !e.ok()) return e;
  // Not waited on: a FIFO in place of "cfg" is refused by its load, not opened here.
  const int fd = ::open(path.get(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  struct stat st {};
  if (fd < 0) return {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return {};
  }
  int locked = 0;
  while ((locked = flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
  }
  // A file system without locks: the run goes on as it did before there was a lock.
  if (locked != 0) {
    ::close(fd);
    return {};
  }
  lock.fd = fd;
  return {};
}

package_lock::~package_lock() {
  if (fd >= 0) ::close(fd);
}

}  // namespace kdz
