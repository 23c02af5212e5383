// The editors' lock call of a file system without locks, linked into an editpar built for
// the process tests in place of the real one.
#include <cerrno>

#include "libcfg/edit_files.h"

int lock_call(int /*fd*/) {
  errno = ENOLCK;
  return -1;
}
