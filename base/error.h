// base, the bottom layer: what a program that reads and writes text files needs, knowing
// nothing of boards (lines.h says it whole).
//
// error.h: what went wrong, as a value. A function that can fail returns one, with the
// words of its message, up to the caller who decides what it means for the run; only the
// program prints it, after its own name. Nothing below the programs writes to standard
// error.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <fmt/format.h>

namespace kdz {

// What an operation came to.
enum class error_kind {
  ok,
  missing,  // the file does not exist (ENOENT)
  failed,   // anything else: a path, an open, a read, a write or a lock failed
  busy,     // another program holds what was asked for
  warning,  // not a failure: what a program says and goes on
  usage,    // a command line the program does not take: said with where help is
};

// An operation's outcome and, unless ok, its message: "<func>: <call>(<path>) " for a failed
// call, then `text`, then the system's error text for `number`, as perror writes it with an
// empty prefix. All well, it holds no text: returning it allocates nothing.
struct [[nodiscard]] error {
  error_kind kind = error_kind::ok;
  const char* func = nullptr;  // the function the message names ("load_config"), or null
  const char* call = nullptr;  // the call that failed ("fopen", "read", "write"), or null
  std::string path;            // the file or directory it is about, or ""
  int number = 0;              // the errno of the failure, or 0
  std::string text;            // words of its own, between the call and the error text
  bool ok() const { return kind == error_kind::ok; }
};
// Several outcomes collected in the order they came: a run that goes on after a failure.
using error_list = std::vector<error>;

// Whether any of `told` is a failure, not a warning.
bool any_failed(const error_list& told);

// `call` on `path` failed, as `func`, with errno as it stands.
error failed_call(const char* func, const char* call, std::string_view path,
                  error_kind kind = error_kind::failed);
// `path` is neither a regular file nor a directory, which no program opens for fear of
// waiting on it: "<func>: <path> is not a regular file".
error not_regular(const char* func, std::string_view path);
// A failure in its own words, followed by the error text of `number` unless it is 0.
error failure(std::string text, int number = 0, error_kind kind = error_kind::failed);
// What a program says on standard error and goes on.
error warning(std::string text);
// A command line the program does not take, in its own words.
error usage_error(std::string text);

// Appends the message of `e` to `out`, without the program's name and the newline. Written
// in place, so that a short message needs no memory of its own.
void append_message(fmt::memory_buffer& out, const error& e);
// The message of `e` as append_message writes it.
std::string message(const error& e);

}  // namespace kdz
