// The line tokenizer and the small parsers shared by every reader and several prompts.
#include <climits>
#include <cstring>

#include "base/lines.h"

namespace kdz {

namespace {

bool is_blank(char c) {
  return c == ' ' || c == '\t';
}

// A token not in quotes ends at a blank, the line end or a comment.
bool ends_plain_token(char c) {
  return is_blank(c) || c == '\n' || c == '#' || c == '\0';
}

}  // namespace

int argvify(char** argv, char* line) {
  int n = 0;
  char* s = line;
  for (;;) {
    while (is_blank(*s)) ++s;
    if (*s == '\n' || *s == '#' || *s == '\0') break;
    if (*s == '"') {
      // A quote left open runs to the end of the line, its newline excluded.
      argv[n++] = ++s;
      while (*s != '"' && *s != '\n' && *s != '\0') ++s;
      if (*s != '"') {
        *s = '\0';
        break;
      }
      *s++ = '\0';
      continue;
    }
    argv[n++] = s;
    while (!ends_plain_token(*++s)) {
    }
    const char end = *s;
    *s = '\0';
    if (end != ' ' && end != '\t') break;
    ++s;
  }
  argv[n] = nullptr;
  return n;
}

int search(const tag_entry* table, const char* key) {
  // A table never filled by a loader is all zero: a null name ends it like "".
  for (const tag_entry* row = table; row->name != nullptr && row->name[0] != '\0'; ++row) {
    // The first two characters settle most rows without a call (a row's name is not
    // empty, so when the first ones agree both strings go on to a second character).
    if (row->name[0] == key[0] && row->name[1] == key[1] && std::strcmp(row->name, key) == 0)
      return row->code;
  }
  return -1;
}

std::uint32_t htol(const char* text) {
  while (*text == ' ' || *text == '\n' || *text == '\t') ++text;
  std::uint32_t value = 0;
  for (; *text != '\0'; ++text) {
    const char c = *text;
    std::uint32_t digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return 0;
    }
    value = value * 16 + digit;
  }
  return value;
}

std::int32_t read_decimal(const char* text) {
  // What atoi does: strtol in the C locale, saturating at the range of long, then the
  // low 32 bits.
  const char* s = text;
  while (*s == ' ' || (*s >= '\t' && *s <= '\r')) ++s;
  const bool negative = *s == '-';
  if (*s == '-' || *s == '+') ++s;
  const unsigned long limit =
      negative ? 0ul - static_cast<unsigned long>(LONG_MIN) : static_cast<unsigned long>(LONG_MAX);
  unsigned long magnitude = 0;
  for (; *s >= '0' && *s <= '9'; ++s) {
    const unsigned long digit = static_cast<unsigned long>(*s - '0');
    // Below a tenth of the limit, one more digit always fits.
    if (magnitude >= limit / 10 && magnitude > (limit - digit) / 10) {
      magnitude = limit;
      break;
    }
    magnitude = magnitude * 10 + digit;
  }
  const unsigned long value = negative ? 0ul - magnitude : magnitude;
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

bool ends_in_cr(const char* word) {
  const std::size_t n = std::strlen(word);
  return n > 0 && word[n - 1] == '\r';
}

}  // namespace kdz
