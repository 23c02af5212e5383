#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

// A copy of the built generator in `top`/bin, started as a child process.
struct run_test : testing::Test {
  fs::path top, bin;

  void SetUp() override {
    std::string templ = testing::TempDir() + "kdzrunXXXXXX";
    ASSERT_NE(mkdtemp(templ.data()), nullptr);
    top = templ;
    bin = top / "bin";
    fs::create_directory(bin);
    fs::copy_file(BUILDC_PATH, bin / "buildc");
    fs::permissions(bin / "buildc", fs::perms::owner_all);
  }
  void TearDown() override { fs::remove_all(top); }

  // Runs the copy in `cwd` with `argv0` as its invocation path; returns its exit status
  // and what it wrote on standard error.
  int run(const fs::path& cwd, std::string argv0, std::string& err) {
    const std::string exe = bin / "buildc", err_path = top / "stderr", dir = cwd;
    char* argv[] = {argv0.data(), const_cast<char*>("extra"), nullptr};
    const pid_t pid = fork();
    if (pid == 0) {
      const int fd = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (fd >= 0 && dup2(fd, 2) == 2 && chdir(dir.c_str()) == 0) execv(exe.c_str(), argv);
      _exit(127);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid) return -1;
    std::ifstream in(err_path);
    err.assign(std::istreambuf_iterator<char>(in), {});
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
};

TEST_F(run_test, FindsItsFilesBesideItself) {
  const struct {
    fs::path cwd;
    std::string argv0;
    std::string dir;  // the directory part of every path it forms
  } cases[] = {
      {bin, "buildc", ""},
      {top, "bin/buildc", "bin/"},
      {"/", bin / "buildc", bin.string() + "/"},
  };
  const std::string missing = ") No such file or directory\n";
  for (const auto& c : cases) {
    std::string err;
    EXPECT_EQ(run(c.cwd, c.argv0, err), 1);
    EXPECT_EQ(err, c.argv0 + ": load_config: fopen(" + c.dir + "cfg" + missing);
    std::ofstream(bin / "cfg") << "type b\n";
    EXPECT_EQ(run(c.cwd, c.argv0, err), 1);
    EXPECT_EQ(err, c.argv0 + ": load_params: fopen(" + c.dir + "par" + missing);
    std::ofstream(bin / "par") << "type b\n";
    EXPECT_EQ(run(c.cwd, c.argv0, err), 0);
    EXPECT_EQ(err, "");
    fs::remove(bin / "cfg");
    fs::remove(bin / "par");
  }
}

}  // namespace
