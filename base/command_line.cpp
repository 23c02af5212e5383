// The command-line habits both programs share.
#include "base/program.h"

#include <fmt/format.h>

#include <cstring>

namespace kdz {

namespace {

constexpr int USAGE_ERROR = 2;

int usage_error(const std::string& message, const char* usage) {
  write_text(stderr, message);
  write_text(stderr, usage);
  return USAGE_ERROR;
}

}  // namespace

bool read_command_words(const char* prog, int argc, char** argv, const char* usage,
                        command_words& cl) {
  int first = 1;
  cl.at = beside_program(prog);
  if (argc > 1 && std::strcmp(argv[1], "-C") == 0) {
    if (argc < 3) {
      missing_value(prog, "-C", "a directory", usage);
      return false;
    }
    cl.at = in_directory(argv[2]);
    first = 3;
  }
  cl.words.assign(argv + std::min(first, std::max(argc, 1)), argv + std::max(argc, 1));
  return true;
}

common_mode common_mode_of(const char* word) {
  if (std::strcmp(word, "-h") == 0 || std::strcmp(word, "--help") == 0) return common_mode::help;
  if (std::strcmp(word, "--version") == 0) return common_mode::version;
  return common_mode::none;
}

int run_common_mode(common_mode mode, const char* name, const char* usage) {
  if (mode == common_mode::version) {
    write_text(stdout, fmt::format("{} {}\n", name, KDZ_VERSION));
  } else {
    write_text(stdout, usage);
  }
  return 0;
}

int unknown_option(const char* prog, const char* word, const char* usage) {
  return usage_error(fmt::format("{}: unknown option {}\n", prog, word), usage);
}

int unexpected_argument(const char* prog, const char* word, const char* usage) {
  return usage_error(fmt::format("{}: unexpected argument {}\n", prog, word), usage);
}

int missing_value(const char* prog, const char* option, const char* what, const char* usage) {
  return usage_error(fmt::format("{}: {} needs {}\n", prog, option, what), usage);
}

}  // namespace kdz
