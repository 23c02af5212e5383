// The text of one generated file, formatted line by line in memory with the formats of
// line_format.h and written to its file whole.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

#include "buildc/line_format.h"

class out_file {
 public:
  // The most one print may write; every format is checked against it when the program is built.
  static constexpr std::size_t MAX_PRINT = 1024;

  out_file() = default;
  out_file(const out_file&) = delete;
  out_file& operator=(const out_file&) = delete;

  // Appends format F filled with the arguments, as printf would fill it.
  template <format_text F, typename... Args>
  void print(const Args&... args) {
    static_assert(line_format::valid<F>, "a conversion the generated files do not use");
    static_assert(line_format::arguments<F>().second == sizeof...(Args),
                  "a format takes one argument per conversion");
    constexpr std::size_t room = line_format::room<F>();
    static_assert(room <= MAX_PRINT, "a format longer than a print may be");
    if (room > capacity_ - used_) grow();
    char* const end =
        line_format::put_line<F>(text_.get() + used_, std::tie(args...),
                                 std::make_index_sequence<line_format::pieces<F>.size()>());
    used_ = static_cast<std::size_t>(end - text_.get());
  }

  // What has been printed so far.
  std::string_view text() const { return {text_.get(), used_}; }

 private:
  // Doubles the room, which starts at what the largest generated file needs.
  void grow();

  std::unique_ptr<char[]> text_;
  std::size_t used_ = 0;
  std::size_t capacity_ = 0;
};

// Replaces the file `path` by what `write` prints, with replace_file and its `flags`; what
// fails is reported as `func` of `prog`.
void write_generated(const char* prog, const char* func, const char* path, void (*write)(out_file&),
                     unsigned flags = 0);
