// What the end-to-end drivers share: the case folders, their files, and a run of a real
// program as a user starts it, with its streams in files and a time limit.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace golden {

namespace fs = std::filesystem;

// The bytes of a file, or `absent` when it cannot be read.
std::string read_file(const fs::path& path, const std::string& absent = "");
// The names of the case folders in `dir`, sorted.
std::vector<std::string> case_names(const fs::path& dir);
// The words of `text`, split at blanks and line ends.
std::vector<std::string> words_of(const std::string& text);
// A scratch directory of this process for the case `name`, made empty.
fs::path scratch(const std::string& name);

struct run_spec {
  fs::path exe;                   // the program
  std::vector<std::string> argv;  // its command line, argv[0] included
  fs::path cwd;                   // where it runs
  fs::path in = "/dev/null";      // standard input
  fs::path out, err;              // standard output and error go to these files
  unsigned seconds = 20;          // a run that takes longer is killed
};

// Runs the program; returns its exit status, or -1 when it did not exit by itself.
int run(const run_spec& spec);

}  // namespace golden
