// The command line of buildc.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fmt/format.h>

#include "base/files.h"
#include "base/program.h"
#include "buildc/buildc.h"

namespace kdz {

namespace {

constexpr char usage[] =
    "usage: buildc [-C DIR] [-f] [-n | -o DIR]\n"
    "       buildc -h | --help | --version\n"
    "  -C DIR  read and write the files in DIR, not beside the program\n"
    "  -f      write even when par was read with warnings\n"
    "  -n      write nothing; name each file the run would create or change\n"
    "  -o DIR  write the package into DIR; the package directory is only read\n";

constexpr int USAGE_ERROR = 2;

// Reads the options after [-C DIR] into `options`; a status for a command line it refuses.
int read_options(const char* prog, const std::vector<char*>& words, run_options& options) {
  for (std::size_t i = 0; i < words.size(); ++i) {
    const char* w = words[i];
    const bool output_chosen = options.dry_run || options.out_dir != nullptr;
    if (std::strcmp(w, "-f") == 0 && !options.force) {
      options.force = true;
    } else if (std::strcmp(w, "-n") == 0 && !output_chosen) {
      options.dry_run = true;
    } else if (std::strcmp(w, "-o") == 0 && !output_chosen) {
      if (i + 1 == words.size()) return missing_value(prog, "-o", "a directory", usage);
      options.out_dir = words[++i];
    } else if (i == 0 && w[0] == '-') {
      return unknown_option(prog, w, usage);
    } else {
      return unexpected_argument(prog, w, usage);
    }
  }
  return 0;
}

// The directory of -o must exist and must not be the package directory itself, whose
// files a run with -o leaves alone.
error check_out_dir(const program_files& at, const char* dir) {
  struct stat out {};
  struct stat package {};
  const bool found = ::stat(dir, &out) == 0;
  if (!found || !S_ISDIR(out.st_mode)) {
    const int number = found ? ENOTDIR : errno;
    return failure(fmt::format("-o {}: ", dir), number);
  }
  const std::string here = at.dir.empty() ? "." : at.dir;
  if (::stat(here.c_str(), &package) == 0 && package.st_dev == out.st_dev &&
      package.st_ino == out.st_ino) {
    return failure("-o names the package directory");
  }
  return {};
}

// The whole run of the command line, but for standard output's last flush.
int run_command(const char* prog, int argc, char** argv) {
  command_words cl;
  if (!read_command_words(prog, argc, argv, usage, cl)) return USAGE_ERROR;
  if (!cl.words.empty()) {
    const common_mode mode = common_mode_of(cl.words[0]);
    if (mode != common_mode::none && cl.words.size() > 1) {
      return unexpected_argument(prog, cl.words[1], usage);
    }
    if (mode != common_mode::none) return run_common_mode(mode, "buildc", usage);
  }
  run_options options;
  if (const int refused = read_options(prog, cl.words, options)) return refused;
  if (options.out_dir != nullptr) {
    if (error e = check_out_dir(cl.at, options.out_dir); !e.ok()) {
      tell(prog, e);
      return USAGE_ERROR;
    }
  }
  const run_outcome r = run(cl.at, options);
  for (const error& e : r.told) tell(prog, e);
  return exit_status(r);
}

}  // namespace

int buildc_main(const char* prog, int argc, char** argv) {
  const int status = run_command(prog, argc, argv);
  const error out = flush_stdout();
  if (out.ok()) return status;
  // What it printed is part of what it was asked: a run that could not print it failed.
  tell(prog, out);
  return status == 0 ? 1 : status;
}

}  // namespace kdz
