// Lines of a text file, read a block at a time and handed out exactly as fgets would.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string_view>

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

// Fills `line` (of `size` >= 2 bytes) as fgets(line, size, r.f) would: up to size - 1 bytes, ending
// after the first newline, NUL bytes copied like any other, then a NUL. Returns false at the end of
// the file, when nothing was left to read, and after a read error (r.error tells it).
// Returns the number of bytes placed before the NUL, or 0 at the end.
std::size_t read_line(line_reader& r, char* line, std::size_t size);
// The same piece of the file as read_line(r, spill, size) gives, without copying it where
// it lies whole in the block read: a view into the block, or into `spill` (of `size` >= 2
// bytes) for a piece that runs past it. Empty at the end of the file and
// after a read error (r.error tells it).
std::string_view read_piece(line_reader& r, char* spill, std::size_t size);
