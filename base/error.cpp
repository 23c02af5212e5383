// What went wrong, as a value, and its message.
#include "base/error.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

namespace kdz {

bool any_failed(const error_list& told) {
  return std::ranges::any_of(told, [](const error& e) {
    return e.kind != error_kind::ok && e.kind != error_kind::warning;
  });
}

error failed_call(const char* func, const char* call, std::string_view path, error_kind kind) {
  return {kind, func, call, std::string(path), errno, {}};
}

error not_regular(const char* func, std::string_view path) {
  std::string text(path);
  text += " is not a regular file";
  return {error_kind::failed, func, nullptr, std::string(path), 0, std::move(text)};
}

error failure(std::string text, int number, error_kind kind) {
  return {kind, nullptr, nullptr, {}, number, std::move(text)};
}

error warning(std::string text) {
  return failure(std::move(text), 0, error_kind::warning);
}

error usage_error(std::string text) {
  return failure(std::move(text), 0, error_kind::usage);
}

void append_message(fmt::memory_buffer& out, const error& e) {
  const auto put = [&out](std::string_view piece) { out.append(piece); };
  if (e.func != nullptr) {
    put(e.func);
    put(": ");
  }
  if (e.call != nullptr) {
    put(e.call);
    put("(");
    put(e.path);
    put(") ");
  }
  put(e.text);
  // The text perror gives, made only now: what the failure was is kept as its number.
  if (e.number != 0) put(std::strerror(e.number));
}

std::string message(const error& e) {
  fmt::memory_buffer out;
  append_message(out, e);
  return fmt::to_string(out);
}

}  // namespace kdz
