// A generated file being written: lines are formatted into a block of memory and handed
// to the file's stream a block at a time.
#pragma once

#include <cstddef>
#include <cstdio>

#include "libcfg/libcfg.h"

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

  // Appends `format` filled with the arguments. Understands what the generated files
  // use: %s, %c, %d, %x and %lx (a width of 1, as in %1d or %01d, changes nothing for
  // these values), and %%.
  void print(const char* format, ...) __attribute__((format(printf, 2, 3)));

 private:
  static constexpr std::size_t BLOCK = 4096;

  void hand_over();

  file_ptr f_;
  char block_[BLOCK];
  std::size_t used_ = 0;
};
