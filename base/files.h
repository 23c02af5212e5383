// base, the bottom layer: what a program that reads and writes text files needs, knowing
// nothing of boards (lines.h says it whole).
//
// files.h: where a program reads and writes its files, and opening them for reading without
// waiting. A failure comes back as an error (error.h), its message with it.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "base/error.h"

namespace kdz {

// Where a program reads and writes its files. Its name, which its messages give, stays
// with the program.
struct program_files {
  std::string dir;  // the package directory, ending in '/', or "" for the current one
};
// The files beside the program invoked as `invocation` (argv[0]): its directory, up to and
// including its last '/' (none for a bare name, which means the current directory).
program_files beside_program(const char* invocation);
// The files in `dir` (-C DIR): paths are "DIR/name".
program_files in_directory(const char* dir);
// The package directory as realpath(3) gives it, without a trailing '/'; as formed when it
// cannot be resolved. For the messages that tell the user where a program looked.
std::string where_files_are(const program_files& at);

// 0 when `dir` is a directory that can be searched (-C DIR); otherwise the error: stat's,
// ENOTDIR for a file of another kind, or access's for a directory that cannot be searched.
int directory_error(const char* dir);
// Makes `dir` and the directories above it that are missing, as "mkdir -p" does (mode 0777,
// the umask applies). 0 when `dir` is a directory then; otherwise the error of the first
// that could not be made, ENOTDIR where a file of another kind stands in the way.
int make_directories(const char* dir);

// Owners of what make_path returns and of open files.
struct path_free {
  void operator()(char* p) const { std::free(p); }
};
using path_ptr = std::unique_ptr<char, path_free>;
struct file_close {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using file_ptr = std::unique_ptr<std::FILE, file_close>;

// Sets `path` to at.dir followed by `name`, allocated with path_alloc. When no memory can be
// had: "make_path: malloc() : no memory", `path` null.
error make_path(const program_files& at, const char* name, path_ptr& path);
// The allocator behind make_path: malloc, in a file of its own so that a test can link in
// one that fails.
void* path_alloc(std::size_t size);

// Writes `text` to `f` as it is. Unlike fmt::print, a failed write does not throw: it is
// left to the stream's error flag, which flush_stdout returns for standard output.
void write_text(std::FILE* f, std::string_view text);

// Opens `path` for reading into `f` without waiting on it, so that a FIFO or a device in its
// place is refused, not read; a directory opens, and its first read fails. A file that
// cannot be opened: "<func>: fopen(<path>) " and the error text, kind missing when it does
// not exist; one that is neither a regular file nor a directory: not_regular.
error open_input(const char* func, const char* path, file_ptr& f);
// Reads the file `name` of the package directory with `read`, which returns false when a
// read fails (with errno set). A path that cannot be formed, a file open_input refuses, or a
// failed read ("<func>: read(<path>) " and the error text) comes back as its error.
error load_beside(const program_files& at, const char* name, const char* func,
                  const std::function<bool(std::FILE*)>& read);

}  // namespace kdz
