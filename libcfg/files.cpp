// Paths of the files beside the program, opening them for reading, and the reports of
// calls on them that failed.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "libcfg/libcfg.h"

void* (*path_alloc)(std::size_t) = std::malloc;

char* make_path(const char* prog, const char* name) {
  const char* slash = std::strrchr(prog, '/');
  const std::size_t dir_len = slash ? static_cast<std::size_t>(slash - prog) + 1 : 0;
  const std::size_t name_len = std::strlen(name);
  char* path = static_cast<char*>(path_alloc(dir_len + name_len + 1));
  if (path == nullptr) {
    std::fprintf(stderr, "%s: make_path: malloc() : no memory\n", prog);
    return nullptr;
  }
  std::memcpy(path, prog, dir_len);
  std::memcpy(path + dir_len, name, name_len + 1);
  return path;
}

void report_fopen(const char* prog, const char* func, const char* path) {
  report_call(prog, func, "fopen", path);
}

file_ptr open_input(const char* prog, const char* func, const char* path) {
  // Not waited on: a FIFO or a device in the file's place is refused, not read.
  const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    report_fopen(prog, func, path);
    return nullptr;
  }
  struct stat st {};
  if (fstat(fd, &st) != 0 || (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode))) {
    ::close(fd);
    std::fprintf(stderr, "%s: %s: %s is not a regular file\n", prog, func, path);
    return nullptr;
  }
  file_ptr f(fdopen(fd, "r"));
  if (f == nullptr) {
    ::close(fd);
    report_fopen(prog, func, path);
  }
  return f;
}

bool load_beside(const char* prog, const char* name, const char* func, bool (*read)(std::FILE*)) {
  const path_ptr path(make_path(prog, name));
  if (path == nullptr) return false;
  const file_ptr f = open_input(prog, func, path.get());
  if (f == nullptr) return false;
  if (read(f.get())) return true;
  report_call(prog, func, "read", path.get());
  return false;
}
