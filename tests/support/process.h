// Programs run as a user starts them: one run to its end with its output in files, or one
// started beside the test, answered through a pipe while the test does more.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace support {

namespace fs = std::filesystem;

struct run_plan {
  fs::path exe;                   // the program
  std::vector<std::string> argv;  // its command line, argv[0] included
  fs::path cwd;                   // where it runs
  fs::path in = "/dev/null";      // standard input
  fs::path out, err;              // standard output and error go to these files
  unsigned seconds = 20;          // a run that takes longer is killed
  long file_size = -1;            // the file size limit (RLIMIT_FSIZE), when not -1
  bool as_nobody = false;         // run as user and group 65534 (when the tests run as root)
  bool unnamed = false;           // started without even a program name (argv empty)
  bool no_locks = false;          // the program built with a lock call that fails (ENOLCK)
  bool terminal = false;          // started on a terminal, its three streams (not run())
};

// Runs the program with umask 022; returns its exit status, or -1 when it did not exit by
// itself.
int run(const run_plan& plan);

// A program running beside the test: its standard input a pipe the test writes to, its
// standard output read as it comes, its standard error in the plan's file (or all three a
// terminal the test reads and writes, with `terminal`: its echo too).
class started {
 public:
  explicit started(const run_plan& plan);
  ~started();
  started(const started&) = delete;
  started& operator=(const started&) = delete;

  // Whether `text` shows on its standard output (after what an earlier call found).
  bool shows(const std::string& text);
  // Gives it `answers`, its input left open.
  bool send(const std::string& answers);
  // Whether it still runs.
  bool running() const;
  // Gives it `answers` and the end of its input; returns its exit status (-1 when killed).
  int finish(const std::string& answers = "");

 private:
  pid_t pid_ = -1;
  int to_ = -1, from_ = -1;
  std::string seen_;
  std::size_t at_ = 0;
};

}  // namespace support
