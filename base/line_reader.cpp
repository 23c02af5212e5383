// Line reading without fgets: the C library's version locks the stream and moves a line
// through several layers, which cost the generator more than its own parsing.
#include "base/lines.h"

#include <cerrno>
#include <cstring>

namespace kdz {

namespace {

bool refill(line_reader& r) {
  r.next = 0;
  if (r.error != 0) return false;
  r.end = std::fread(r.block, 1, line_reader::BLOCK, r.f);
  if (r.end == 0 && std::ferror(r.f)) r.error = errno != 0 ? errno : EIO;
  return r.end > 0;
}

}  // namespace

std::size_t read_line(line_reader& r, char* line, std::size_t size) {
  if (size == 0) return 0;
  std::size_t n = 0;  // bytes placed in `line`
  while (n < size - 1) {
    if (r.next == r.end && !refill(r)) break;
    const char* from = r.block + r.next;
    std::size_t take = r.end - r.next;
    if (take > size - 1 - n) take = size - 1 - n;
    const void* newline = std::memchr(from, '\n', take);
    if (newline != nullptr)
      take = static_cast<std::size_t>(static_cast<const char*>(newline) - from) + 1;
    std::memcpy(line + n, from, take);
    n += take;
    r.next += take;
    if (newline != nullptr) break;
  }
  if (n == 0) return 0;
  line[n] = '\0';
  return n;
}

std::string_view read_piece(line_reader& r, char* spill, std::size_t size) {
  if (size < 2 || (r.next == r.end && !refill(r))) return {};
  const char* from = r.block + r.next;
  const std::size_t left = r.end - r.next;
  const std::size_t most = size - 1;
  std::size_t take = left < most ? left : most;
  const void* newline = std::memchr(from, '\n', take);
  if (newline != nullptr) {
    take = static_cast<std::size_t>(static_cast<const char*>(newline) - from) + 1;
  } else if (take < most) {
    // The block ends before the piece does: it is gathered across the blocks.
    return {spill, read_line(r, spill, size)};
  }
  r.next += take;
  return {from, take};
}

}  // namespace kdz
