// The directories a command line names: one to work in, one to make.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "base/files.h"

namespace kdz {

namespace {

// 0 when `path` is a directory (after a failed mkdir), else why it cannot be one.
int directory_kind(const char* path) {
  struct stat st {};
  if (::stat(path, &st) != 0) return errno;
  return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
}

// Makes the one directory `path`, or finds it there.
int make_one(const char* path) {
  if (::mkdir(path, 0777) == 0) return 0;
  return errno == EEXIST ? directory_kind(path) : errno;
}

}  // namespace

int directory_error(const char* dir) {
  if (const int kind = directory_kind(dir)) return kind;
  return ::access(dir, X_OK) == 0 ? 0 : errno;
}

int make_directories(const char* dir) {
  std::string path = dir;
  // Each directory above it first, from the top: "a/b/c" makes "a", then "a/b".
  for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    if (path[slash - 1] == '/') continue;
    path[slash] = '\0';
    const int made = make_one(path.c_str());
    path[slash] = '/';
    if (made != 0) return made;
  }
  return make_one(dir);
}

}  // namespace kdz
