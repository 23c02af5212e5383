// The command line of buildc.
#include <sys/stat.h>

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
    "  -o DIR  write the package into DIR (made if missing); the package directory is only\n"
    "          read\n"
    "Options may come in any order and bundled (-fn); -- ends them.\n";

enum option_id { OPT_DIR, OPT_FORCE, OPT_DRY_RUN, OPT_OUT, OPT_HELP, OPT_VERSION };

constexpr option_row options_of_buildc[] = {
    {OPT_DIR, 'C', nullptr, "a directory", false},
    {OPT_FORCE, 'f', nullptr, nullptr, false},
    {OPT_DRY_RUN, 'n', nullptr, nullptr, false},
    {OPT_OUT, 'o', nullptr, "a directory", false},
    {OPT_HELP, 'h', "help", nullptr, false},
    {OPT_VERSION, '\0', "version", nullptr, false},
    {0, '\0', nullptr, nullptr, false},
};

constexpr int USAGE_ERROR = 2;

// Says `e`, a reason not to run at all: status 2.
int refuse(const char* prog, const error& e) {
  tell(prog, e);
  return USAGE_ERROR;
}

// The package directory: beside the program, or -C DIR when DIR can be searched.
error package_directory(const char* prog, const char* dir, program_files& at) {
  if (dir == nullptr) {
    at = beside_program(prog);
    return {};
  }
  if (const int number = directory_error(dir)) return failure(fmt::format("-C {}: ", dir), number);
  at = in_directory(dir);
  return {};
}

// A run with -o leaves the package directory alone: DIR may not be that directory. A DIR
// that is missing is made later, once the inputs are accepted.
bool names_package(const program_files& at, const char* dir) {
  struct stat out {};
  struct stat package {};
  const std::string here = at.dir.empty() ? "." : at.dir;
  return ::stat(dir, &out) == 0 && ::stat(here.c_str(), &package) == 0 &&
         package.st_dev == out.st_dev && package.st_ino == out.st_ino;
}

// The options of a run from a well-formed command line; a usage error for one it refuses.
error judge_options(const command_line& cl, run_options& options) {
  if (!cl.words.empty()) return unexpected_argument(cl.words[0]);
  options.force = given(cl, OPT_FORCE);
  options.dry_run = given(cl, OPT_DRY_RUN);
  options.out_dir = last_value(cl, OPT_OUT);
  if (options.dry_run && options.out_dir != nullptr) {
    return usage_error("-n and -o exclude each other");
  }
  return {};
}

// The whole run of the command line, but for standard output's last flush.
int run_command(const char* prog, int argc, char** argv) {
  const command_line cl = read_command_line(argc, argv, options_of_buildc);
  if (cl.fault != line_fault::none) return refuse(prog, line_fault_error(cl));
  const bool help = given(cl, OPT_HELP);
  if ((help || given(cl, OPT_VERSION)) && cl.words.empty()) {
    return run_common_mode(help ? common_mode::help : common_mode::version, "buildc", usage);
  }
  run_options options;
  if (error e = judge_options(cl, options); !e.ok()) return refuse(prog, e);
  program_files at;
  if (error e = package_directory(prog, last_value(cl, OPT_DIR), at); !e.ok()) {
    return refuse(prog, e);
  }
  if (options.out_dir != nullptr && names_package(at, options.out_dir)) {
    return refuse(prog, failure("-o names the package directory"));
  }
  const run_outcome r = run(at, options);
  write_text(stdout, r.out);
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
