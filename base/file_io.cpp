// Files read and written whole, rewritten in place with their room reserved first, and
// directories flushed: the calls around staged files.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <string>
#include <string_view>

#include "base/staging.h"

namespace kdz {

fd_owner::~fd_owner() {
  if (fd_ >= 0) ::close(fd_);
}

bool fd_owner::close() {
  const int fd = fd_;
  fd_ = -1;
  return ::close(fd) == 0;
}

std::string dir_of(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string_view base_of(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string file_behind(const char* path) {
  std::string p = path;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    char target[PATH_MAX];
    if (lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return p;
    const ssize_t n = readlink(p.c_str(), target, sizeof target - 1);
    if (n < 0) return p;
    target[n] = '\0';
    p = target[0] == '/' || p.find('/') == std::string::npos ? std::string(target)
                                                             : dir_of(p) + "/" + target;
  }
  return p;
}

bool read_whole(const char* path, std::string& text) {
  const fd_owner fd(::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (fd.get() < 0) return false;
  text.clear();
  char block[8192];
  for (;;) {
    const ssize_t n = ::read(fd.get(), block, sizeof block);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    text.append(block, static_cast<std::size_t>(n));
  }
}

bool file_holds(const char* path, std::string_view text) {
  const std::string file = file_behind(path);
  struct stat st {};
  if (::stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  if (static_cast<std::size_t>(st.st_size) != text.size()) return false;
  std::string now;
  return read_whole(file.c_str(), now) && now == text;
}

bool write_whole(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t n = ::write(fd, text.data(), text.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    text.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

bool reserve_room(int fd, std::size_t size) {
  struct stat st {};
  struct rlimit limit {};
  if (::fstat(fd, &st) != 0) return false;
  // The size limit is not checked by a reservation that keeps the size: checked here.
  if (getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
      size > limit.rlim_cur) {
    errno = EFBIG;
    return false;
  }
  if (size == 0) return true;
  // Reserved beyond the end, the size kept: the file reads as it was until it is rewritten.
  int failed = ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(size));
  if (failed != 0 && errno == EOPNOTSUPP) failed = 0;  // no reservation to be had: none made
  const int saved = errno;
  // The reservation may set the times of a file that then keeps its contents.
  const struct timespec times[2] = {st.st_atim, st.st_mtim};
  (void)::futimens(fd, times);
  errno = saved;
  return failed == 0;
}

bool write_in_place(const std::string& path, std::string_view text) {
  fd_owner fd(::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC));
  if (fd.get() < 0) return false;
  const bool ok = write_whole(fd.get(), text) &&
                  ::ftruncate(fd.get(), static_cast<off_t>(text.size())) == 0 &&
                  ::fsync(fd.get()) == 0;
  const int saved = errno;
  const bool closed = fd.close();
  if (!ok) errno = saved;
  return ok && closed;
}

bool sync_directory(const std::string& dir) {
  const fd_owner fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  // A directory this user may not read cannot be opened to be flushed, as one on a file
  // system that cannot flush it.
  if (fd.get() < 0) return errno == EACCES;
  return ::fsync(fd.get()) == 0 || errno == EINVAL;
}

}  // namespace kdz
