// Formatting of the generated files' lines. The C library's formatted output costs more
// than the rest of a run together, and these files need only a handful of conversions.
// Each format is taken apart once into pieces of literal text and a conversion; a line
// is then a copy of fixed size per piece and the conversions' own digits.
#include "buildc/out_file.h"

#include <cstdarg>
#include <cstring>

namespace {

// "00" to "99": a number below 100 is copied from here.
constexpr std::array<char, 200> make_pairs() {
  std::array<char, 200> p{};
  for (int i = 0; i < 100; ++i) {
    p[2 * i] = static_cast<char>('0' + i / 10);
    p[2 * i + 1] = static_cast<char>('0' + i % 10);
  }
  return p;
}
constexpr std::array<char, 200> pairs = make_pairs();

// Kept out of line: rare here, and inlined it would tie up registers for every line.
[[gnu::noinline]] char* put_unsigned(char* o, unsigned long v, unsigned base) {
  char digits[24];
  int n = 0;
  do {
    digits[n++] = "0123456789abcdef"[v % base];
    v /= base;
  } while (v != 0);
  while (n > 0) *o++ = digits[--n];
  return o;
}

char* put_decimal(char* o, int v) {
  if (v >= 0 && v < 10) {
    *o = static_cast<char>('0' + v);
    return o + 1;
  }
  if (v >= 10 && v < 100) {
    std::memcpy(o, &pairs[2 * v], 2);
    return o + 2;
  }
  if (v >= 100 && v < 1000) {
    const int hundreds = v / 100;
    *o = static_cast<char>('0' + hundreds);
    std::memcpy(o + 1, &pairs[2 * (v - 100 * hundreds)], 2);
    return o + 3;
  }
  unsigned long magnitude = static_cast<unsigned long>(v);
  if (v < 0) {
    *o++ = '-';
    magnitude = 0ul - static_cast<unsigned long>(static_cast<long>(v));
  }
  return put_unsigned(o, magnitude, 10);
}

// The conversion after "%" at `s`: its letter, and where the format goes on.
char conversion(const char*& s) {
  while (*s == '0' || *s == '1') ++s;  // a width of 1 changes nothing
  const char c = *s;
  if (c == 's' || c == 'c' || c == 'd' || c == 'x') {
    ++s;
    return c;
  }
  if (c == 'l' && s[1] == 'x') {
    s += 2;
    return 'l';
  }
  return '\0';  // "%%" or an unknown letter: the letter is literal text
}

// The most characters a conversion writes; a %s string looks after its own room.
std::size_t longest(char conv) {
  switch (conv) {
    case 'c':
      return 1;
    case 'd':
      return 11;  // -2147483648
    case 'x':
      return 8;
    case 'l':
      return 16;
    default:
      return 0;
  }
}

}  // namespace

const char* out_file::take_apart(taken_apart& t, const char* format) {
  const char* s = format;
  t.count = 0;
  while (*s != '\0' && t.count < MAX_PIECES) {
    piece& p = t.pieces[t.count++];
    std::memset(p.text, 0, PIECE_TEXT);
    p.len = 0;
    p.conv = '\0';
    while (*s != '\0' && p.len < PIECE_TEXT) {
      if (*s == '%') {
        ++s;
        p.conv = conversion(s);
        if (p.conv != '\0') break;
        if (*s == '\0') break;  // a lone "%" at the end stands for nothing
      }
      p.text[p.len++] = *s++;
    }
  }
  // Room from each piece to the end: what the block must hold before the pieces are
  // copied, and after each %s string.
  std::size_t room = PIECE_TEXT;
  for (int i = t.count - 1; i >= 0; --i) {
    piece& p = t.pieces[i];
    p.after = static_cast<std::uint16_t>(room);
    room += p.len + longest(p.conv);
  }
  t.room = room;
  t.format = format;
  t.rest = s;
  return s;
}

out_file::out_file(const char* prog, const char* func, const char* path)
    : f_(std::fopen(path, "w")) {
  if (!f_) report_fopen(prog, func, path);
  for (taken_apart& t : slots_) t.format = nullptr;
}

out_file::~out_file() {
  if (f_) hand_over(block_ + used_);
}

char* out_file::hand_over(char* o) {
  std::fwrite(block_, 1, static_cast<std::size_t>(o - block_), f_.get());
  used_ = 0;
  return block_;
}

char* out_file::put_string(char* o, const char* s, std::size_t reserve) {
  for (;;) {
    for (char* const end = block_ + BLOCK - reserve; o != end; ++o, ++s) {
      if (*s == '\0') return o;
      *o = *s;
    }
    o = hand_over(o);
  }
}

out_file::taken_apart& out_file::slot_of(const char* format) {
  for (taken_apart& t : slots_) {
    if (t.format == format) return t;
    if (t.format == nullptr) {
      take_apart(t, format);
      return t;
    }
  }
  // More formats than slots: they take turns.
  taken_apart& t = slots_[next_reused_];
  next_reused_ = (next_reused_ + 1) % SLOTS;
  take_apart(t, format);
  return t;
}

void out_file::print(const char* format, ...) {
  if (!f_) return;
  const taken_apart* t = &slot_of(format);
  taken_apart more;  // a format with more pieces than a slot holds goes on here
  std::va_list args;
  va_start(args, format);
  char* o = block_ + used_;
  for (;;) {
    if (static_cast<std::size_t>(block_ + BLOCK - o) < t->room) o = hand_over(o);
    for (const piece *p = t->pieces.data(), *end = p + t->count; p != end; ++p) {
      std::memcpy(o, p->text, PIECE_TEXT);
      o += p->len;
      switch (p->conv) {
        case 's': {
          // Characters go straight in while they fit; a string that reaches the
          // pieces' reserved room goes on through put_string.
          const char* text = va_arg(args, const char*);
          for (char* const stop = block_ + BLOCK - p->after; *text != '\0' && o != stop;)
            *o++ = *text++;
          if (*text != '\0') o = put_string(o, text, p->after);
          break;
        }
        case 'c':
          *o++ = static_cast<char>(va_arg(args, int));
          break;
        case 'd':
          o = put_decimal(o, va_arg(args, int));
          break;
        case 'x':
          o = put_unsigned(o, va_arg(args, unsigned), 16);
          break;
        case 'l':
          o = put_unsigned(o, va_arg(args, unsigned long), 16);
          break;
        default:
          break;
      }
    }
    if (*t->rest == '\0') break;
    take_apart(more, t->rest);
    t = &more;
  }
  va_end(args);
  used_ = static_cast<std::size_t>(o - block_);
}
