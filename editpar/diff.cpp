// editpar -n: what a change would do to a file, shown by the system's diff, which an
// administrator reads every day and which a configuration tool shows as it is.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include <fmt/format.h>

#include "base/files.h"
#include "editpar/editpar.h"

namespace kdz {

namespace {

// A descriptor closed when it goes.
struct descriptor {
  int fd = -1;
  descriptor() = default;
  explicit descriptor(int d) : fd(d) {}
  ~descriptor() {
    if (fd >= 0) ::close(fd);
  }
  descriptor(const descriptor&) = delete;
  descriptor& operator=(const descriptor&) = delete;
};

bool write_all(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t n = ::write(fd, text.data(), text.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    text.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// `text` in a temporary file that no name leads to (removed at once, so that nothing is left
// behind whatever ends the run), at its start; -1 (errno set) when it cannot be made.
int unnamed_copy(std::string_view text) {
  const char* tmp = std::getenv("TMPDIR");
  std::string name = fmt::format("{}/kdz-diff.XXXXXX", tmp != nullptr && *tmp ? tmp : "/tmp");
  descriptor file(::mkstemp(name.data()));
  if (file.fd < 0) return -1;
  ::unlink(name.c_str());
  if (!write_all(file.fd, text) || ::lseek(file.fd, 0, SEEK_SET) != 0) return -1;
  const int fd = file.fd;
  file.fd = -1;
  return fd;
}

// Starts diff on the two descriptors with its output into `out`; its process, or -1 with
// the error in `error`.
pid_t start_diff(const char* name, int before, int after, int out, int& error) {
  const std::string label_after = fmt::format("{} (after)", name);
  const std::string path_before = fmt::format("/dev/fd/{}", before);
  const std::string path_after = fmt::format("/dev/fd/{}", after);
  std::array<const char*, 9> argv = {"diff",
                                     "-u",
                                     "--label",
                                     name,
                                     "--label",
                                     label_after.c_str(),
                                     path_before.c_str(),
                                     path_after.c_str(),
                                     nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out, STDOUT_FILENO);
  pid_t pid = -1;
  error =
      posix_spawnp(&pid, "diff", &actions, nullptr, const_cast<char* const*>(argv.data()), environ);
  posix_spawn_file_actions_destroy(&actions);
  return error == 0 ? pid : -1;
}

// Everything `fd` gives until its end.
std::string read_all(int fd) {
  std::string text;
  std::array<char, 4096> block{};
  for (;;) {
    const ssize_t n = ::read(fd, block.data(), block.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return text;
    text.append(block.data(), static_cast<std::size_t>(n));
  }
}

}  // namespace

error print_diff(const char* name, std::string_view now, std::string_view after) {
  const descriptor before_file(unnamed_copy(now));
  const descriptor after_file(before_file.fd < 0 ? -1 : unnamed_copy(after));
  std::array<int, 2> pipe_ends{-1, -1};
  int error = after_file.fd < 0 || ::pipe2(pipe_ends.data(), O_CLOEXEC) != 0 ? errno : 0;
  const descriptor from_diff(pipe_ends[0]);
  pid_t pid = -1;
  {
    const descriptor to_diff(pipe_ends[1]);
    if (error == 0) pid = start_diff(name, before_file.fd, after_file.fd, to_diff.fd, error);
  }
  if (pid < 0) return failure("diff: ", error);
  const std::string shown = read_all(from_diff.fd);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  // diff exits 1 for files that differ, 0 for equal ones; 2 after its own message.
  if (!WIFEXITED(status) || WEXITSTATUS(status) > 1) {
    return failure(fmt::format("diff failed for {}", name));
  }
  write_text(stdout, shown);
  return {};
}

}  // namespace kdz
