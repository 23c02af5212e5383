// A generated file being written: lines are formatted into a block of memory and handed
// to the file's stream a block at a time.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "libcfg/libcfg.h"

// Holds the open stream, the block not yet handed to it, and the formats already taken
// apart; the destructor hands over the rest and closes the file.
class out_file {
 public:
  // Opens `path` for writing; on failure reports it as `func` of `prog`.
  out_file(const char* prog, const char* func, const char* path);
  ~out_file();
  out_file(const out_file&) = delete;
  out_file& operator=(const out_file&) = delete;

  bool is_open() const { return f_ != nullptr; }

  // Appends `format` filled with the arguments. Understands what the generated files
  // use: %s, %c, %d, %x and %lx (a width of 1, as in %1d or %01d, changes nothing for
  // these values), and %%. A format is taken apart once and then known by its address,
  // so it must not change while the file is open (the writers pass constant texts).
  void print(const char* format, ...) __attribute__((format(printf, 2, 3)));

 private:
  // Literal text of a format piece, copied whole: the piece's length says how much of
  // it counts.
  static constexpr std::size_t PIECE_TEXT = 16;

  // A run of a format's literal text and the conversion after it.
  struct piece {
    char text[PIECE_TEXT];
    std::uint8_t len;
    char conv;            // 's', 'c', 'd', 'x', 'l' for %lx, or '\0' for none
    std::uint16_t after;  // room the pieces after this one need
  };

  static constexpr int MAX_PIECES = 32;

  // The pieces of a format, or of its first part when it has more pieces than fit.
  struct taken_apart {
    const char* format;  // null while the slot is unused
    const char* rest;    // where taking apart stopped: the format's end when it all fit
    int count;
    std::size_t room;  // room all the pieces need in the block
    std::array<piece, MAX_PIECES> pieces;
  };

  // Fills `t` with the pieces of `format` from its start; returns where it stopped.
  static const char* take_apart(taken_apart& t, const char* format);

  static constexpr std::size_t BLOCK = 4096;
  static constexpr int SLOTS = 8;  // the writers use at most a handful of formats per file

  taken_apart& slot_of(const char* format);
  char* hand_over(char* o);
  char* put_string(char* o, const char* s, std::size_t reserve);

  file_ptr f_;
  std::array<taken_apart, SLOTS> slots_;
  int next_reused_ = 0;
  std::size_t used_ = 0;
  char block_[BLOCK];  // last, so that a checker sees any write beyond it
};
