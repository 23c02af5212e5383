// The editors' lock: on the directory of the file "par" names, so that editors reaching
// one "par" through different links still meet.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include <fmt/format.h>

#include "base/files.h"
#include "base/replace_file.h"
#include "package/locks.h"

namespace kdz {

namespace {

void report_errno(const std::string& text) {
  const int error = errno;
  std::fputs(text.c_str(), stderr);
  errno = error;
  std::perror("");
}

}  // namespace

std::string par_directory(const program_files& at) {
  return dir_of(file_behind((at.dir + "par").c_str()));
}

par_lock::~par_lock() {
  if (fd >= 0) ::close(fd);
}

lock_end lock_par(const program_files& at, par_lock& lock) {
  const std::string dir = par_directory(at);
  lock.fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (lock.fd >= 0 && lock_call(lock.fd) == 0) return lock_end::held;
  if (lock.fd >= 0 && errno == EWOULDBLOCK) {
    std::fputs(fmt::format("{}: par is being edited by another editpar\n", at.prog).c_str(),
               stderr);
    return lock_end::busy;
  }
  report_errno(fmt::format("{}: cannot lock {}: ", at.prog, dir));
  if (lock.fd >= 0) ::close(lock.fd);
  lock.fd = -1;
  return lock_end::unavailable;
}

}  // namespace kdz
