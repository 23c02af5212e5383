// Files written whole: staged beside the file, then placed by a rename (or rewritten in
// place where a rename cannot keep every name of the file). The previous version of what
// the user chose is kept.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <string>
#include <string_view>
#include <utility>

#include <fmt/compile.h>
#include <fmt/format.h>

#include "base/replace_file.h"

namespace kdz {

namespace {

// A descriptor closed when it goes out of scope, unless its close is checked first.
class fd_owner {
 public:
  explicit fd_owner(int fd) : fd_(fd) {}
  ~fd_owner() {
    if (fd_ >= 0) ::close(fd_);
  }
  fd_owner(const fd_owner&) = delete;
  fd_owner& operator=(const fd_owner&) = delete;
  int get() const { return fd_; }
  // Closes now; false when the close reports an error.
  bool close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

// A name this run made beside a file: removed again unless it is renamed into place.
class staged_name {
 public:
  staged_name() = default;
  explicit staged_name(std::string path) : path_(std::move(path)) {}
  ~staged_name() { drop(); }
  staged_name(const staged_name&) = delete;
  staged_name& operator=(const staged_name&) = delete;
  // Hands the name over: it is no longer removed here.
  std::string release() { return std::exchange(path_, std::string()); }

 private:
  void drop() {
    if (path_.empty()) return;
    const int saved = errno;
    ::unlink(path_.c_str());
    errno = saved;
    path_.clear();
  }
  std::string path_;
};

// The directory part of `path` ("." when it has none) and the name after it, as views into
// it.
struct path_parts {
  std::string_view dir, name;
};
path_parts split(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) return {".", path};
  return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

bool write_all(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t n = ::write(fd, text.data(), text.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    text.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// The contents of the file at `path`, or false when it cannot be read whole.
bool read_all(const std::string& path, std::string& text) {
  const fd_owner fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (fd.get() < 0) return false;
  text.clear();
  char block[8192];
  for (;;) {
    const ssize_t n = ::read(fd.get(), block, sizeof block);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    text.append(block, static_cast<std::size_t>(n));
  }
}

bool same_contents(const std::string& path, const struct stat& st, std::string_view text) {
  if (static_cast<std::size_t>(st.st_size) != text.size()) return false;
  std::string now;
  return read_all(path, now) && now == text;
}

// Writes `text` to `fd`, flushed to the disk when `sync`, and closes it.
bool fill(int fd, std::string_view text, bool sync) {
  fd_owner owner(fd);
  const bool ok = write_all(fd, text) && (!sync || ::fsync(fd) == 0);
  const int saved = errno;
  const bool closed = owner.close();
  if (!ok) errno = saved;
  return ok && closed;
}

// The permission bits, owner and group of the file it replaces, as far as allowed: only
// root gives a file to another user, and a user only to a group of his own; failing that,
// the new file stays the writer's, like one fopen creates.
void take_over(int fd, const struct stat& st) {
  if (fchown(fd, st.st_uid, st.st_gid) != 0 && fchown(fd, static_cast<uid_t>(-1), st.st_gid) != 0) {
    errno = 0;
  }
  fchmod(fd, st.st_mode & 07777);
}

// How making a file beside another went: `refused` when it could not even be created.
enum class made { ok, refused, failed };

// Writes `text` to a new file beside `path`: "." + the file's name + "." + PID + "-" + a
// serial, with the bits of `like` when given. `out` owns it on success.
made make_beside(const std::string& path, const struct stat* like, std::string_view text, bool sync,
                 std::string& out) {
  // Counts the names this process tried, so that no two of its files share one.
  static unsigned serial;
  const path_parts at = split(path);
  const pid_t pid = getpid();
  char name[PATH_MAX];
  int fd = -1;
  for (int tries = 0; tries < 100; ++tries) {
    const auto end = fmt::format_to_n(name, sizeof name - 1, FMT_COMPILE("{}/.{}.{}-{}"), at.dir,
                                      at.name, pid, serial++);
    *end.out = '\0';
    // 0666 as for fopen: the umask applies.
    fd = ::open(name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) break;
  }
  if (fd < 0) return made::refused;
  staged_name made_name{std::string(name)};
  if (like != nullptr) take_over(fd, *like);
  if (!fill(fd, text, sync)) return made::failed;
  out = made_name.release();
  return made::ok;
}

// Reserves room for `size` bytes in the open file `fd` before a byte of it changes: a full
// disk or a file-size limit then fails here, and the file is left as it was (what the
// reservation added goes again, and the file keeps its times). posix_fallocate and not the
// KEEP_SIZE form, which the file-size limit does not stop.
bool reserve(int fd, std::size_t size) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) return false;
  if (size == 0) return true;
  const int error = ::posix_fallocate(fd, 0, static_cast<off_t>(size));
  if (error == 0) return true;
  // A failed reservation, and the cut back to the old size, may still set the times.
  const struct timespec times[2] = {st.st_atim, st.st_mtim};
  struct stat now {};
  if (::fstat(fd, &now) == 0 && now.st_size != st.st_size) (void)::ftruncate(fd, st.st_size);
  (void)::futimens(fd, times);
  errno = error;
  return false;
}

// Writes `text` into the existing file at `path` itself, every name of it seeing the new
// contents: the room reserved, then written from the start and cut to its new length.
bool write_in_place(const std::string& path, std::string_view text, bool sync) {
  fd_owner fd(::open(path.c_str(), O_WRONLY | O_CLOEXEC));
  if (fd.get() < 0) return false;
  const bool ok = reserve(fd.get(), text.size()) && write_all(fd.get(), text) &&
                  ::ftruncate(fd.get(), static_cast<off_t>(text.size())) == 0 &&
                  (!sync || ::fsync(fd.get()) == 0);
  const int saved = errno;
  const bool closed = fd.close();
  if (!ok) errno = saved;
  return ok && closed;
}

// Whether fopen(path, "w") could open the file, decided without creating or changing
// anything; when it could not, fopen's failure.
error writable(const char* func, const char* path, const std::string& file, struct stat& st,
               bool& exists) {
  exists = ::stat(path, &st) == 0;
  if (exists) {
    if (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) return not_regular(func, path);
    // Neither truncated nor waited on: only asked whether it opens for writing.
    const fd_owner fd(::open(path, O_WRONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) return failed_call(func, "fopen", path);
    return {};
  }
  if (errno == ENOENT && faccessat(AT_FDCWD, dir_of(file).c_str(), W_OK | X_OK, AT_EACCESS) == 0) {
    return {};
  }
  return failed_call(func, "fopen", path);
}

bool dir_takes_files(const std::string& file) {
  const std::string dir(split(file).dir);
  return faccessat(AT_FDCWD, dir.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

// Makes the current version of the file ready to be FILE.old: a hard link to it when
// `link_ok` (the file is about to be renamed over, not rewritten), else a flushed copy.
// Where no new file can be made, an existing FILE.old is rewritten in place now.
bool make_old(staged_file::parts& p, const struct stat& st, bool link_ok) {
  if (link_ok) {
    const path_parts at = split(p.file);
    char stem[PATH_MAX];
    *fmt::format_to_n(stem, sizeof stem - 1, FMT_COMPILE("{}/.{}.old.{}"), at.dir, at.name,
                      getpid())
         .out = '\0';
    ::unlink(stem);  // what a run of this process number left when it was killed
    if (::link(p.file.c_str(), stem) == 0) {
      p.old = stem;
      return true;
    }
  }
  const std::string old_path = p.file + ".old";
  std::string text;
  if (!read_all(p.file, text)) return false;
  const made m = make_beside(old_path, &st, text, true, p.old);
  if (m != made::refused) return m == made::ok;
  const int refused = errno;  // why no file could be made: what the user is told
  struct stat old_st {};
  if (::stat(old_path.c_str(), &old_st) == 0 && S_ISREG(old_st.st_mode)) {
    return write_in_place(old_path, text, true);
  }
  errno = refused;
  return false;
}

bool stage_old(staged_file::parts& p, const struct stat& st, bool link_ok) {
  p.old_failed = !make_old(p, st, link_ok);
  return !p.old_failed;
}

// Renames the staged name `from` onto `to`; `from` is then no longer staged.
bool rename_staged(std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) return false;
  from.clear();
  return true;
}

bool place_old(staged_file::parts& p) {
  p.old_failed = !p.old.empty() && !rename_staged(p.old, p.file + ".old");
  return !p.old_failed;
}

// Makes the new contents ready beside the file, or, for a file rewritten in place, keeps
// them for placing; stages its ".old" copy when `keep`.
bool prepare(staged_file::parts& p, const struct stat& st, bool exists, std::string_view text,
             bool keep) {
  // A new file beside it and a rename need a writable directory; a file of several names
  // is rewritten where it stands, so that every name sees the new contents.
  const bool in_place = exists && (st.st_nlink > 1 || !dir_takes_files(p.file));
  if (!in_place) {
    const made m = make_beside(p.file, exists ? &st : nullptr, text, p.sync, p.next);
    if (m == made::ok) return !keep || stage_old(p, st, true);
    // Creating it was refused though the directory looked writable (a read-only mount, a
    // sticky directory): an existing file is still rewritten as fopen would.
    if (m == made::failed || !exists || (errno != EACCES && errno != EPERM && errno != EROFS)) {
      return false;
    }
  }
  p.in_place = true;
  p.text = text;
  return !keep || stage_old(p, st, false);
}

// Renames what was staged into place: the file, then its ".old" copy, so that a failure in
// between never leaves the two names on one file. A file rewritten in place gets its
// ".old" copy first, so that the previous version is kept whatever the write comes to.
bool place(staged_file::parts& p) {
  if (p.in_place) return place_old(p) && write_in_place(p.file, p.text, p.sync);
  return rename_staged(p.next, p.file) && place_old(p);
}

// "write(<path>)", or "write(<path>.old)" when it was the ".old" copy that failed.
error write_failed(const staged_file::parts& p) {
  return failed_call(p.func, "write", p.old_failed ? p.path + ".old" : p.path);
}

}  // namespace

std::string dir_of(const std::string& path) {
  return std::string(split(path).dir);
}

std::string file_behind(const char* path) {
  std::string p = path;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    char target[PATH_MAX];
    if (lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return p;
    const ssize_t n = readlink(p.c_str(), target, sizeof target - 1);
    if (n < 0) return p;
    target[n] = '\0';
    p = target[0] == '/' || p.find('/') == std::string::npos ? std::string(target)
                                                             : dir_of(p) + "/" + target;
  }
  return p;
}

bool file_holds(const char* path, std::string_view text) {
  const std::string file = file_behind(path);
  struct stat st {};
  return ::stat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode) && same_contents(file, st, text);
}

staged_file::~staged_file() {
  drop();
}

void staged_file::drop() noexcept {
  if (!pending()) return;
  const int saved = errno;
  for (const std::string* name : {&parts_.next, &parts_.old}) {
    if (!name->empty()) ::unlink(name->c_str());
  }
  errno = saved;
  parts_.file.clear();
  release_signals();
}

staged_file::staged_file(staged_file&& other) noexcept : parts_(std::move(other.parts_)) {
  other.parts_.file.clear();
}

staged_file& staged_file::operator=(staged_file&& other) noexcept {
  if (this != &other) {
    drop();
    parts_ = std::move(other.parts_);
    other.parts_.file.clear();
  }
  return *this;
}

error stage_file(const char* func, const char* path, std::string_view text, unsigned flags,
                 staged_file& staged) {
  staged.drop();
  std::string file = file_behind(path);
  struct stat st {};
  bool exists = false;
  if (error e = writable(func, path, file, st, exists); !e.ok()) return e;
  if (exists && same_contents(file, st, text)) return {};
  sweep_strays(file);
  staged_file::parts& p = staged.parts_;
  p.next.clear();
  p.old.clear();
  p.text.clear();
  p.in_place = false;
  hold_signals();  // released when `staged` is placed or dropped
  p.file = std::move(file);
  p.func = func;
  p.path = path;
  p.sync = (flags & SYNC) != 0;
  if (!prepare(p, st, exists, text, exists && (flags & KEEP_OLD) != 0)) {
    error e = write_failed(p);
    staged.drop();
    return e;
  }
  return {};
}

error place_file(staged_file& staged) {
  if (!staged.pending()) return {};
  staged_file::parts& p = staged.parts_;
  error e = place(p) ? error{} : write_failed(p);
  staged.drop();
  return e;
}

error replace_file(const char* func, const char* path, std::string_view text, unsigned flags) {
  staged_file staged;
  if (error e = stage_file(func, path, text, flags, staged); !e.ok()) return e;
  return place_file(staged);
}

}  // namespace kdz
