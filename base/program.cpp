// What both programs do at their start and at their end, and say after a failed load.
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>

#include <fmt/format.h>

#include "base/program.h"

namespace kdz {

namespace {

// Standard output keeps the error of its first failed write here: stdio sets only a flag,
// and the errno of the write that failed is long gone by the time the program ends. It
// belongs to the process, as standard output does.
int stdout_error = 0;

// Writes what stdio hands over to descriptor 1, all of it or up to the first failure.
ssize_t write_stdout(void* /*cookie*/, const char* data, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(STDOUT_FILENO, data + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (stdout_error == 0) stdout_error = n < 0 ? errno : EIO;
      break;  // short of `size`: stdio sets the stream's error flag
    }
    done += static_cast<std::size_t>(n);
  }
  return static_cast<ssize_t>(done);
}

// Puts `stdout` on a stream that records the error of a failed write, buffered as stdio
// buffers standard output: by line on a terminal, in blocks elsewhere. Left as it is when
// no such stream can be made.
void record_stdout_errors() {
  const cookie_io_functions_t io{nullptr, write_stdout, nullptr, nullptr};
  std::FILE* out = fopencookie(nullptr, "w", io);
  if (out == nullptr) return;
  std::setvbuf(out, nullptr, isatty(STDOUT_FILENO) != 0 ? _IOLBF : _IOFBF, BUFSIZ);
  stdout = out;
}

}  // namespace

const char* start_program(int argc, char** argv) {
  // A file grown past the size limit then fails its write, which is reported, instead of
  // ending the program between two files.
  std::signal(SIGXFSZ, SIG_IGN);
  record_stdout_errors();
  return argc > 0 && argv[0] != nullptr ? argv[0] : "";
}

error flush_stdout() {
  errno = 0;
  if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0) return {};
  return failure("stdout: ", stdout_error != 0 ? stdout_error : errno != 0 ? errno : EIO);
}

error cfg_looked_for(const program_files& at) {
  return failure(fmt::format("the board catalog cfg is looked for in {}", where_files_are(at)));
}

error no_par_in(const program_files& at) {
  return failure(fmt::format("no par in {}: create one with editpar", where_files_are(at)));
}

}  // namespace kdz
