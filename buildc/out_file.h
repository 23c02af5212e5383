// A generated file being written: each line is formatted from a format text that the
// compiler takes apart, straight into a block that goes to the file's one stream when full.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <memory>
#include <tuple>
#include <type_traits>
#include <utility>

#include "libcfg/libcfg.h"

// A format text as a template argument. The generated files use %s, %c, %d, %x and %lx,
// with a width of 1 at most (as in %1d or %01d, which changes nothing), and %%.
template <std::size_t N>
struct format_text {
  char s[N];
  constexpr format_text(const char (&text)[N]) { std::copy_n(text, N, s); }
};

namespace line_format {

// A run of literal text and the conversion after it: 's', 'c', 'd', 'x', 'l' (for %lx),
// '%' (a literal percent sign, no argument) or '\0' (the run that ends the format).
struct piece {
  std::size_t begin;
  std::size_t len;
  char conv;
};

// One piece per "%" that starts a conversion, and the run that ends the format.
template <format_text F>
constexpr std::size_t piece_count() {
  std::size_t n = 1;
  for (std::size_t i = 0; F.s[i] != '\0'; ++i) {
    if (F.s[i] != '%') continue;
    ++n;
    if (F.s[i + 1] == '%') ++i;
  }
  return n;
}

// The pieces of F; a conversion it does not know stops the build.
template <format_text F>
constexpr std::array<piece, piece_count<F>()> take_apart() {
  std::array<piece, piece_count<F>()> pieces{};
  std::size_t i = 0, begin = 0;
  for (piece& p : pieces) {
    while (F.s[i] != '\0' && F.s[i] != '%') ++i;
    p.begin = begin;
    p.len = i - begin;
    if (F.s[i] == '\0') break;
    ++i;
    while (F.s[i] == '0' || F.s[i] == '1') ++i;  // a width of 1 changes nothing
    if (F.s[i] == 'l' && F.s[i + 1] == 'x') {
      p.conv = 'l';
      ++i;
    } else if (F.s[i] == 's' || F.s[i] == 'c' || F.s[i] == 'd' || F.s[i] == 'x' || F.s[i] == '%') {
      p.conv = F.s[i];
    } else {
      throw "unknown conversion in a format of a generated file";
    }
    begin = ++i;
  }
  return pieces;
}

template <format_text F>
inline constexpr auto pieces = take_apart<F>();

// The argument each piece takes, counted over the pieces that take one.
template <format_text F>
constexpr auto arguments() {
  std::array<std::size_t, pieces<F>.size()> arg{};
  std::size_t n = 0;
  for (std::size_t i = 0; i < arg.size(); ++i) {
    arg[i] = n;
    const char c = pieces<F>[i].conv;
    if (c != '%' && c != '\0') ++n;
  }
  return std::pair{arg, n};
}

// Room a line needs beyond its strings: the literal text and the longest conversions.
template <format_text F>
constexpr std::size_t fixed_room() {
  std::size_t room = 0;
  for (const piece& p : pieces<F>) {
    room += p.len;
    switch (p.conv) {
      case 'c':
      case '%':
        room += 1;
        break;
      case 'd':
        room += 11;
        break;  // -2147483648
      case 'x':
        room += 8;
        break;
      case 'l':
        room += 16;
        break;
      default:
        break;
    }
  }
  return room;
}

char* put_decimal(char* o, int v);
char* put_hex(char* o, unsigned long v);

inline std::size_t string_room(const char* s) {
  return std::strlen(s);
}
template <typename T>
std::size_t string_room(const T&) {
  return 0;
}

template <char C, typename T>
char* put(char* o, const T& v) {
  if constexpr (C == 's') {
    static_assert(std::is_convertible_v<T, const char*>, "%s takes a text");
    for (const char* s = v; *s != '\0'; ++s) *o++ = *s;
    return o;
  } else {
    static_assert(std::is_integral_v<T>, "%c, %d, %x and %lx take whole numbers");
    if constexpr (C == 'c') {
      *o = static_cast<char>(v);
      return o + 1;
    } else if constexpr (C == 'd') {
      return put_decimal(o, static_cast<int>(v));
    } else if constexpr (C == 'x') {
      return put_hex(o, static_cast<unsigned>(v));
    } else {
      return put_hex(o, static_cast<unsigned long>(v));
    }
  }
}

template <format_text F, std::size_t I, typename Args>
char* put_piece(char* o, const Args& args) {
  constexpr piece p = pieces<F>[I];
  std::memcpy(o, F.s + p.begin, p.len);
  o += p.len;
  if constexpr (p.conv == '%') {
    *o++ = '%';
  } else if constexpr (p.conv != '\0') {
    o = put<p.conv>(o, std::get<arguments<F>().first[I]>(args));
  }
  return o;
}

template <format_text F, typename Args, std::size_t... I>
char* put_line(char* o, const Args& args, std::index_sequence<I...>) {
  ((o = put_piece<F, I>(o, args)), ...);
  return o;
}

}  // namespace line_format

// Holds the open stream and the block not yet handed to it; the destructor hands over
// the rest and closes the file.
class out_file {
 public:
  // Opens `path` for writing; on failure reports it as `func` of `prog`.
  out_file(const char* prog, const char* func, const char* path);
  ~out_file();
  out_file(const out_file&) = delete;
  out_file& operator=(const out_file&) = delete;

  bool is_open() const { return f_ != nullptr; }

  // Appends format F filled with the arguments, as printf would fill it.
  template <format_text F, typename... Args>
  void print(const Args&... args) {
    static_assert(line_format::arguments<F>().second == sizeof...(Args),
                  "a format takes one argument per conversion");
    if (!f_) return;
    const std::size_t room =
        line_format::fixed_room<F>() + (line_format::string_room(args) + ... + 0);
    const auto args_tuple = std::tie(args...);
    constexpr auto all = std::make_index_sequence<line_format::pieces<F>.size()>();
    if (room > BLOCK - used_) hand_over();
    if (room <= BLOCK) {
      used_ = static_cast<std::size_t>(line_format::put_line<F>(block_ + used_, args_tuple, all) -
                                       block_);
      return;
    }
    // A line longer than a whole block goes to the stream on its own.
    const std::unique_ptr<char[]> line(new char[room]);
    write(line.get(), line_format::put_line<F>(line.get(), args_tuple, all));
  }

 private:
  static constexpr std::size_t BLOCK = 4096;

  void hand_over();
  void write(const char* from, const char* to);

  file_ptr f_;
  std::size_t used_ = 0;
  char block_[BLOCK] = {};
};
