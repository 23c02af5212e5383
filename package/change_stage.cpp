// Step (1) of a change for one file: its new contents staged and flushed beside it, its
// previous version staged, the room of a file rewritten in place reserved; nothing that
// anyone reads changes yet.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "base/error.h"
#include "base/staging.h"
#include "package/change.h"
#include "package/change_steps.h"

namespace kdz {

namespace {

// "<func>: write(<path>) ", or "write(<path>.old)" for its previous version, with errno.
error write_failed(const change_file& f, bool old) {
  return failed_call(f.func, "write", old ? f.path + ".old" : f.path);
}

// Whether fopen(path, "w") could open the destination, decided without creating or
// changing anything; when it could not, fopen's failure. `st` and `exists` say what stands
// there: for a name replaced as a name, the name itself.
error writable(const change_file& f, const std::string& dest, struct stat& st, bool& exists) {
  const char* path = f.path.c_str();
  exists = (f.as_name ? ::lstat(dest.c_str(), &st) : ::stat(dest.c_str(), &st)) == 0;
  if (exists && S_ISLNK(st.st_mode)) return {};  // a link replaced as a name: not opened
  if (exists) {
    if (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) return not_regular(f.func, path);
    // Neither truncated nor waited on: only asked whether it opens for writing.
    const fd_owner fd(::open(dest.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) return failed_call(f.func, "fopen", path);
    return {};
  }
  if (errno == ENOENT && faccessat(AT_FDCWD, dir_of(dest).c_str(), W_OK | X_OK, AT_EACCESS) == 0) {
    return {};
  }
  return failed_call(f.func, "fopen", path);
}

// The ".old" name may only be a regular file, or absent.
error old_name_ok(const change_file& f, const staged_file& s) {
  struct stat st {};
  if (::lstat(s.old_dest.c_str(), &st) != 0 || S_ISREG(st.st_mode)) return {};
  if (!S_ISDIR(st.st_mode)) return not_regular(f.func, f.path + ".old");
  errno = EISDIR;
  return write_failed(f, true);
}

// A path the record cannot hold: its lines are split at blanks and line ends.
error recordable(const program_files& at, const change_file& f, const std::string& dest) {
  const auto clean = [](const std::string& p) {
    return p.find_first_of(" \n") == std::string::npos;
  };
  if (clean(dest) || clean(recorded(at, dest))) return {};
  error e = failure(f.path + ": a path with a blank or a line end cannot be part of a change");
  e.func = f.func;
  e.path = f.path;
  return e;
}

// Reserves room for `size` bytes in the existing file `path`.
bool reserve(const std::string& path, std::size_t size) {
  fd_owner fd(::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC));
  return fd.get() >= 0 && reserve_room(fd.get(), size) && fd.close();
}

// A file in a directory that takes no new file: rewritten in place at the end, its
// ".old" (which must exist already) first; the room of both reserved now. `why` is the
// error that made no new file possible.
error stage_direct(const change_file& f, int why, staged_file& s) {
  if (!reserve(s.dest, f.text.size())) return write_failed(f, false);
  if (f.keep_old) {
    struct stat st {};
    if (::stat(s.old_dest.c_str(), &st) != 0) {
      errno = why;  // no ".old" there, and none can be made
      return write_failed(f, true);
    }
    if (!read_whole(s.dest.c_str(), s.old_text) || !reserve(s.old_dest, s.old_text.size())) {
      return write_failed(f, true);
    }
  }
  s.direct = true;
  return {};
}

// Stages the previous version of the file, to become "<file>.old": a hard link to it when
// `link_ok` (it is renamed over, not rewritten), else a flushed copy.
bool stage_old(const struct stat& st, bool link_ok, staged_file& s) {
  if (link_ok && link_staged(s.dest, s.old_dest, s.old)) return true;
  std::string now;
  return read_whole(s.dest.c_str(), now) && make_staged(s.old_dest, &st, now, s.old) == made::ok;
}

// The new contents staged beside the file and, for a file rewritten in place, its room
// reserved; then its previous version staged.
error stage_beside(const change_file& f, const struct stat* like, staged_file& s) {
  const bool in_place = like != nullptr && !f.as_name && like->st_nlink > 1;
  if (make_staged(s.dest, like, f.text, s.next) != made::ok) return write_failed(f, false);
  if (in_place && !reserve(s.dest, f.text.size())) {
    error e = write_failed(f, false);
    drop_staged(s);
    return e;
  }
  if (like != nullptr && f.keep_old && !stage_old(*like, !in_place, s)) {
    error e = write_failed(f, true);
    drop_staged(s);
    return e;
  }
  return {};
}

bool dir_takes_files(const std::string& file, int& why) {
  if (faccessat(AT_FDCWD, dir_of(file).c_str(), W_OK | X_OK, AT_EACCESS) == 0) return true;
  why = errno;
  return false;
}

// Whether a staging name could not be made for want of a directory that takes it (a
// read-only mount, a sticky directory), though it looked as if it could.
bool refused_here(const change_file& f, bool exists) {
  return exists && !f.as_name && (errno == EACCES || errno == EPERM || errno == EROFS);
}

}  // namespace

void drop_staged(staged_file& s) {
  const int saved = errno;
  for (std::string* name : {&s.next, &s.old}) {
    if (!name->empty()) ::unlink(name->c_str());
    name->clear();
  }
  s.direct = false;
  errno = saved;
}

error inspect_one(const program_files& at, const change_file& f, staged_file& s) {
  s = {};
  s.dest = f.as_name ? f.path : file_behind(f.path.c_str());
  bool exists = false;
  if (error e = writable(f, s.dest, s.st, exists); !e.ok()) return e;
  s.here = exists && !S_ISLNK(s.st.st_mode);
  // Read only where it may hold the same: a file of another size does not.
  std::string now;
  s.changes = !(exists && (!s.here || static_cast<std::size_t>(s.st.st_size) == f.text.size()) &&
                read_whole(s.dest.c_str(), now) && now == f.text);
  if (!s.changes) return {};
  if (error e = recordable(at, f, s.dest); !e.ok()) return e;
  if (!s.here || !f.keep_old) return {};
  s.old_dest = s.dest + ".old";
  return old_name_ok(f, s);
}

error stage_one(const change_file& f, staged_file& s) {
  int why = 0;
  if (s.here && !f.as_name && !dir_takes_files(s.dest, why)) return stage_direct(f, why, s);
  error e = stage_beside(f, s.here ? &s.st : nullptr, s);
  if (!e.ok() && s.next.empty() && refused_here(f, s.here)) return stage_direct(f, e.number, s);
  return e;
}

}  // namespace kdz
