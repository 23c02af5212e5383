// Replacing a file while signals arrive: whenever the program is stopped, the file holds
// its old contents or its new ones, whole, and no temporary file is left beside it.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <string>

#include "libcfg/libcfg.h"

namespace {

namespace fs = std::filesystem;

std::string read_file(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(ReplaceFile, SignalsNeverLeaveAPartOrATemporaryFile) {
  const fs::path dir = fs::temp_directory_path() / ("replace_" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::string path = (dir / "Init").string();
  const std::string versions[2] = {std::string(200000, 'a'), std::string(150000, 'b') + "\n"};
  // There from the start: a child stopped before its first replacement leaves it as it was.
  std::ofstream(path, std::ios::binary) << versions[1];
  std::mt19937 random(12345);
  for (int round = 0; round < 40; ++round) {
    const pid_t pid = fork();
    if (pid == 0) {
      for (int i = 0;; ++i)
        (void)replace_file("prog", "build_init", path.c_str(), versions[i % 2], KEEP_OLD);
    }
    usleep(200 + random() % 3000);
    kill(pid, round % 3 == 0 ? SIGINT : round % 3 == 1 ? SIGTERM : SIGHUP);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status));
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
    names.erase("Init.old");
    EXPECT_EQ(names, std::set<std::string>{"Init"}) << "round " << round;
    for (const char* name : {"Init", "Init.old"}) {
      if (!fs::exists(dir / name)) continue;
      const std::string now = read_file(dir / name);
      EXPECT_TRUE(now == versions[0] || now == versions[1]) << name << " cut, round " << round;
    }
  }
  fs::remove_all(dir);
}

}  // namespace
