// The memory of a generated file's text, and the file it goes to.
#include "buildc/out_file.h"

#include <cstring>

namespace {

// The largest file of eight 16-port boards (Init, 256 lines) fits without growing.
constexpr std::size_t FIRST_CAPACITY = 16384;

}  // namespace

void out_file::grow() {
  const std::size_t capacity = capacity_ == 0 ? FIRST_CAPACITY : 2 * capacity_;
  std::unique_ptr<char[]> text(new char[capacity]);
  if (used_ != 0) std::memcpy(text.get(), text_.get(), used_);
  text_ = std::move(text);
  capacity_ = capacity;
}

void write_generated(const char* prog, const char* func, const char* path, void (*write)(out_file&),
                     unsigned flags) {
  out_file text;
  write(text);
  replace_file(prog, func, path, text.text(), flags);
}
