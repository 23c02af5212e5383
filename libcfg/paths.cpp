// Paths of the files beside the program, and the report of a file that cannot be opened.
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
  const int saved = errno;
  std::fprintf(stderr, "%s: %s: fopen(%s) ", prog, func, path);
  errno = saved;
  std::perror("");
}

file_ptr open_beside(const char* prog, const char* name, const char* mode, const char* func) {
  const path_ptr path(make_path(prog, name));
  if (path == nullptr) return nullptr;
  file_ptr f(std::fopen(path.get(), mode));
  if (f == nullptr) report_fopen(prog, func, path.get());
  return f;
}
