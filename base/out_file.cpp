// The memory of a generated file's text.
#include "base/out_file.h"

#include <cstring>

namespace kdz {

namespace {

// The largest file of eight 16-port boards ("Init", 256 lines) fits without growing.
constexpr std::size_t FIRST_CAPACITY = 16384;

}  // namespace

void out_file::grow(std::size_t room) {
  std::size_t capacity = capacity_ == 0 ? FIRST_CAPACITY : 2 * capacity_;
  if (capacity - used_ < room) capacity = used_ + room;
  std::unique_ptr<char[]> text(new char[capacity]);
  if (used_ != 0) std::memcpy(text.get(), text_.get(), used_);
  text_ = std::move(text);
  capacity_ = capacity;
}

}  // namespace kdz
