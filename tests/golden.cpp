// The case folders and the runs of the end-to-end drivers.
#include "tests/golden.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace golden {

std::string read_file(const fs::path& path, const std::string& absent) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return absent;
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
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

namespace {

// In the child: the streams, the directory and the time limit, then the program.
[[noreturn]] void start(const run_spec& s) {
  const int in = open(s.in.c_str(), O_RDONLY);
  const int out = open(s.out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int err = open(s.err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (in < 0 || out < 0 || err < 0 || chdir(s.cwd.c_str()) != 0) _exit(126);
  dup2(in, 0);
  dup2(out, 1);
  dup2(err, 2);
  alarm(s.seconds);
  std::vector<char*> argv;
  for (const auto& w : s.argv) argv.push_back(const_cast<char*>(w.c_str()));
  argv.push_back(nullptr);
  execv(s.exe.c_str(), argv.data());
  _exit(127);
}

}  // namespace

int run(const run_spec& spec) {
  const pid_t pid = fork();
  if (pid == 0) start(spec);
  int status = 0;
  if (pid < 0 || waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace golden
