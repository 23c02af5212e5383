// The stream side of a generated file, and the number conversions of its lines. The C
// library's formatted output costs more than the rest of a run together; these files
// need only a handful of conversions, and their formats are known when the program is
// built.
#include "buildc/out_file.h"

namespace line_format {

namespace {

// "00" to "99": a number below 100 is copied from here.
constexpr std::array<char, 200> make_pairs() {
  std::array<char, 200> p{};
  for (std::size_t i = 0; i < 100; ++i) {
    p[2 * i] = static_cast<char>('0' + i / 10);
    p[2 * i + 1] = static_cast<char>('0' + i % 10);
  }
  return p;
}
constexpr std::array<char, 200> pairs = make_pairs();

char* put_digits(char* o, unsigned long v, unsigned base) {
  char digits[24];
  int n = 0;
  do {
    digits[n++] = "0123456789abcdef"[v % base];
    v /= base;
  } while (v != 0);
  while (n > 0) *o++ = digits[--n];
  return o;
}

}  // namespace

char* put_decimal(char* o, int v) {
  if (v >= 0 && v < 10) {
    *o = static_cast<char>('0' + v);
    return o + 1;
  }
  if (v >= 10 && v < 100) {
    std::memcpy(o, &pairs[2 * static_cast<std::size_t>(v)], 2);
    return o + 2;
  }
  unsigned long magnitude = static_cast<unsigned long>(v);
  if (v < 0) {
    *o++ = '-';
    magnitude = 0ul - static_cast<unsigned long>(static_cast<long>(v));
  }
  return put_digits(o, magnitude, 10);
}

char* put_hex(char* o, unsigned long v) {
  return put_digits(o, v, 16);
}

}  // namespace line_format

out_file::out_file(const char* prog, const char* func, const char* path)
    : f_(std::fopen(path, "w")) {
  if (!f_) report_fopen(prog, func, path);
}

out_file::~out_file() {
  if (f_) hand_over();
}

void out_file::hand_over() {
  write(block_, block_ + used_);
  used_ = 0;
}

void out_file::write(const char* from, const char* to) {
  std::fwrite(from, 1, static_cast<std::size_t>(to - from), f_.get());
}
