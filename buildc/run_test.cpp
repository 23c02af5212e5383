#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "buildc/buildc.h"
#include "libcfg/libcfg.h"

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

namespace {

int alloc_calls;
int failing_call;

// make_path's allocator, failing at the chosen call.
void* counting_alloc(std::size_t n) {
  return ++alloc_calls == failing_call ? nullptr : std::malloc(n);
}

void write_file(const fs::path& path, const char* text) {
  std::FILE* f = std::fopen(path.c_str(), "w");
  std::fputs(text, f);
  std::fclose(f);
}

// A path that cannot be formed ends the run at once: the files of earlier steps stand,
// no later step runs.
TEST(Run, PathFailureEndsTheRun) {
  const char* const outputs[] = {"kdzspc.h", "System", "Init", "dces", "dtes", "Node"};
  const struct {
    int failing_call;  // calls 1 and 2 form the paths of "cfg" and "par"
    int written;       // how many outputs exist afterwards
  } cases[] = {{1, 0}, {2, 0}, {3, 0}, {4, 1}, {5, 2}, {6, 3}, {7, 4}, {8, 5}, {9, 6}};
  for (const auto& c : cases) {
    const fs::path dir = fs::temp_directory_path() / ("run_test_" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directory(dir);
    write_file(dir / "cfg", "pkg kdz\ntype bd8\ncan_dce yes\n");
    write_file(dir / "par", "mode i\ntype bd8\n");
    const std::string prog = (dir / "buildc").string();
    alloc_calls = 0;
    failing_call = c.failing_call;
    path_alloc = counting_alloc;
    testing::internal::CaptureStderr();
    const int status = run(prog.c_str());
    const std::string err = testing::internal::GetCapturedStderr();
    path_alloc = std::malloc;
    const bool completes = c.written == 6;
    EXPECT_EQ(status, completes ? 0 : 1) << "failing call " << c.failing_call;
    EXPECT_EQ(err, completes ? "" : prog + ": make_path: malloc() : no memory\n");
    for (int i = 0; i < 6; ++i) {
      EXPECT_EQ(fs::exists(dir / outputs[i]), i < c.written)
          << outputs[i] << " with failing call " << c.failing_call;
    }
    fs::remove_all(dir);
  }
}

}  // namespace
