// Paths of the files beside the program, opening them for reading, and the reports of
// calls on them that failed.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include <fmt/format.h>

#include "base/files.h"

namespace kdz {

program_files beside_program(const char* prog) {
  const char* slash = std::strrchr(prog, '/');
  const std::size_t dir_len = slash ? static_cast<std::size_t>(slash - prog) + 1 : 0;
  return {prog, std::string(prog, dir_len)};
}

program_files in_directory(const char* prog, const char* dir) {
  std::string d = dir;
  if (d.empty() || d.back() != '/') d += '/';
  return {prog, d};
}

std::string where_files_are(const program_files& at) {
  const std::string dir = at.dir.empty() ? "." : at.dir;
  char* real = ::realpath(dir.c_str(), nullptr);
  std::string shown = real != nullptr ? real : dir;
  std::free(real);
  if (shown.size() > 1 && shown.back() == '/') shown.pop_back();
  return shown;
}

char* make_path(const program_files& at, const char* name) {
  const std::size_t dir_len = at.dir.size();
  const std::size_t name_len = std::strlen(name);
  char* path = static_cast<char*>(path_alloc(dir_len + name_len + 1));
  if (path == nullptr) {
    // Told without formatting, which would need memory of its own.
    std::fputs(at.prog, stderr);
    std::fputs(": make_path: malloc() : no memory\n", stderr);
    return nullptr;
  }
  std::copy_n(at.dir.data(), dir_len, path);
  std::memcpy(path + dir_len, name, name_len + 1);
  return path;
}

void report_call(const char* prog, const char* func, const char* call, const char* path) {
  const int saved = errno;
  std::fputs(fmt::format("{}: {}: {}({}) ", prog, func, call, path).c_str(), stderr);
  errno = saved;
  std::perror("");
}

void report_fopen(const char* prog, const char* func, const char* path) {
  report_call(prog, func, "fopen", path);
}

file_ptr open_unwaited(const char* path, input_fault& fault) {
  fault = input_fault::cannot_open;
  const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat st {};
  if (fstat(fd, &st) != 0 || (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode))) {
    ::close(fd);
    fault = input_fault::not_regular;
    return nullptr;
  }
  file_ptr f(fdopen(fd, "r"));
  if (f == nullptr) {
    const int error = errno;
    ::close(fd);
    errno = error;
    return nullptr;
  }
  fault = input_fault::none;
  return f;
}

namespace {

// open_input, telling also whether the file was missing.
file_ptr open_reported(const char* prog, const char* func, const char* path, bool& missing) {
  input_fault fault = input_fault::none;
  file_ptr f = open_unwaited(path, fault);
  missing = fault == input_fault::cannot_open && errno == ENOENT;
  if (fault == input_fault::cannot_open) report_fopen(prog, func, path);
  if (fault == input_fault::not_regular) {
    std::fputs(fmt::format("{}: {}: {} is not a regular file\n", prog, func, path).c_str(), stderr);
  }
  return f;
}

}  // namespace

file_ptr open_input(const char* prog, const char* func, const char* path) {
  bool missing = false;
  return open_reported(prog, func, path, missing);
}

status load_beside(const program_files& at, const char* name, const char* func,
                   const std::function<bool(std::FILE*)>& read) {
  const char* prog = at.prog;
  const path_ptr path(make_path(at, name));
  if (path == nullptr) return status::failed;
  bool missing = false;
  const file_ptr f = open_reported(prog, func, path.get(), missing);
  if (f == nullptr) return missing ? status::missing : status::failed;
  if (read(f.get())) return status::ok;
  report_call(prog, func, "read", path.get());
  return status::failed;
}

void write_text(std::FILE* f, std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), f);
}

}  // namespace kdz
