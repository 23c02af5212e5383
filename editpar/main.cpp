// editpar: creates or edits the board parameters "par" beside the program.
#include <cerrno>
#include <cstring>

#include "libcfg/editor.h"

namespace {

constexpr char usage[] =
    "usage: editpar [at|mc]   create or edit \"par\" interactively\n"
    "       editpar -l        list the catalog and the parameters\n"
    "       editpar -c        check the parameters against the catalog\n"
    "       editpar -h        print this text\n";

// Whether "par" is absent: only then is a fresh set started.
bool par_missing(const char* prog) {
  const path_ptr path(make_path(prog, "par"));
  if (!path) return false;  // load_params meets the same failure and ends the run
  const file_ptr f(std::fopen(path.get(), "r"));
  return !f && errno == ENOENT;
}

int list(const char* prog) {
  if (!par_missing(prog) && load_params(prog) == nullptr) return 1;
  print_config();
  print_params();
  return 0;
}

// Findings on standard output; "par" is only read.
int check(const char* prog) {
  if (load_params(prog) == nullptr) return 2;
  return check_set(stdout) == 0 ? 0 : 1;
}

int edit(const char* prog, int argc, char** argv) {
  if (par_missing(prog)) {
    init_params(argc, argv);
  } else if (load_params(prog) == nullptr) {
    return 1;
  }
  editor_io(stdin, stdout);
  try {
    if (params.mode == 0) get_mode();
    edit_params();
  } catch (const end_of_input&) {
    std::fflush(stdout);
    std::fprintf(stderr, "%s: end of input: par not written\n", prog);
    return 1;
  }
  return save_params(prog) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const char* prog = argv[0];
  const char* first = argc > 1 ? argv[1] : "";
  if (std::strcmp(first, "-h") == 0) {
    std::fputs(usage, stdout);
    return 0;
  }
  const bool list_only = std::strcmp(first, "-l") == 0;
  const bool check_only = std::strcmp(first, "-c") == 0;
  if (first[0] == '-' && !list_only && !check_only) {
    std::fputs(usage, stderr);
    return 2;
  }
  if (load_config(prog, "cfg") == nullptr) return check_only ? 2 : 1;
  if (check_only) return check(prog);
  return list_only ? list(prog) : edit(prog, argc, argv);
}
