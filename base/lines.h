// base, the bottom layer: what a program that reads and writes text files needs, knowing
// nothing of boards: lines and their words and numbers, errors as values, paths, files
// replaced whole, the program's name and standard output, and a text formatted in memory.
//
// lines.h: lines of a text file, read a block at a time and handed out exactly as fgets
// would, and the words and numbers of a line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace kdz {

constexpr int BUF_SIZE = 256;    // a line buffer: a line or an answer
constexpr int MAX_TOKENS = 129;  // 128 tokens of a 256-byte line and the null after them

// A file's blocks not yet handed out as lines. The stream stays the caller's.
struct line_reader {
  static constexpr std::size_t BLOCK = 4096;

  std::FILE* f;
  std::size_t next = 0;  // first byte of `block` not yet handed out
  std::size_t end = 0;   // bytes in `block`
  int error = 0;         // errno of a read that failed; reading ends there
  char block[BLOCK] = {};

  explicit line_reader(std::FILE* stream) : f(stream) {}
};

// Fills `line` (of `size` >= 2 bytes) as fgets(line, size, r.f) would: up to size - 1 bytes,
// ending after the first newline, NUL bytes copied like any other, then a NUL. Returns the
// number of bytes placed before the NUL; 0 at the end of the file, when nothing was left to
// read, and after a read error (r.error tells it).
std::size_t read_line(line_reader& r, char* line, std::size_t size);
// The same piece of the file as read_line(r, spill, size) gives, without copying it where
// it lies whole in the block read: a view into the block, or into `spill` (of `size` >= 2
// bytes) for a piece that runs past it. Empty at the end of the file and after a read
// error (r.error tells it).
std::string_view read_piece(line_reader& r, char* spill, std::size_t size);

// A row of a keyword or name table; the table ends with a row whose name is "".
struct tag_entry {
  const char* name;
  std::int16_t code;
};

// Splits `line` in place into blank-separated and quoted tokens, up to its newline, a
// comment or its end. Fills argv[0..n-1] with pointers into `line` and argv[n] with null;
// returns n. REQUIRES: `argv` has room for every token and the null after them
// (MAX_TOKENS for a line of BUF_SIZE bytes).
int argvify(char** argv, char* line);
// The code of the first row of `table` whose name equals `key` exactly, or -1. A row
// with an empty or null name ends the table and is never compared.
int search(const tag_entry* table, const char* key);
// The hexadecimal text (no prefix, leading blanks skipped) as an unsigned 32-bit value;
// 0 for text that holds anything else.
std::uint32_t htol(const char* text);
// Decimal text read as the C library's atoi reads it: strtol's value, saturated at the
// range of long, then its low 32 bits.
std::int32_t read_decimal(const char* text);
// Whether a word ends in a carriage return, as the last word of each line of a file saved
// with DOS line ends does.
bool ends_in_cr(const char* word);
// `text` as a terminal can show it, for a message that quotes a file or an answer: a byte
// below 0x20 but a tab, or 0x7f, as "\r" (a carriage return) or "\xHH" (lower-case hex).
std::string visible(std::string_view text);

}  // namespace kdz
