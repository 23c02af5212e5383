// What a killed run left beside a file while replacing it, found once per directory and
// removed file by file as this process replaces them.
#include <dirent.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "base/replace_file.h"

namespace kdz {

namespace {

// Whether `text` is a process number followed by "-" and a serial (or, when `bare`, by
// nothing), of a process that no longer exists.
bool of_a_gone_run(std::string_view text, bool bare) {
  const std::size_t dash = text.find('-');
  const std::string_view pid_text = text.substr(0, dash);
  const std::string_view serial = dash == std::string_view::npos ? "" : text.substr(dash + 1);
  const auto digits = [](std::string_view t) {
    return !t.empty() && t.size() < 10 &&
           t.find_first_not_of("0123456789") == std::string_view::npos;
  };
  if (!digits(pid_text) || (dash == std::string_view::npos ? !bare : !digits(serial))) return false;
  const pid_t pid = static_cast<pid_t>(std::stol(std::string(pid_text)));
  return pid > 0 && ::kill(pid, 0) == -1 && errno == ESRCH;
}

// Whether an entry of a directory has the shape of what a replacement leaves while it runs:
// a dot first, and after its last dot a process number, or one followed by "-" and a
// serial.
bool stray_shaped(const char* name) {
  const char* dot = std::strrchr(name, '.');
  if (name[0] != '.' || dot == name) return false;
  const char* c = dot + 1;
  const char* digits = c;
  while (*c >= '0' && *c <= '9') ++c;
  if (c == digits) return false;
  if (*c == '-') {
    const char* serial = ++c;
    while (*c >= '0' && *c <= '9') ++c;
    if (c == serial) return false;
  }
  return *c == '\0';
}

// What a directory held of that shape when this process first replaced a file in it: a
// killed run's leftovers are older than the run that removes them, and one scan serves
// every file a run replaces there. Each file takes its own from the list. The scans belong
// to the process, like the directory entries they stand for.
struct stray_scan {
  std::string dir;
  std::vector<std::string> names;
};
std::vector<stray_scan>& stray_scans() {
  static std::vector<stray_scan> scans;
  return scans;
}

stray_scan& scan_of(std::string_view dir) {
  std::vector<stray_scan>& scans = stray_scans();
  for (stray_scan& s : scans) {
    if (s.dir == dir) return s;
  }
  stray_scan& s = scans.emplace_back(stray_scan{std::string(dir), {}});
  if (DIR* d = ::opendir(s.dir.c_str())) {
    // One thread reads its own directory stream: readdir is safe, and readdir_r is obsolete.
    // cppcheck-suppress readdirCalled
    while (const dirent* e = ::readdir(d)) {
      if (stray_shaped(e->d_name)) s.names.emplace_back(e->d_name);
    }
    ::closedir(d);
  }
  return s;
}

}  // namespace

void sweep_strays(const std::string& file) {
  const std::size_t slash = file.rfind('/');
  const std::string_view dir =
      slash == std::string::npos ? "./" : std::string_view(file).substr(0, slash + 1);
  const int saved = errno;
  stray_scan& scan = scan_of(dir);
  errno = saved;
  if (scan.names.empty()) return;
  const std::string stem = "." + file.substr(slash == std::string::npos ? 0 : slash + 1) + ".";
  for (auto it = scan.names.begin(); it != scan.names.end();) {
    std::string_view rest = *it;
    const bool mine = rest.substr(0, stem.size()) == stem;
    rest.remove_prefix(mine ? stem.size() : rest.size());
    const bool old = rest.substr(0, 4) == "old.";
    if (old) rest.remove_prefix(4);
    if (!mine || !of_a_gone_run(rest, old)) {
      ++it;
      continue;
    }
    ::unlink((scan.dir + *it).c_str());
    it = scan.names.erase(it);
  }
  errno = saved;
}

}  // namespace kdz
