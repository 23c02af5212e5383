// base, the bottom layer: what a program that reads and writes text files needs, knowing
// nothing of boards (lines.h says it whole).
//
// staging.h: files written whole beside the file they are to replace, under names of one
// form that no person would choose (".NAME.kdz-PID-N"), and the calls around them: reading
// and writing whole, rewriting in place with the room reserved first, flushing a
// directory, holding signals. In what order staged files take their places is the caller's.
#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace kdz {

// The directory part of `path`: "." when it has none, "/" for a file of the root.
std::string dir_of(const std::string& path);
// The name after the directory part of `path`.
std::string_view base_of(std::string_view path);
// The file that `path` names once symbolic links are followed: new contents take the place
// of that file, not of the link, and an editor locks its directory. A dangling link gives
// the file it would create.
std::string file_behind(const char* path);
// Whether the file at `path` (the file a symbolic link names) is a regular file that holds
// exactly `text`.
bool file_holds(const char* path, std::string_view text);

// A descriptor closed when it goes out of scope, unless its close is checked first.
class fd_owner {
 public:
  explicit fd_owner(int fd) : fd_(fd) {}
  ~fd_owner();
  fd_owner(const fd_owner&) = delete;
  fd_owner& operator=(const fd_owner&) = delete;
  int get() const { return fd_; }
  // Closes now; false (errno set) when the close reports an error.
  bool close();

 private:
  int fd_;
};

// The contents of the file at `path`, read whole without waiting on it; false (errno set)
// when it cannot be.
bool read_whole(const char* path, std::string& text);
// Writes all of `text` to `fd` from where it stands; false (errno set) when a write fails.
bool write_whole(int fd, std::string_view text);

// How making a staged file went: `refused` when it could not even be created, `failed`
// when it was created but could not be written whole; errno tells why.
enum class made { ok, refused, failed };
// Makes the staged file "." + name + ".kdz-" + PID + "-" + N beside the file `file` (N
// counts from 0 in each process, past any name that exists), created O_EXCL|O_NOFOLLOW with
// mode 0666 (the umask applies) and the permission bits, owner and group of `like` where
// given and allowed, holding `text`, flushed (fsync) and closed. `staged` then names it;
// otherwise nothing is left.
made make_staged(const std::string& file, const struct stat* like, std::string_view text,
                 std::string& staged);
// Makes the staging name of the file `beside` (as make_staged names it) a hard link to the
// file `file`; false (errno set) when no link can be made.
bool link_staged(const std::string& file, const std::string& beside, std::string& staged);
// Whether a directory entry named `name` has the staging form: a dot, a name, ".kdz-", a
// process number, "-" and a serial; nothing else.
bool staging_name(std::string_view name);

// Makes room for `size` bytes in the open regular file `fd` while it reads the same: a full
// disk or the file size limit fail here (errno set), not when it is rewritten; its times stay.
bool reserve_room(int fd, std::size_t size);
// Writes `text` over the existing file at `path` where it stands, every name of it seeing
// it: from its start, cut to its length, flushed. False (errno set) on a failure.
bool write_in_place(const std::string& path, std::string_view text);
// Flushes the entries of the directory `dir` (fsync); a directory that cannot be flushed (a
// file system that cannot, EINVAL; one this user may not read, EACCES) is all well. False
// (errno set) on another failure.
bool sync_directory(const std::string& dir);

// SIGINT, SIGTERM and SIGHUP wait from the first hold_signals to the release_signals that
// matches the last one still held; holds nest, and end in any order.
void hold_signals();
void release_signals();

}  // namespace kdz
