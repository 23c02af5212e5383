// The editors' lock: on the directory of the file "par" names, so that editors reaching
// one "par" through different links still meet.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include <fmt/format.h>

#include "base/files.h"
#include "base/replace_file.h"
#include "package/locks.h"

namespace kdz {

std::string par_directory(const program_files& at) {
  return dir_of(file_behind((at.dir + "par").c_str()));
}

par_lock::~par_lock() {
  if (fd >= 0) ::close(fd);
}

error lock_par(const program_files& at, par_lock& lock) {
  const std::string dir = par_directory(at);
  lock.fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (lock.fd >= 0 && lock_call(lock.fd) == 0) return {};
  if (lock.fd >= 0 && errno == EWOULDBLOCK) {
    return failure("par is being edited by another editpar", 0, error_kind::busy);
  }
  const int number = errno;
  if (lock.fd >= 0) ::close(lock.fd);
  lock.fd = -1;
  error e = failure(fmt::format("cannot lock {}: ", dir), number);
  e.path = dir;
  return e;
}

}  // namespace kdz
