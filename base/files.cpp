// Paths of the files beside the program, and opening them for reading.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "base/files.h"

namespace kdz {

program_files beside_program(const char* invocation) {
  const char* slash = std::strrchr(invocation, '/');
  const std::size_t dir_len = slash ? static_cast<std::size_t>(slash - invocation) + 1 : 0;
  return {std::string(invocation, dir_len)};
}

program_files in_directory(const char* dir) {
  std::string d = dir;
  if (d.empty() || d.back() != '/') d += '/';
  return {d};
}

std::string where_files_are(const program_files& at) {
  const std::string dir = at.dir.empty() ? "." : at.dir;
  char* real = ::realpath(dir.c_str(), nullptr);
  std::string shown = real != nullptr ? real : dir;
  std::free(real);
  if (shown.size() > 1 && shown.back() == '/') shown.pop_back();
  return shown;
}

error make_path(const program_files& at, const char* name, path_ptr& path) {
  const std::size_t dir_len = at.dir.size();
  const std::size_t name_len = std::strlen(name);
  path.reset(static_cast<char*>(path_alloc(dir_len + name_len + 1)));
  if (path == nullptr) return {error_kind::failed, "make_path", "malloc", {}, 0, ": no memory"};
  std::copy_n(at.dir.data(), dir_len, path.get());
  std::memcpy(path.get() + dir_len, name, name_len + 1);
  return {};
}

error open_input(const char* func, const char* path, file_ptr& f) {
  const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    return failed_call(func, "fopen", path,
                       errno == ENOENT ? error_kind::missing : error_kind::failed);
  }
  struct stat st {};
  if (fstat(fd, &st) != 0 || (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode))) {
    ::close(fd);
    return not_regular(func, path);
  }
  f.reset(fdopen(fd, "r"));
  if (f == nullptr) {
    error e = failed_call(func, "fopen", path);
    ::close(fd);
    return e;
  }
  return {};
}

error load_beside(const program_files& at, const char* name, const char* func,
                  const std::function<bool(std::FILE*)>& read) {
  path_ptr path;
  if (error e = make_path(at, name, path); !e.ok()) return e;
  file_ptr f;
  if (error e = open_input(func, path.get(), f); !e.ok()) return e;
  if (read(f.get())) return {};
  return failed_call(func, "read", path.get());
}

void write_text(std::FILE* f, std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), f);
}

}  // namespace kdz
