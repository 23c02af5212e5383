// Staged files: made whole and flushed beside the file they are to replace, under names of
// the one form that the sweep of killed runs' leftovers recognises.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <string>
#include <string_view>

#include "base/staging.h"

namespace kdz {

namespace {

// The next staging name of `file`: "." + its name + ".kdz-" + PID + "-" + N, in its
// directory. N counts the names this process tried, so that no two of its staged files
// share one, whichever caller makes them; the count is the process's, like the names.
std::string next_name(const std::string& file) {
  static unsigned serial;
  const std::size_t slash = file.rfind('/');
  const std::size_t name = slash == std::string::npos ? 0 : slash + 1;
  char staged[PATH_MAX + 32];
  if (file.size() >= PATH_MAX) return {};  // no such name can be made: open says so
  char* end = std::copy(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(name), staged);
  *end++ = '.';
  end = std::copy(file.begin() + static_cast<std::ptrdiff_t>(name), file.end(), end);
  end = std::copy_n(".kdz-", 5, end);
  end = std::to_chars(end, staged + sizeof staged, getpid()).ptr;
  *end++ = '-';
  end = std::to_chars(end, staged + sizeof staged, serial++).ptr;
  return {staged, end};
}

// The permission bits, owner and group of the file it replaces, as far as allowed: only
// root gives a file to another user, and a user only to a group of his own; failing that,
// the new file stays the writer's, like one fopen creates.
void take_over(int fd, const struct stat& st) {
  if (fchown(fd, st.st_uid, st.st_gid) != 0 && fchown(fd, static_cast<uid_t>(-1), st.st_gid) != 0) {
    errno = 0;
  }
  fchmod(fd, st.st_mode & 07777);
}

// Writes `text` to `fd`, flushed, and closes it.
bool fill(int fd, std::string_view text) {
  fd_owner owner(fd);
  const bool ok = write_whole(fd, text) && ::fsync(fd) == 0;
  const int saved = errno;
  const bool closed = owner.close();
  if (!ok) errno = saved;
  return ok && closed;
}

bool digits(std::string_view t) {
  return !t.empty() && t.size() <= 10 &&
         t.find_first_not_of("0123456789") == std::string_view::npos;
}

}  // namespace

made make_staged(const std::string& file, const struct stat* like, std::string_view text,
                 std::string& staged) {
  std::string name;
  int fd = -1;
  for (int tries = 0; tries < 100 && fd < 0; ++tries) {
    name = next_name(file);
    // 0666 as for fopen: the umask applies. Never through a link someone left there.
    fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) return made::refused;
  if (like != nullptr) take_over(fd, *like);
  if (!fill(fd, text)) {
    const int saved = errno;
    ::unlink(name.c_str());
    errno = saved;
    return made::failed;
  }
  staged = std::move(name);
  return made::ok;
}

bool link_staged(const std::string& file, const std::string& beside, std::string& staged) {
  for (int tries = 0; tries < 100; ++tries) {
    std::string name = next_name(beside);
    if (::link(file.c_str(), name.c_str()) == 0) {
      staged = std::move(name);
      return true;
    }
    if (errno != EEXIST) return false;
  }
  return false;
}

bool staging_name(std::string_view name) {
  const std::size_t marker = name.rfind(".kdz-");
  if (name.size() < 2 || name[0] != '.' || marker == std::string_view::npos || marker < 2) {
    return false;
  }
  const std::string_view numbers = name.substr(marker + 5);
  const std::size_t dash = numbers.find('-');
  return dash != std::string_view::npos && digits(numbers.substr(0, dash)) &&
         digits(numbers.substr(dash + 1));
}

}  // namespace kdz
