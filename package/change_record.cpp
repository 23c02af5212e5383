// The record of a change: written, then read back and carried out line by line, by the run
// that made it or by the next one after a crash.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "base/files.h"
#include "base/staging.h"
#include "package/change.h"
#include "package/change_steps.h"

namespace kdz {

std::string recorded(const program_files& at, const std::string& path) {
  const bool below = path.compare(0, at.dir.size(), at.dir) == 0 && path[at.dir.size()] != '/' &&
                     path.find("..", at.dir.size()) == std::string::npos;
  if (below) return path.substr(at.dir.size());
  if (path[0] == '/') return path;
  char real[PATH_MAX];
  if (::realpath(dir_of(path).c_str(), real) == nullptr) return path;
  return std::string(real) + "/" + std::string(base_of(path));
}

namespace {

// A path of the record as the run reaches it.
std::string resolved(const program_files& at, std::string_view path) {
  return path[0] == '/' ? std::string(path) : at.dir + std::string(path);
}

// The lines of the record `text`; `complete` when it ends in "end". A line of another shape,
// or one whose staging name has not the staging form, ends what is read.
std::vector<record_line> parse_record(const program_files& at, std::string_view text,
                                      bool& complete) {
  std::vector<record_line> lines;
  complete = false;
  for (std::size_t end; (end = text.find('\n')) != std::string_view::npos;
       text.remove_prefix(end + 1)) {
    const std::string_view line = text.substr(0, end);
    const std::size_t blank = line.find(' ');
    complete = line == "end" && end + 1 == text.size();
    if (blank == std::string_view::npos || !staging_name(base_of(line.substr(0, blank)))) break;
    lines.push_back({resolved(at, line.substr(0, blank)), resolved(at, line.substr(blank + 1))});
  }
  return lines;
}

// Whether the destination `dest` keeps other names than its own and the staging names of
// `lines` (a hard link staged as a previous version): then it is rewritten in place. The
// names the programs keep for themselves, a previous version ".old" and a set saved aside
// ".new", are always replaced as names.
bool keeps_other_names(const std::string& dest, const std::vector<record_line>& lines) {
  struct stat d {};
  if (::lstat(dest.c_str(), &d) != 0 || !S_ISREG(d.st_mode) || d.st_nlink < 2 ||
      dest.ends_with(".old") || dest.ends_with(".new")) {
    return false;
  }
  nlink_t others = d.st_nlink - 1;
  for (const record_line& l : lines) {
    struct stat s {};
    if (::lstat(l.staging.c_str(), &s) == 0 && s.st_dev == d.st_dev && s.st_ino == d.st_ino) {
      --others;
    }
  }
  return others > 0;
}

// Carries out one line; a line whose staging name is gone was done already.
bool carry_out(const record_line& line, const std::vector<record_line>& lines, bool names_only) {
  struct stat st {};
  if (::lstat(line.staging.c_str(), &st) != 0) return errno == ENOENT;
  if (names_only || !keeps_other_names(line.dest, lines)) {
    return ::rename(line.staging.c_str(), line.dest.c_str()) == 0;
  }
  std::string text;
  return read_whole(line.staging.c_str(), text) && write_in_place(line.dest, text) &&
         ::unlink(line.staging.c_str()) == 0;
}

// Flushes each directory that holds a destination of `lines`, once.
bool sync_destinations(const std::vector<record_line>& lines, std::string& failed) {
  std::vector<std::string> dirs;
  for (const record_line& l : lines) {
    std::string dir = dir_of(l.dest);
    if (std::find(dirs.begin(), dirs.end(), dir) != dirs.end()) continue;
    if (!sync_directory(dir)) {
      failed = dir;
      return false;
    }
    dirs.push_back(std::move(dir));
  }
  return true;
}

// A record never decided: its staging names go, and it.
void drop_record(const std::string& path, const std::vector<record_line>& lines) {
  for (const record_line& l : lines) ::unlink(l.staging.c_str());
  ::unlink(path.c_str());
}

}  // namespace

std::string record_path(const program_files& at) {
  return at.dir + ".kdz-change";
}

error write_record(const program_files& at, const std::vector<record_line>& lines) {
  std::string text;
  std::vector<std::string> dirs;
  for (const record_line& l : lines) {
    text += recorded(at, l.staging) + ' ' + recorded(at, l.dest) + '\n';
    std::string dir = dir_of(l.staging);
    if (dir != dir_of(at.dir + "x") && std::find(dirs.begin(), dirs.end(), dir) == dirs.end()) {
      dirs.push_back(std::move(dir));
    }
  }
  text += "end\n";
  const std::string path = record_path(at);
  // Staged files elsewhere are named for good before the record names them.
  for (const std::string& dir : dirs) {
    if (!sync_directory(dir)) return failed_call("record_change", "write", path);
  }
  std::string staged;
  if (make_staged(path, nullptr, text, staged) != made::ok ||
      ::rename(staged.c_str(), path.c_str()) != 0) {
    error e = failed_call("record_change", "write", path);
    if (!staged.empty()) ::unlink(staged.c_str());
    return e;
  }
  // Decided from here, once the rename, and the staged names beside it, reach the disk.
  if (sync_directory(dir_of(path))) return {};
  error e = failed_call("record_change", "write", path);
  ::unlink(path.c_str());
  return e;
}

error finish_change(const program_files& at, bool names_only, std::string& names,
                    std::size_t& failed_line) {
  const std::string path = record_path(at);
  std::string text;
  names.clear();
  if (!read_whole(path.c_str(), text)) {
    return errno == ENOENT ? error{} : failed_call("finish_change", "read", path);
  }
  bool complete = false;
  const std::vector<record_line> lines = parse_record(at, text, complete);
  if (!complete) {
    drop_record(path, lines);
    return {};
  }
  for (failed_line = 0; failed_line < lines.size(); ++failed_line) {
    const record_line& l = lines[failed_line];
    if (!carry_out(l, lines, names_only)) return failed_call("finish_change", "write", l.dest);
    names += (names.empty() ? "" : " ") + std::string(base_of(l.dest));
  }
  std::string dir;
  if (!sync_destinations(lines, dir)) return failed_call("finish_change", "fsync", dir);
  ::unlink(path.c_str());
  return {};
}

}  // namespace kdz
