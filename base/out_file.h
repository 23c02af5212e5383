// base, the bottom layer: what a program that reads and writes text files needs, knowing
// nothing of boards (lines.h says it whole).
//
// out_file.h: the text of one generated file, formatted line by line in memory and written to its
// file whole. Every format is a compiled {fmt} format (FMT_COMPILE), taken apart when the program
// is built: an argument of the wrong kind for its field, or a field without its argument, does not
// compile, and a line costs the copies of its literal text and the digits of its numbers.
#pragma once

#include <fmt/compile.h>
#include <fmt/format.h>

#include <algorithm>
#include <cstddef>
#include <limits>
#include <memory>
#include <string_view>
#include <type_traits>

namespace kdz {

// The arguments a format takes: one per automatically numbered field "{}", or one more
// than the highest numbered field "{n}". A doubled brace is a literal one.
constexpr std::size_t arguments_of(std::string_view format) {
  const auto at = [format](std::size_t i) { return i < format.size() ? format[i] : '\0'; };
  const auto digit = [](char c) { return c >= '0' && c <= '9'; };
  std::size_t automatic = 0, numbered = 0;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '{' || at(++i) == '{') continue;
    if (!digit(at(i))) {
      ++automatic;
      continue;
    }
    std::size_t n = 0;
    for (; digit(at(i)); ++i) n = 10 * n + static_cast<std::size_t>(at(i) - '0');
    if (n + 1 > numbered) numbered = n + 1;
  }
  return automatic > numbered ? automatic : numbered;
}

namespace out_field {

// A text field of a record is its characters up to its null, and never past its end.
template <std::size_t N>
std::string_view of(const char (&text)[N]) {
  return {text, static_cast<std::size_t>(std::find(text, text + N, '\0') - text)};
}
inline std::string_view of(std::string_view text) {
  return text;
}
// A number, or a character: 'c' is a char.
template <typename T>
requires std::is_integral_v<T> &&(!std::is_same_v<T, bool>)T of(T value) {
  return value;
}

// The most characters fmt writes for a field: a text's own; a number's digits, in
// decimal or hexadecimal, and its sign; a character.
inline std::size_t longest(std::string_view text) {
  return text.size();
}
template <typename T>
constexpr std::size_t longest(T) {
  return std::numeric_limits<T>::digits10 + 2;
}

}  // namespace out_field

class out_file {
 public:
  out_file() = default;
  out_file(const out_file&) = delete;
  out_file& operator=(const out_file&) = delete;

  // Appends `format` (an FMT_COMPILE format) filled with the arguments: numbers, characters,
  // string_views and the text fields of the records.
  template <typename Format, typename... Args>
  void print(const Format& format, const Args&... args) {
    constexpr auto text = fmt::string_view(Format());
    static_assert(arguments_of({text.data(), text.size()}) == sizeof...(Args),
                  "a format takes each of its arguments and no other");
    put(format, text.size(), out_field::of(args)...);
  }

  // What has been printed so far.
  std::string_view text() const { return {text_.get(), used_}; }

 private:
  // Makes room for `room` more characters.
  void grow(std::size_t room);

  // The format's own text is at least as long as the literal text it writes.
  template <typename Format, typename... Fields>
  void put(const Format& format, std::size_t literal, const Fields&... fields) {
    const std::size_t room = literal + (out_field::longest(fields) + ... + 0);
    if (room > capacity_ - used_) grow(room);
    used_ = static_cast<std::size_t>(fmt::format_to(text_.get() + used_, format, fields...) -
                                     text_.get());
  }

  std::unique_ptr<char[]> text_;
  std::size_t used_ = 0;
  std::size_t capacity_ = 0;
};

}  // namespace kdz
