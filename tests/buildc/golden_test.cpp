// Runs every case folder: stages in/ beside a copy of buildc in a fresh directory, runs
// it there, and compares status, stdout, stderr and the files left behind with out/.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> case_names() {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(CASES_DIR)) {
    if (fs::exists(e.path() / "status")) names.push_back(e.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::set<std::string> names_in(const fs::path& dir) {
  std::set<std::string> names;
  if (fs::exists(dir)) {
    for (const auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
  }
  return names;
}

// The invocation: "./buildc" unless the case's args file names another path and
// further words.
std::vector<std::string> invocation(const fs::path& dir) {
  std::vector<std::string> words;
  std::istringstream in(fs::exists(dir / "args") ? read_file(dir / "args") : "./buildc");
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

// Runs the program in `cwd`; returns its exit status.
int run_in(const fs::path& cwd, const fs::path& exe, const std::vector<std::string>& words) {
  const pid_t pid = fork();
  if (pid == 0) {
    std::vector<char*> argv;
    for (const auto& w : words) argv.push_back(const_cast<char*>(w.c_str()));
    argv.push_back(nullptr);
    const int out = open((cwd / "../stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open((cwd / "../stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int in = open("/dev/null", O_RDONLY);  // the generator reads nothing from here
    if (chdir(cwd.c_str()) != 0 || in < 0 || out < 0 || err < 0) _exit(126);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    alarm(20);  // a run that hangs is killed and the case fails
    execv(exe.c_str(), argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class Golden : public testing::TestWithParam<std::string> {};

TEST_P(Golden, Run) {
  const fs::path src = fs::path(CASES_DIR) / GetParam();
  const fs::path top = fs::temp_directory_path() / ("buildc_golden_" + GetParam());
  const fs::path cwd = top / "cwd";
  fs::remove_all(top);
  const auto words = invocation(src);
  const fs::path prog = cwd / words[0];
  const fs::path stage = prog.parent_path();
  fs::create_directories(stage);
  if (fs::exists(src / "in")) fs::copy(src / "in", stage, fs::copy_options::recursive);
  fs::copy_file(BUILDC_PATH, prog);

  EXPECT_EQ(run_in(cwd, prog, words), std::stoi(read_file(src / "status")));
  EXPECT_EQ(read_file(top / "stdout"), read_file(src / "stdout"));
  EXPECT_EQ(read_file(top / "stderr"), read_file(src / "stderr"));

  // Every expected file as expected, every other staged file unchanged, nothing else.
  std::set<std::string> want = names_in(src / "in");
  for (const auto& name : names_in(src / "out")) {
    EXPECT_EQ(read_file(stage / name), read_file(src / "out" / name)) << name;
    want.insert(name);
  }
  for (const auto& name : names_in(src / "in")) {
    if (!fs::exists(src / "out" / name) && fs::is_regular_file(src / "in" / name)) {
      EXPECT_EQ(read_file(stage / name), read_file(src / "in" / name)) << name << " changed";
    }
  }
  want.insert(prog.filename().string());
  EXPECT_EQ(names_in(stage), want);
  if (!HasFailure()) fs::remove_all(top);
}

INSTANTIATE_TEST_SUITE_P(Cases, Golden, testing::ValuesIn(case_names()),
                         [](const auto& info) { return info.param; });

}  // namespace
