// Runs of the programs: the child's streams, directory, limits and user, then the program.
#include "tests/support/process.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pty.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <thread>

namespace support {

namespace {

constexpr uid_t NOBODY = 65534;

// In the child: `in`, `out` and `err` become its streams (a negative one is the plan's
// file), then the directory, the limits and the user, then the program. A file size limit
// applies only to the files the program writes, its streams being pipes.
[[noreturn]] void exec_child(const run_plan& s, int in, int out, int err) {
  if (in < 0) in = open(s.in.c_str(), O_RDONLY);
  if (out < 0) out = open(s.out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (err < 0) err = open(s.err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (in < 0 || out < 0 || err < 0 || chdir(s.cwd.c_str()) != 0) _exit(126);
  dup2(in, 0);
  dup2(out, 1);
  dup2(err, 2);
  umask(022);
  // A file size limit would end a program that did not ignore the signal itself.
  std::signal(SIGXFSZ, SIG_DFL);
  const rlimit limit{static_cast<rlim_t>(s.file_size), static_cast<rlim_t>(s.file_size)};
  if (s.file_size >= 0 && setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(126);
  if (s.as_nobody && geteuid() == 0 &&
      (setgroups(0, nullptr) != 0 || setgid(NOBODY) != 0 || setuid(NOBODY) != 0)) {
    _exit(126);
  }
  alarm(s.seconds);
  std::vector<char*> argv;
  if (!s.unnamed) {
    for (const auto& w : s.argv) argv.push_back(const_cast<char*>(w.c_str()));
  }
  argv.push_back(nullptr);
  execv(s.exe.c_str(), argv.data());
  _exit(127);
}

// What `fd` gives until its end; then closes it.
std::string read_all(int fd) {
  std::string text;
  char block[4096];
  for (ssize_t n; (n = read(fd, block, sizeof block)) > 0;) {
    text.append(block, static_cast<std::size_t>(n));
  }
  close(fd);
  return text;
}

// The exit status of `pid`, or -1 when it did not exit by itself.
int status_of(pid_t pid) {
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

int run(const run_plan& plan) {
  // Standard output goes straight to a device the case names (such as /dev/full). The
  // child's ends are its streams, the test's are not inherited.
  const bool out_piped = !plan.out.string().starts_with("/dev/");
  int out[2] = {-1, -1}, err[2] = {-1, -1};
  if ((out_piped && pipe2(out, O_CLOEXEC) != 0) || pipe2(err, O_CLOEXEC) != 0) return -1;
  const pid_t pid = fork();
  if (pid == 0) exec_child(plan, -1, out[1], err[1]);
  if (out_piped) close(out[1]);
  close(err[1]);
  std::string err_text;
  std::thread err_reader([&] { err_text = read_all(err[0]); });
  if (out_piped) std::ofstream(plan.out, std::ios::binary) << read_all(out[0]);
  err_reader.join();
  std::ofstream(plan.err, std::ios::binary) << err_text;
  return pid < 0 ? -1 : status_of(pid);
}

started::started(const run_plan& plan) {
  if (plan.terminal) {
    pid_ = forkpty(&from_, nullptr, nullptr, nullptr);
    if (pid_ == 0) exec_child(plan, 0, 1, 2);
    to_ = fcntl(from_, F_DUPFD_CLOEXEC, 0);
    return;
  }
  // The test's ends are not inherited, by this program or by those it starts later.
  int to[2], from[2];
  if (pipe2(to, O_CLOEXEC) != 0 || pipe2(from, O_CLOEXEC) != 0) return;
  pid_ = fork();
  if (pid_ == 0) exec_child(plan, to[0], from[1], -1);
  close(to[0]);
  close(from[1]);
  to_ = to[1];
  from_ = from[0];
}

started::~started() {
  if (pid_ > 0) finish();
}

bool started::shows(const std::string& text) {
  for (char chunk[512];;) {
    if (const auto at = seen_.find(text, at_); at != std::string::npos) {
      at_ = at + text.size();
      return true;
    }
    // Nothing more after 5 s of silence, or at the end.
    pollfd p{from_, POLLIN, 0};
    const ssize_t n = pid_ > 0 && poll(&p, 1, 5000) > 0 ? read(from_, chunk, sizeof chunk) : 0;
    if (n <= 0) return false;
    seen_.append(chunk, static_cast<std::size_t>(n));
  }
}

bool started::running() const {
  // Not reaped: finish() still gives its status.
  siginfo_t info{};
  return pid_ > 0 &&
         waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
         info.si_pid == 0;
}

bool started::send(const std::string& answers) {
  return write(to_, answers.data(), answers.size()) == static_cast<ssize_t>(answers.size());
}

int started::finish(const std::string& answers) {
  const bool sent = send(answers);
  close(to_);
  const int status = status_of(pid_);
  close(from_);
  pid_ = -1;
  return sent ? status : -1;
}

}  // namespace support
