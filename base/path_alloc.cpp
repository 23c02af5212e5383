// The allocator behind make_path, alone in its file: a test that links in its own
// path_alloc keeps this one out of the program and can make a path fail to form.
#include <cstdlib>

#include "base/files.h"

namespace kdz {

void* path_alloc(std::size_t size) {
  return std::malloc(size);
}

}  // namespace kdz
