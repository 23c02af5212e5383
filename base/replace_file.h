// base, the bottom layer: what a program that reads and writes text files needs, knowing
// nothing of boards (lines.h says it whole).
//
// replace_file.h: files written whole. New contents go to a temporary file beside the old
// one and take its place by a rename, so that a full disk, a crash or a signal leaves
// either the old file or the new one, never a cut one.
#pragma once

#include <string>
#include <string_view>

#include "base/files.h"

namespace kdz {

// The directory part of `path`: "." when it has none, "/" for a file of the root.
std::string dir_of(const std::string& path);
// The file that `path` names once symbolic links are followed: new contents take the place
// of that file, not of the link, and an editor locks its directory. A dangling link gives
// the file it would create.
std::string file_behind(const char* path);
// Whether the file at `path` (the file a symbolic link names) is a regular file that holds
// exactly `text`, as replace_file would find it and leave it untouched.
bool file_holds(const char* path, std::string_view text);

// Files written whole. How replace_file keeps a file:
enum replace_flag : unsigned {
  KEEP_OLD = 1,  // the previous version stays beside it as NAME.old, one generation
  SYNC = 2,      // the new contents reach the disk before they take the file's place
};
// Makes the file at `path` hold `text`, replacing it whole; the messages of its failures
// name `func`:
// - where fopen(path, "w") would fail, that failure comes back as "<func>: fopen(<path>) "
//   and the error text (a FIFO, socket or device as not_regular) and nothing is created or
//   changed;
// - a file that already holds `text` is not touched;
// - otherwise `text` goes to a temporary file beside the file (beside the file a symbolic
//   link names) that takes its place by a rename, with its permission bits, owner and
//   group; a file of several hard links, or in a directory that takes no new file, is
//   rewritten in place, its room reserved first (posix_fallocate) and its ".old" copy
//   complete and flushed before a byte of it changes;
// - a failure after that comes back as "write(<path>)", or "write(<path>.old)" when it was
//   the ".old" copy's; the file keeps its old contents (also when rewritten in place, unless
//   a write fails after its room was reserved), a missing file stays missing, no temporary
//   file is left, and the file and its ".old" copy are never two names of one file;
// - what a killed run left beside the file while replacing it (".NAME.PID-N",
//   ".NAME.old.PID", ".NAME.old.PID-N" of a process that no longer exists) is removed, as
//   found when this process first replaced a file in that directory.
// SIGINT, SIGTERM and SIGHUP wait until the file is replaced. stage_file then place_file.
error replace_file(const char* func, const char* path, std::string_view text, unsigned flags);

// One file's replacement made ready, nothing visible changed yet: the new contents written
// and flushed beside the file, its ".old" copy complete and flushed. Move-only; dropped
// before it is placed, it removes what it made and leaves no file behind. While one is
// pending, SIGINT, SIGTERM and SIGHUP wait. Its members are replace_file.cpp's alone.
class staged_file {
 public:
  // What was made, and what placing it still has to do (replace_file.cpp).
  struct parts {
    const char* func = nullptr;  // the function the messages name, which outlives every staged file
    std::string path;            // the path as given: the messages name it
    std::string file;            // the file itself, symbolic links followed; "" when none
    std::string text;            // the new contents, kept only for an in-place write
    std::string next;            // the new contents beside the file, while not placed
    std::string old;             // the current version, to become FILE.old, while not placed
    bool sync = false;
    bool in_place = false;    // rewritten where it stands at placing time, from `text`
    bool old_failed = false;  // what failed was the ".old" copy: the message names it
  };
  staged_file() = default;
  ~staged_file();
  staged_file(staged_file&& other) noexcept;
  staged_file& operator=(staged_file&& other) noexcept;
  staged_file(const staged_file&) = delete;
  staged_file& operator=(const staged_file&) = delete;
  // Whether a replacement waits to be placed (false: nothing to do, placed, or failed).
  bool pending() const { return !parts_.file.empty(); }

 private:
  void drop() noexcept;  // removes what was made and not placed
  parts parts_;
  friend error stage_file(const char* func, const char* path, std::string_view text, unsigned flags,
                          staged_file& staged);
  friend error place_file(staged_file& staged);
};
// The first half of replace_file: everything but the renames (or the in-place write) that
// make the new contents the file's. `func` must outlive `staged`. Its failures come back as
// replace_file's do, `staged` then empty and nothing changed; equal contents leave `staged`
// empty too, all well. Where the directory takes no new file, an existing ".old"
// copy is rewritten in place already here. REQUIRES: no other staged file of this process is for
// the same file.
error stage_file(const char* func, const char* path, std::string_view text, unsigned flags,
                 staged_file& staged);
// The second half: renames the new contents onto the file, then the ".old" copy onto
// "NAME.old" (a file rewritten in place: its ".old" copy first, then the file). A failure
// comes back as replace_file's. `staged` is empty afterwards; placing an empty one is all
// well.
error place_file(staged_file& staged);

// SIGINT, SIGTERM and SIGHUP wait from the first hold_signals to the release_signals that
// matches the last one still held; holds nest, and end in any order.
void hold_signals();
void release_signals();
// Removes what a killed run left beside `file` while it replaced it: ".NAME.PID-N" (new
// contents), ".NAME.old.PID" and ".NAME.old.PID-N" (its ".old" copy), where process PID no
// longer exists, as found when this process first replaced a file in that directory. A
// name of a live process may be a replacement under way: it stays. errno is kept.
void sweep_strays(const std::string& file);

}  // namespace kdz
