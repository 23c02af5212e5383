// The formats of the generated files, taken apart by the compiler into literal runs and
// conversions, so that a line costs fixed-size copies and the digits of its numbers.
//
// A format may hold %s, %c, %d, %x and %lx; before d, x and lx an optional '0' and an
// optional width of 1 (as in %1d and %01d), which change nothing; and %% for a percent
// sign. Anything else (a width of 10, a flag before %s) does not compile.
#pragma once

#include <algorithm>
#include <array>
#include <charconv>
#include <cstddef>
#include <tuple>
#include <type_traits>
#include <utility>

#include "libcfg/libcfg.h"

// A format text as a template argument.
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

template <std::size_t N>
struct parsed {
  std::array<piece, N> pieces{};
  bool ok = true;  // every conversion is one the generated files may use
};

// The pieces of F, and whether F keeps to the conversions above.
template <format_text F>
constexpr parsed<piece_count<F>()> parse() {
  parsed<piece_count<F>()> r;
  std::size_t i = 0, begin = 0;
  for (piece& p : r.pieces) {
    while (F.s[i] != '\0' && F.s[i] != '%') ++i;
    p = {begin, i - begin, '\0'};
    if (F.s[i] == '\0') break;
    const std::size_t flags = ++i;
    if (F.s[i] == '0') ++i;
    if (F.s[i] == '1') ++i;
    const bool flagged = i > flags;
    if (F.s[i] == 'l' && F.s[i + 1] == 'x') {
      p.conv = 'l';
      ++i;
    } else if (F.s[i] == 's' || F.s[i] == 'c' || F.s[i] == 'd' || F.s[i] == 'x' || F.s[i] == '%') {
      p.conv = F.s[i];
    } else {
      r.ok = false;
      break;
    }
    // A width of 1 changes nothing only where at least one digit is written anyway.
    if (flagged && p.conv != 'd' && p.conv != 'x' && p.conv != 'l') r.ok = false;
    begin = ++i;
  }
  return r;
}

template <format_text F>
inline constexpr bool valid = parse<F>().ok;

template <format_text F>
inline constexpr auto pieces = parse<F>().pieces;

// The argument each piece takes, counted over the pieces that take one, and their number.
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

// The most one format can write: its literal text and the longest of each conversion. A
// text (%s) is at most MAX_TEXT characters, the longest text of the records.
template <format_text F>
constexpr std::size_t room() {
  std::size_t n = 0;
  for (const piece& p : pieces<F>) {
    n += p.len;
    switch (p.conv) {
      case 'c':
      case '%':
        n += 1;
        break;
      case 'd':
        n += 11;  // -2147483648
        break;
      case 'x':
        n += 8;
        break;
      case 'l':
        n += 16;
        break;
      case 's':
        n += MAX_TEXT;
        break;
      default:
        break;
    }
  }
  return n;
}

template <char C, typename T>
char* put(char* o, const T& v) {
  if constexpr (C == 's') {
    static_assert(std::is_convertible_v<T, const char*>, "%s takes a text");
    const char* s = v;
    for (int n = 0; n < MAX_TEXT && s[n] != '\0'; ++n) *o++ = s[n];
    return o;
  } else {
    static_assert(std::is_integral_v<T>, "%c, %d, %x and %lx take whole numbers");
    if constexpr (C == 'c') {
      *o = static_cast<char>(v);
      return o + 1;
    } else if constexpr (C == 'd') {
      return std::to_chars(o, o + 11, static_cast<int>(v)).ptr;
    } else if constexpr (C == 'x') {
      return std::to_chars(o, o + 8, static_cast<unsigned>(v), 16).ptr;
    } else {
      return std::to_chars(o, o + 16, static_cast<unsigned long>(v), 16).ptr;
    }
  }
}

template <format_text F, std::size_t I, typename Args>
char* put_piece(char* o, const Args& args) {
  constexpr piece p = pieces<F>[I];
  std::copy_n(F.s + p.begin, p.len, o);
  o += p.len;
  if constexpr (p.conv == '%') {
    *o++ = '%';
  } else if constexpr (p.conv != '\0') {
    o = put<p.conv>(o, std::get<arguments<F>().first[I]>(args));
  }
  return o;
}

// Writes F filled with `args` from `o` on; returns the end. REQUIRES: room<F>() bytes at `o`.
template <format_text F, typename Args, std::size_t... I>
char* put_line(char* o, const Args& args, std::index_sequence<I...>) {
  ((o = put_piece<F, I>(o, args)), ...);
  return o;
}

}  // namespace line_format
