// Formatting of the generated files' lines. The C library's formatted output costs more
// than the rest of a run together, and these files need only a handful of conversions.
#include "buildc/out_file.h"

#include <cstdarg>

out_file::out_file(const char* prog, const char* func, const char* path)
    : f_(std::fopen(path, "w")) {
  if (!f_) report_fopen(prog, func, path);
}

out_file::~out_file() {
  if (f_) hand_over();
}

void out_file::hand_over() {
  std::fwrite(block_, 1, used_, f_.get());
  used_ = 0;
}

void out_file::print(const char* format, ...) {
  if (!f_) return;
  // The block's fill level lives in a local pointer while the line is formatted.
  char* o = block_ + used_;
  auto put = [&](char c) {
    if (o == block_ + BLOCK) {
      used_ = BLOCK;
      hand_over();
      o = block_;
    }
    *o++ = c;
  };
  auto put_unsigned = [&](unsigned long v, unsigned base) {
    char digits[24];
    int n = 0;
    do {
      digits[n++] = "0123456789abcdef"[v % base];
      v /= base;
    } while (v != 0);
    while (n > 0) put(digits[--n]);
  };
  std::va_list args;
  va_start(args, format);
  for (const char* s = format; *s != '\0'; ++s) {
    if (*s != '%') {
      put(*s);
      continue;
    }
    while (*++s == '0' || *s == '1') {
    }
    switch (*s) {
      case 's':
        for (const char* t = va_arg(args, const char*); *t != '\0'; ++t) put(*t);
        break;
      case 'c':
        put(static_cast<char>(va_arg(args, int)));
        break;
      case 'd': {
        const int v = va_arg(args, int);
        if (v < 0) put('-');
        put_unsigned(v < 0 ? 0ul - static_cast<unsigned long>(v) : static_cast<unsigned long>(v),
                     10);
        break;
      }
      case 'x':
        put_unsigned(va_arg(args, unsigned), 16);
        break;
      case 'l':
        ++s;  // only %lx occurs
        put_unsigned(va_arg(args, unsigned long), 16);
        break;
      default:
        put(*s);  // %%
        break;
    }
  }
  va_end(args);
  used_ = static_cast<std::size_t>(o - block_);
}
