// What both programs do at their start and at their end.
#include <cerrno>
#include <csignal>

#include <fmt/format.h>

#include "libcfg/libcfg.h"

const char* start_program(int argc, char** argv) {
  // A file grown past the size limit then fails its write, which is reported, instead of
  // ending the program between two files.
  std::signal(SIGXFSZ, SIG_IGN);
  return argc > 0 && argv[0] != nullptr ? argv[0] : "";
}

int finish_program(const char* prog, int status, int failed) {
  errno = 0;
  if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0) return status;
  const int error = errno != 0 ? errno : EIO;
  std::fputs(fmt::format("{}: stdout: ", prog).c_str(), stderr);
  errno = error;
  std::perror("");
  return status == 0 ? failed : status;
}
