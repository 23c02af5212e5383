// The editors' lock: on the directory of the file "par" names, so that editors reaching
// one "par" through different links still meet.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include <fmt/format.h>

#include "base/files.h"
#include "base/staging.h"
#include "package/locks.h"

namespace kdz {

std::string par_directory(const program_files& at) {
  return dir_of(file_behind((at.dir + "par").c_str()));
}

error lock_par(const program_files& at, par_lock& lock) {
  lock.release();
  const std::string dir = par_directory(at);
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  // An editor never waits for another: it says so at once.
  bool waited = false;
  error e = fd >= 0 ? take_lock(fd, LOCK_EX | LOCK_NB, dir + "/.kdz-edit.held", 0, lock, waited)
                    : failure("", errno);
  if (e.kind != error_kind::failed) return e;
  if (e.number == EWOULDBLOCK) {
    return failure("par is being edited by another editpar", 0, error_kind::busy);
  }
  error cannot = failure(fmt::format("cannot lock {}: ", dir), e.number);
  cannot.path = dir;
  return cannot;
}

}  // namespace kdz
