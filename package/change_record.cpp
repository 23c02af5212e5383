// The record of a change: written, then read back and carried out line by line, by the run
// that made it or by the next one after a crash.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstddef>
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
  std::string text;
  append_recorded(text, at, path);
  return text;
}

void append_recorded(std::string& text, const program_files& at, const std::string& path) {
  const bool below = path.compare(0, at.dir.size(), at.dir) == 0 && path[at.dir.size()] != '/' &&
                     path.find("..", at.dir.size()) == std::string::npos;
  char real[PATH_MAX];
  if (below) {
    text.append(path, at.dir.size());
  } else if (path[0] == '/' || ::realpath(dir_of(path).c_str(), real) == nullptr) {
    text += path;
  } else {
    text.append(real).append(1, '/').append(base_of(path));
  }
}

namespace {

// A path of the record as the run reaches it.
std::string resolved(const program_files& at, std::string_view path) {
  return path[0] == '/' ? std::string(path) : at.dir + std::string(path);
}

// The lines of the record `text`, their paths kept in `paths`; `complete` when it ends in
// "end". A line of another shape, or one whose staging name has not the staging form, ends
// what is read.
std::vector<record_line> parse_record(const program_files& at, std::string_view text,
                                      std::vector<std::string>& paths, bool& complete) {
  std::vector<record_line> lines;
  // The lines point into `paths`, which must not move.
  paths.reserve(2 * static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')));
  complete = false;
  for (std::size_t end; (end = text.find('\n')) != std::string_view::npos;
       text.remove_prefix(end + 1)) {
    const std::string_view line = text.substr(0, end);
    const std::size_t blank = line.find(' ');
    complete = line == "end" && end + 1 == text.size();
    if (blank == std::string_view::npos || !staging_name(base_of(line.substr(0, blank)))) break;
    const std::string& staging = paths.emplace_back(resolved(at, line.substr(0, blank)));
    lines.push_back({&staging, &paths.emplace_back(resolved(at, line.substr(blank + 1)))});
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
    if (::lstat(l.staging->c_str(), &s) == 0 && s.st_dev == d.st_dev && s.st_ino == d.st_ino) {
      --others;
    }
  }
  return others > 0;
}

// Whether the staging name of `line` is gone: the line was done already.
bool done(const record_line& line) {
  struct stat st {};
  return ::lstat(line.staging->c_str(), &st) != 0 && errno == ENOENT;
}

// Carries out one line; a line whose staging name is gone was done already.
bool carry_out(const record_line& line, const std::vector<record_line>& lines, bool names_only) {
  const char* staging = line.staging->c_str();
  if (names_only || !keeps_other_names(*line.dest, lines)) {
    return ::rename(staging, line.dest->c_str()) == 0 || (errno == ENOENT && done(line));
  }
  std::string text;
  if (!read_whole(staging, text)) return errno == ENOENT && done(line);
  return write_in_place(*line.dest, text) && ::unlink(staging) == 0;
}

// The directory part of `path`, as a view into it.
std::string_view dir_part(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// Flushes each directory that holds a destination of `lines`, once.
bool sync_destinations(const std::vector<record_line>& lines, std::string& failed) {
  for (std::size_t k = 0; k < lines.size(); ++k) {
    const std::string_view dir = dir_part(*lines[k].dest);
    const auto same = [dir](const record_line& l) { return dir_part(*l.dest) == dir; };
    if (std::any_of(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(k), same)) continue;
    failed = dir;
    if (!sync_directory(failed)) return false;
  }
  return true;
}

// A record never decided: its staging names go, and it.
void drop_record(const std::string& path, const std::vector<record_line>& lines) {
  for (const record_line& l : lines) ::unlink(l.staging->c_str());
  ::unlink(path.c_str());
}

}  // namespace

std::string record_path(const program_files& at) {
  return at.dir + ".kdz-change";
}

error write_record(const program_files& at, const std::vector<record_line>& lines) {
  std::string text;
  text.reserve(64 * lines.size() + 4);
  std::vector<std::string_view> dirs;
  // The record's own directory, flushed after its rename.
  const std::string_view here = at.dir.empty() ? std::string_view(".")
                                : at.dir == "/"
                                    ? std::string_view("/")
                                    : std::string_view(at.dir).substr(0, at.dir.size() - 1);
  for (const record_line& l : lines) {
    append_recorded(text, at, *l.staging);
    text += ' ';
    append_recorded(text, at, *l.dest);
    text += '\n';
    const std::string_view dir = dir_part(*l.staging);
    if (dir != here && std::find(dirs.begin(), dirs.end(), dir) == dirs.end()) dirs.push_back(dir);
  }
  text += "end\n";
  const std::string path = record_path(at);
  // Staged files elsewhere are named for good before the record names them.
  for (const std::string_view dir : dirs) {
    if (!sync_directory(std::string(dir))) return failed_call("record_change", "write", path);
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
  std::vector<std::string> paths;
  const std::vector<record_line> lines = parse_record(at, text, paths, complete);
  if (!complete) {
    drop_record(path, lines);
    return {};
  }
  return carry_out_record(at, lines, names_only, &names, failed_line);
}

error carry_out_record(const program_files& at, const std::vector<record_line>& lines,
                       bool names_only, std::string* names, std::size_t& failed_line) {
  for (failed_line = 0; failed_line < lines.size(); ++failed_line) {
    const record_line& l = lines[failed_line];
    if (!carry_out(l, lines, names_only)) return failed_call("finish_change", "write", *l.dest);
    if (names != nullptr) names->append(names->empty() ? "" : " ").append(base_of(*l.dest));
  }
  std::string dir;
  if (!sync_destinations(lines, dir)) return failed_call("finish_change", "fsync", dir);
  ::unlink(record_path(at).c_str());
  return {};
}

}  // namespace kdz
