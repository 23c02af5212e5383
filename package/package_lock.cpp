// The writers' lock of a package directory, taken on its "cfg".
#include "package/locks.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "base/files.h"

namespace kdz {

package_lock::package_lock(const program_files& at) {
  const path_ptr path(make_path(at, "cfg"));
  if (!path) return;
  // Not waited on: a FIFO in place of "cfg" is refused by its load, not opened here.
  const int fd = ::open(path.get(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  struct stat st {};
  if (fd < 0) return;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return;
  }
  int locked = 0;
  while ((locked = flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
  }
  // A file system without locks: the run goes on as it did before there was a lock.
  if (locked != 0) {
    ::close(fd);
    return;
  }
  fd_ = fd;
}

package_lock::~package_lock() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace kdz
