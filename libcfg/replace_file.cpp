// Files written whole: new contents go to a temporary file beside the old one and take its
// place by a rename, so that a full disk, a crash or a signal leaves either the old file
// or the new one, never a cut one. The previous version of what the user chose is kept.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <string>

#include <fmt/format.h>

#include "libcfg/libcfg.h"

namespace {

// SIGINT, SIGTERM and SIGHUP wait while a file is replaced, so that no temporary file is
// left behind; they take effect when the replacement is over.
class held_signals {
 public:
  held_signals() {
    sigset_t held;
    sigemptyset(&held);
    for (const int sig : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&held, sig);
    sigprocmask(SIG_BLOCK, &held, &before_);
  }
  ~held_signals() { sigprocmask(SIG_SETMASK, &before_, nullptr); }
  held_signals(const held_signals&) = delete;
  held_signals& operator=(const held_signals&) = delete;

 private:
  sigset_t before_{};
};

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

// The directory part of `path` ("." when it has none) and the name after it.
std::string dir_of(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string name_of(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file that `path` names once symbolic links are followed: the new contents must take
// the place of that file, not of the link. A dangling link gives the file it would name.
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

// A file created beside `path` under a name of its own: "." + the file's name + a suffix.
// Removed again unless it is renamed into place.
class temp_file {
 public:
  explicit temp_file(const std::string& path) {
    // Counts the names this process tried, so that no two of its files share one.
    static unsigned serial;
    const std::string stem = dir_of(path) + "/." + name_of(path) + ".";
    for (int tries = 0; tries < 100; ++tries) {
      path_ = stem + std::to_string(getpid()) + "-" + std::to_string(serial++);
      // 0666 as for fopen: the umask applies.
      fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (fd_ >= 0 || errno != EEXIST) break;
    }
  }
  ~temp_file() {
    if (fd_ >= 0) ::close(fd_);
    if (!placed_) {
      const int saved = errno;
      ::unlink(path_.c_str());
      errno = saved;
    }
  }
  temp_file(const temp_file&) = delete;
  temp_file& operator=(const temp_file&) = delete;

  bool made() const { return fd_ >= 0; }

  // Writes `text`, flushed to the disk when `sync`, and closes the file.
  bool fill(std::string_view text, bool sync) {
    const bool ok = write_all(fd_, text) && (!sync || ::fsync(fd_) == 0);
    const int saved = errno;
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    if (!ok) errno = saved;
    return ok && closed;
  }

  // The permission bits, owner and group of the file it replaces, as far as allowed: only
  // root gives a file to another user, and a user only to a group of his own; failing
  // that, the new file stays the writer's, like one fopen creates.
  void take_over(const struct stat& st) const {
    if (fchown(fd_, st.st_uid, st.st_gid) != 0 &&
        fchown(fd_, static_cast<uid_t>(-1), st.st_gid) != 0) {
      errno = 0;
    }
    fchmod(fd_, st.st_mode & 07777);
  }

  bool place_as(const std::string& path) {
    placed_ = ::rename(path_.c_str(), path.c_str()) == 0;
    return placed_;
  }

 private:
  std::string path_;
  int fd_ = -1;
  bool placed_ = false;
};

// Writes `text` into the existing file at `path` itself: what fopen and fwrite would do.
bool write_in_place(const std::string& path, std::string_view text, bool sync) {
  fd_owner fd(::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC));
  if (fd.get() < 0) return false;
  const bool ok = write_all(fd.get(), text) && (!sync || ::fsync(fd.get()) == 0);
  const int saved = errno;
  const bool closed = fd.close();
  if (!ok) errno = saved;
  return ok && closed;
}

// Keeps the current version of `path` as `path`.old, replacing an older one: a hard link
// to it when `link_ok` (the file itself is about to be renamed over, not rewritten), else a
// copy. The copy goes in place of an existing .old where no new file can be made.
bool keep_old(const std::string& path, const struct stat& st, bool link_ok) {
  const std::string old_path = path + ".old";
  if (link_ok) {
    const std::string stem =
        dir_of(path) + "/." + name_of(old_path) + "." + std::to_string(getpid());
    ::unlink(stem.c_str());  // what a run of this process number left when it was killed
    if (::link(path.c_str(), stem.c_str()) == 0) {
      if (::rename(stem.c_str(), old_path.c_str()) == 0) return true;
      ::unlink(stem.c_str());
    }
  }
  std::string text;
  if (!read_all(path, text)) return false;
  temp_file copy(old_path);
  if (copy.made()) {
    copy.take_over(st);
    return copy.fill(text, true) && copy.place_as(old_path);
  }
  const int refused = errno;  // why no file could be made: what the user is told
  struct stat old_st {};
  if (::stat(old_path.c_str(), &old_st) == 0 && S_ISREG(old_st.st_mode)) {
    return write_in_place(old_path, text, true);
  }
  errno = refused;
  return false;
}

void report(const char* prog, const char* func, const char* call, const char* path) {
  const int saved = errno;
  std::fputs(fmt::format("{}: {}: {}({}) ", prog, func, call, path).c_str(), stderr);
  errno = saved;
  std::perror("");
}

// Whether fopen(path, "w") could open the file; decided without creating or changing
// anything, and reported as fopen's failure when it could not.
bool writable(const char* prog, const char* func, const char* path, const std::string& file,
              struct stat& st, bool& exists) {
  exists = ::stat(path, &st) == 0;
  if (exists) {
    if (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) {
      std::fputs(fmt::format("{}: {}: {} is not a regular file\n", prog, func, path).c_str(),
                 stderr);
      return false;
    }
    // Neither truncated nor waited on: only asked whether it opens for writing.
    const fd_owner fd(::open(path, O_WRONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) report(prog, func, "fopen", path);
    return fd.get() >= 0;
  }
  if (errno == ENOENT && faccessat(AT_FDCWD, dir_of(file).c_str(), W_OK | X_OK, AT_EACCESS) == 0) {
    return true;
  }
  report(prog, func, "fopen", path);
  return false;
}

// What one replacement is about.
struct replace_job {
  std::string file;  // the file itself, symbolic links followed
  struct stat st;    // its status, when it exists
  bool exists;
  std::string_view text;
  bool sync;  // flushed to the disk before it takes the file's place
  bool keep;  // the current version stays as FILE.old
};

// Writes the new contents to a file beside the old one, which then takes its place. False
// also when that file could not be made (`refused`, errno telling why).
bool replace_beside(const replace_job& job, bool& refused) {
  temp_file next(job.file);
  refused = !next.made();
  if (refused) return false;
  if (job.exists) next.take_over(job.st);
  return next.fill(job.text, job.sync) && (!job.keep || keep_old(job.file, job.st, true)) &&
         next.place_as(job.file);
}

bool write_new(const replace_job& job) {
  // A new file beside it and a rename need a writable directory; a file of several names
  // is rewritten where it stands, so that every name sees the new contents.
  const bool in_place =
      job.exists && (job.st.st_nlink > 1 ||
                     faccessat(AT_FDCWD, dir_of(job.file).c_str(), W_OK | X_OK, AT_EACCESS) != 0);
  if (!in_place) {
    bool refused = false;
    const bool placed = replace_beside(job, refused);
    if (!refused) return placed;
    // Creating it was refused though the directory looked writable (a read-only mount, a
    // sticky directory): an existing file is still rewritten as fopen would.
    if (!job.exists || (errno != EACCES && errno != EPERM && errno != EROFS)) return false;
  }
  return (!job.keep || keep_old(job.file, job.st, false)) &&
         write_in_place(job.file, job.text, job.sync);
}

}  // namespace

bool file_holds(const char* path, std::string_view text) {
  const std::string file = file_behind(path);
  struct stat st {};
  return ::stat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode) && same_contents(file, st, text);
}

void report_call(const char* prog, const char* func, const char* call, const char* path) {
  report(prog, func, call, path);
}

status replace_file(const char* prog, const char* func, const char* path, std::string_view text,
                    unsigned flags) {
  replace_job job{file_behind(path), {}, false, text, (flags & SYNC) != 0, false};
  if (!writable(prog, func, path, job.file, job.st, job.exists)) return status::failed;
  if (job.exists && same_contents(job.file, job.st, text)) return status::ok;
  job.keep = job.exists && (flags & KEEP_OLD) != 0;
  const held_signals held;
  if (write_new(job)) return status::ok;
  report(prog, func, "write", path);
  return status::failed;
}
