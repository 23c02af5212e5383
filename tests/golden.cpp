// The case folders, the faults they set up, and the runs of the end-to-end drivers.
#include "tests/golden.h"

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>

namespace golden {

constexpr uid_t NOBODY = 65534;

std::string read_file(const fs::path& path, const std::string& absent) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return absent;
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string masked(std::string text, const fs::path& top) {
  const std::string real = fs::canonical(top).string();
  for (std::size_t at = 0; (at = text.find(real, at)) != std::string::npos; at += 3) {
    text.replace(at, real.size(), "TOP");
  }
  return text;
}

bool regenerating() {
  const char* regen = std::getenv("KDZ_REGEN_GOLDEN");
  return regen != nullptr && std::string(regen) == "1";
}

void expect_file(const std::string& actual, const fs::path& path, const std::string& absent) {
  if (!regenerating()) {
    EXPECT_EQ(actual, read_file(path, absent)) << path;
    return;
  }
  // A file left out because it holds the default stays left out.
  if (actual == absent && !fs::exists(path)) return;
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << actual;
}

std::vector<std::string> case_names(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) {
    if (e.is_directory()) names.push_back(e.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> words_of(const std::string& text) {
  std::vector<std::string> words;
  std::istringstream in(text);
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

fs::path scratch(const std::string& name) {
  const fs::path dir = fs::temp_directory_path() / ("kdz_" + std::to_string(getpid()) + "_" + name);
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

void clean(const fs::path& dir) {
  std::error_code ec;
  for (const auto& e : fs::recursive_directory_iterator(dir, ec)) {
    if (e.is_directory(ec) && !e.is_symlink(ec)) chmod(e.path().c_str(), 0755);
  }
  chmod(dir.c_str(), 0755);
  fs::remove_all(dir, ec);
}

namespace {

// In the child: the streams, the directory, the limits and the user, then the program.
// Standard output and error go to the pipes `out` and `err` (or to the file that the plan
// names for its output, when it is not a pipe), so that a file size limit applies only to
// the files the program writes.
[[noreturn]] void start(const run_plan& s, int out, int err) {
  const int in = open(s.in.c_str(), O_RDONLY);
  if (out < 0) out = open(s.out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (in < 0 || out < 0 || chdir(s.cwd.c_str()) != 0) _exit(126);
  dup2(in, 0);
  dup2(out, 1);
  dup2(err, 2);
  umask(022);
  // A file size limit would end a program that did not ignore the signal itself.
  std::signal(SIGXFSZ, SIG_DFL);
  if (s.file_size >= 0) {
    const rlimit limit{static_cast<rlim_t>(s.file_size), static_cast<rlim_t>(s.file_size)};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(126);
  }
  if (s.as_nobody && geteuid() == 0 &&
      (setgroups(0, nullptr) != 0 || setgid(NOBODY) != 0 || setuid(NOBODY) != 0)) {
    _exit(126);
  }
  alarm(s.seconds);
  std::vector<char*> argv;
  for (const auto& w : s.argv) argv.push_back(const_cast<char*>(w.c_str()));
  argv.push_back(nullptr);
  execv(s.exe.c_str(), argv.data());
  _exit(127);
}

// Reads both pipes to their ends into the files named for them.
void drain(int out, const fs::path& out_path, int err, const fs::path& err_path) {
  std::string text[2];
  pollfd p[2] = {{out, POLLIN, 0}, {err, POLLIN, 0}};
  for (int open_ends = (out >= 0) + 1; open_ends > 0;) {
    if (poll(p, 2, -1) < 0) break;
    for (int i = 0; i < 2; ++i) {
      if (p[i].fd < 0 || p[i].revents == 0) continue;
      char block[4096];
      const ssize_t n = read(p[i].fd, block, sizeof block);
      if (n > 0) {
        text[i].append(block, static_cast<std::size_t>(n));
      } else {
        close(p[i].fd);
        p[i].fd = -1;
        --open_ends;
      }
    }
  }
  if (out >= 0) std::ofstream(out_path, std::ios::binary) << text[0];
  std::ofstream(err_path, std::ios::binary) << text[1];
}

void give_to_nobody(const fs::path& stage) {
  if (geteuid() != 0) return;
  lchown(stage.c_str(), NOBODY, NOBODY);
  for (const auto& e : fs::recursive_directory_iterator(stage)) {
    lchown(e.path().c_str(), NOBODY, NOBODY);
  }
}

}  // namespace

int run(const run_plan& plan) {
  // Standard output goes straight to a device the case names (such as /dev/full).
  const bool out_piped = !plan.out.string().starts_with("/dev/");
  int out[2] = {-1, -1}, err[2] = {-1, -1};
  if ((out_piped && pipe(out) != 0) || pipe(err) != 0) return -1;
  const pid_t pid = fork();
  if (pid == 0) {
    if (out_piped) close(out[0]);
    close(err[0]);
    start(plan, out[1], err[1]);
  }
  if (out_piped) close(out[1]);
  close(err[1]);
  drain(out[0], plan.out, err[0], plan.err);
  int status = 0;
  if (pid < 0 || waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool wait_for(int fd, std::string& seen, std::size_t& from, const std::string& text) {
  for (;;) {
    const auto at = seen.find(text, from);
    if (at != std::string::npos) {
      from = at + text.size();
      return true;
    }
    pollfd p{fd, POLLIN, 0};
    char chunk[512];
    if (poll(&p, 1, 5000) <= 0) return false;
    const ssize_t n = read(fd, chunk, sizeof chunk);
    if (n <= 0) return false;
    seen.append(chunk, static_cast<std::size_t>(n));
  }
}

bool set_up(const std::string& setup, const fs::path& stage, run_plan& plan) {
  std::istringstream lines(setup);
  for (std::string line; std::getline(lines, line);) {
    const auto w = words_of(line.substr(0, line.find('#')));
    if (w.empty()) continue;
    // The entry a directive makes or changes: its last word but for "symlink" and "link".
    const bool makes = w[0] == "symlink" || w[0] == "link";
    const fs::path name = w.size() > 1 ? stage / (makes ? w[1] : w.back()) : stage;
    bool ok = true;
    if (w[0] == "user" && w.size() == 2 && w[1] == "nobody") {
      plan.as_nobody = true;
      give_to_nobody(stage);
    } else if (w[0] == "fsize" && w.size() == 2) {
      plan.file_size = std::stol(w[1]);
    } else if (w[0] == "mkdir" && w.size() == 2) {
      ok = mkdir(name.c_str(), 0755) == 0;
    } else if (w[0] == "fifo" && w.size() == 2) {
      ok = mkfifo(name.c_str(), 0644) == 0;
    } else if (w[0] == "symlink" && w.size() == 3) {
      ok = symlink(w[2].c_str(), name.c_str()) == 0;
    } else if (w[0] == "link" && w.size() == 3) {
      ok = link((stage / w[2]).c_str(), name.c_str()) == 0;
    } else if (w[0] == "chmod" && w.size() == 3) {
      ok = chmod(name.c_str(), static_cast<mode_t>(std::stoul(w[1], nullptr, 8))) == 0;
    } else if (w[0] == "chown" && w.size() == 2) {
      ok = geteuid() != 0 || lchown(name.c_str(), NOBODY, NOBODY) == 0;
    } else if (w[0] == "stdout" && w.size() == 2) {
      plan.out = w[1];
    } else {
      ADD_FAILURE() << "unknown setup line: " << line;
      return false;
    }
    if (!ok) ADD_FAILURE() << "setup failed: " << line;
    if (w[0] != "user" && plan.as_nobody && w.size() > 1) lchown(name.c_str(), NOBODY, NOBODY);
  }
  return true;
}

tree snapshot(const fs::path& dir) {
  tree t;
  for (auto it =
           fs::recursive_directory_iterator(dir, fs::directory_options::skip_permission_denied);
       it != fs::recursive_directory_iterator(); ++it) {
    struct stat st {};
    if (lstat(it->path().c_str(), &st) != 0) continue;
    const char kind = S_ISREG(st.st_mode)    ? 'f'
                      : S_ISDIR(st.st_mode)  ? 'd'
                      : S_ISLNK(st.st_mode)  ? 'l'
                      : S_ISFIFO(st.st_mode) ? 'p'
                                             : '?';
    if (kind == 'd' && (st.st_mode & S_IXUSR) == 0) it.disable_recursion_pending();
    t[fs::relative(it->path(), dir).string()] = {
        kind,
        static_cast<mode_t>(st.st_mode & 07777),
        st.st_uid,
        st.st_gid,
        st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec,
        kind == 'f' ? read_file(it->path()) : ""};
  }
  return t;
}

void age(const fs::path& dir) {
  const timespec past[2] = {{978307200, 0}, {978307200, 0}};  // 2001-01-01
  for (const auto& e :
       fs::recursive_directory_iterator(dir, fs::directory_options::skip_permission_denied)) {
    if (e.is_regular_file() && !e.is_symlink()) utimensat(AT_FDCWD, e.path().c_str(), past, 0);
  }
}

bool lock_file(const std::string& name) {
  return fs::path(name).filename() == ".kdz-lock";
}

bool left_by_killed_run(const std::string& name) {
  static const std::regex staging("\\..+\\.kdz-[0-9]+-[0-9]+");
  const std::string base = fs::path(name).filename().string();
  return base == ".kdz-change" || std::regex_match(base, staging);
}

void expect_run_leftovers(const tree& before, const tree& after, int status,
                          std::set<std::string>& want) {
  for (const auto& [name, e] : before) {
    if (status == 0 && left_by_killed_run(name)) want.erase(name);
  }
  bool changed = false;
  for (const auto& [name, e] : after) {
    const auto was = before.find(name);
    changed |=
        !lock_file(name) && e.kind == 'f' && (was == before.end() || was->second.bytes != e.bytes);
  }
  for (const auto& [name, e] : after) {
    if (!lock_file(name) || before.contains(name)) continue;
    want.insert(name);
    EXPECT_TRUE(changed || status != 0) << name << " made by a run that changed nothing";
  }
}

std::vector<std::string> broken_promises(const tree& before, const tree& after) {
  std::vector<std::string> broken;
  for (const auto& [name, now] : after) {
    const auto was = before.find(name);
    if (was == before.end()) {
      const auto file = before.find(name.substr(0, name.size() - 4));
      const bool old_copy = name.ends_with(".old") && file != before.end();
      const mode_t want = old_copy ? file->second.mode : 0644;
      if (now.kind == 'f' && now.mode != want)
        broken.push_back(name + ": new file with other bits");
      continue;
    }
    const entry& e = was->second;
    if (now.kind != e.kind) broken.push_back(name + ": became another kind of file");
    if (now.kind != 'f') continue;
    if (now.mode != e.mode) broken.push_back(name + ": permission bits changed");
    if (now.uid != e.uid || now.gid != e.gid) broken.push_back(name + ": owner changed");
    if (now.bytes == e.bytes && now.mtime_ns != e.mtime_ns) {
      broken.push_back(name + ": rewritten with the same bytes");
    }
  }
  return broken;
}

}  // namespace golden
