// The lock of a package directory's writers: held by buildc for its whole run and by
// editpar only while it saves, so that two writers of "Init" and "dces" never interleave
// and buildc never waits on an editor that is asking questions.
#pragma once

#include "libcfg/libcfg.h"

// Taken on the directory's "cfg", a file that neither program rewrites, so that no file of
// its own is added to the package. The lock lasts as long as the value.
class package_lock {
 public:
  // Waits until no other writer of the package directory `at` holds the lock. Where "cfg"
  // cannot be opened (missing, not a regular file) nothing is held: the load of "cfg" that
  // follows reports why, and without a catalog nothing is written.
  explicit package_lock(const program_files& at);
  ~package_lock();
  package_lock(const package_lock&) = delete;
  package_lock& operator=(const package_lock&) = delete;

  // Whether the lock is held.
  bool held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};
