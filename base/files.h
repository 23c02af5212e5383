// base, the bottom layer: what a program that reads and writes text files needs, knowing
// nothing of boards (lines.h says it whole).
//
// files.h: where a program reads and writes its files, opening them for reading without
// waiting, and the reports of calls on them that failed.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace kdz {

// What an operation that can fail came to. A failure has been reported on standard error
// by the time the caller sees it; the caller decides what it means for its exit status.
// The attribute between "enum class" and the name is beyond clang-format.
// clang-format off
enum class [[nodiscard]] status {
  ok,
  missing,  // the file does not exist (ENOENT)
  failed,   // anything else: a path, an open, a read or a write failed
};
// clang-format on

// Where a program reads and writes its files, and the name it gives in its messages.
struct program_files {
  const char* prog;  // the invocation path: the name in every message
  std::string dir;   // the package directory, ending in '/', or "" for the current one
};
// The files beside the program: the directory of `prog`, up to and including its last '/'
// (none for a bare name, which means the current directory).
program_files beside_program(const char* prog);
// The files in `dir` (-C DIR): paths are "DIR/name".
program_files in_directory(const char* prog, const char* dir);
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

// at.dir followed by `name`, allocated with path_alloc; the caller frees it. Null after
// writing "<prog>: make_path: malloc() : no memory" to standard error.
char* make_path(const program_files& at, const char* name);
// The allocator behind make_path: malloc, in a file of its own so that a test can link in
// one that fails.
void* path_alloc(std::size_t size);

// Owners of what make_path returns and of open files.
struct path_free {
  void operator()(char* p) const { std::free(p); }
};
using path_ptr = std::unique_ptr<char, path_free>;
struct file_close {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using file_ptr = std::unique_ptr<std::FILE, file_close>;

// Writes "<prog>: <func>: <call>(<path>) " and the system's error text for errno to
// standard error, as perror does with an empty prefix; errno is kept.
void report_call(const char* prog, const char* func, const char* call, const char* path);
// report_call for a failed "fopen".
void report_fopen(const char* prog, const char* func, const char* path);
// Writes `text` to `f` as it is. Unlike fmt::print, a failed write does not throw: it is
// left to the stream's error flag, which finish_program reports for standard output.
void write_text(std::FILE* f, std::string_view text);

// Opens `path` for reading without waiting on it, so that a FIFO or a device in its place
// cannot hang the program. Null after reporting, as `func` of `prog`, a file that cannot be
// opened (report_fopen) or one that is neither a regular file nor a directory
// ("<prog>: <func>: <path> is not a regular file").
file_ptr open_input(const char* prog, const char* func, const char* path);
// Why open_unwaited gave no stream.
enum class input_fault { none, cannot_open, not_regular };
// Opens `path` for reading without waiting on it, so that a FIFO or a device in its place is
// refused, not read (a directory opens, and its first read fails). Null, silently, when it
// cannot be opened (`fault` cannot_open, errno set) or is neither a regular file nor a
// directory (`fault` not_regular).
file_ptr open_unwaited(const char* path, input_fault& fault);
// Reads the file `name` of the package directory with `read`, which returns false when a
// read fails (with errno set). After reporting, as `func` of at.prog, a path that cannot be
// formed, a file open_input refuses, or a failed read ("read(<path>)"): status::missing for
// a file that does not exist, status::failed for the rest.
status load_beside(const program_files& at, const char* name, const char* func,
                   const std::function<bool(std::FILE*)>& read);

}  // namespace kdz
