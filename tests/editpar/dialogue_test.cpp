// Runs every dialogue folder through the real editpar and compares what it leaves.
//
// A folder holds "cfg", optionally "par" and "args" (the arguments, one line), the
// answers in "answers", and what must result: "out" (standard output), "err" (standard
// error, empty when absent), "status" (0 when absent) and "par.out" (the written "par";
// when absent, "par" must be as it was, or still absent); no other file may appear.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string slurp(const fs::path& p, const std::string& absent = "") {
  std::ifstream in(p, std::ios::binary);
  if (!in) return absent;
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Runs editpar as "./editpar" inside `dir`, so that it finds its files there.
int run_editpar(const fs::path& dir, const fs::path& answers, const std::string& args) {
  std::vector<std::string> words{"./editpar"};
  std::istringstream split(args);
  for (std::string w; split >> w;) words.push_back(w);
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(dir.c_str()) != 0) _exit(126);
    const int in = open(fs::exists(answers) ? answers.c_str() : "/dev/null", O_RDONLY);
    const int out = open(".out", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(".err", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    alarm(20);  // a dialogue that never ends is killed and the case fails
    std::vector<char*> argv;
    for (auto& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    execv(EDITPAR_BIN, argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(Dialogues, GoldenTranscripts) {
  std::vector<fs::path> cases;
  for (const auto& e : fs::directory_iterator(CASES_DIR)) {
    if (e.is_directory()) cases.push_back(e.path());
  }
  std::sort(cases.begin(), cases.end());
  ASSERT_FALSE(cases.empty());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.filename().string());
    const fs::path dir = fs::temp_directory_path() /
                         ("editpar_" + std::to_string(getpid()) + "_" + c.filename().string());
    fs::remove_all(dir);
    fs::create_directories(dir);
    for (const char* f : {"cfg", "par"}) {
      if (fs::exists(c / f)) fs::copy_file(c / f, dir / f);
    }
    const int status = run_editpar(dir, c / "answers", slurp(c / "args"));
    EXPECT_EQ(status, std::stoi(slurp(c / "status", "0")));
    EXPECT_EQ(slurp(dir / ".out"), slurp(c / "out"));
    EXPECT_EQ(slurp(dir / ".err"), slurp(c / "err"));
    const fs::path want = fs::exists(c / "par.out") ? c / "par.out" : c / "par";
    EXPECT_EQ(fs::exists(dir / "par"), fs::exists(want));
    EXPECT_EQ(slurp(dir / "par"), slurp(want));
    for (const auto& e : fs::directory_iterator(dir)) {  // "par" is the only file it writes
      const std::string name = e.path().filename().string();
      EXPECT_TRUE(name == "cfg" || name == "par" || name == ".out" || name == ".err") << name;
    }
    fs::remove_all(dir);
  }
}

}  // namespace
