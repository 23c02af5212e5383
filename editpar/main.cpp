// editpar: creates or edits the board parameters "par" beside the program.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "libcfg/editor.h"

namespace {

constexpr char usage[] =
    "usage: editpar [at|mc]   create or edit \"par\" interactively\n"
    "       editpar -l        list the catalog and the parameters\n"
    "       editpar -c        check the parameters against the catalog\n"
    "       editpar -m        draw a map of the boards' irqs, I/O ranges and memory\n"
    "       editpar -h        print this text\n"
    "change \"par\" from a script, one or more changes in one call:\n"
    "       editpar -a TYPE [key=VALUE ...]   add a board of type TYPE\n"
    "       editpar -d N                      delete board N (from 1)\n"
    "       editpar -e N key=VALUE ...        change values of board N\n"
    "       editpar -M interrupt|polling      set the driver mode\n"
    "       keys: size=, irq= (decimal), ioa=, dpa= (hexadecimal), bus=at|mc (new par)\n";

constexpr int LOCKED_OUT = 3;  // the status of an editor that found another at work

// The open directory whose lock this editor holds; the lock lasts as long as it is open.
int lock_fd = -1;

// Whether "par" is absent: only then is a fresh set started. Asked without opening it.
bool par_missing(const char* prog) {
  const path_ptr path(make_path(prog, "par"));
  if (!path) return false;  // load_params meets the same failure and ends the run
  struct stat st {};
  return ::stat(path.get(), &st) != 0 && errno == ENOENT;
}

// Takes the lock of the directory of the program's files for the rest of the run, so that
// two editors never undo each other's changes. False when another editor holds it.
bool lock_files(const char* prog) {
  const char* slash = std::strrchr(prog, '/');
  const std::string dir = slash == nullptr ? "." : slash == prog ? "/" : std::string(prog, slash);
  lock_fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (lock_fd >= 0 && flock(lock_fd, LOCK_EX | LOCK_NB) == 0) return true;
  if (lock_fd >= 0 && errno == EWOULDBLOCK) {
    std::fprintf(stderr, "%s: par is being edited by another editpar\n", prog);
    return false;
  }
  // Without the lock the editor still works, as it did before there was one.
  const int error = errno;
  std::fprintf(stderr, "%s: cannot lock %s: ", prog, dir.c_str());
  errno = error;
  std::perror("");
  return true;
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
  return check_set(prog, stdout) == 0 ? 0 : 1;
}

int map(const char* prog) {
  if (load_params(prog) == nullptr) return 2;
  draw_map(prog, stdout);
  return 0;
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
  if (save_params(prog) != 0) return 1;
  warn_after_saving(prog);
  return 0;
}

// Changes from the command line: all of them or none, saved as quitting the menus saves.
int script_call(const char* prog, int argc, char** argv) {
  script s;
  std::string why;
  if (!parse_script(argc, argv, s, why)) {
    std::fprintf(stderr, "%s: %s\n", prog, why.c_str());
    std::fputs(usage, stderr);
    return 2;
  }
  if (!lock_files(prog)) return LOCKED_OUT;
  if (load_config(prog, "cfg") == nullptr) return 2;
  const bool fresh = par_missing(prog) && s.changes[0].op == 'a';
  if (fresh) {
    start_script_set(s);
  } else if (load_params(prog) == nullptr) {
    return 2;
  } else if (par_lines.warnings > 0) {
    std::fprintf(stderr, "%s: par read with warnings: a change would drop what they name\n", prog);
    return 1;
  }
  if (params.mode == 0) set_mode_unasked();
  if (!apply_script(s, fresh, why)) {
    std::fprintf(stderr, "%s: %s\n", prog, why.c_str());
    return 1;
  }
  if (save_params(prog) != 0) return 1;
  warn_after_saving(prog);
  return 0;
}

bool is_script(const char* first) {
  return std::strcmp(first, "-a") == 0 || std::strcmp(first, "-d") == 0 ||
         std::strcmp(first, "-e") == 0 || std::strcmp(first, "-M") == 0;
}

int editpar(const char* prog, int argc, char** argv) {
  const char* first = argc > 1 ? argv[1] : "";
  if (std::strcmp(first, "-h") == 0) {
    std::fputs(usage, stdout);
    return 0;
  }
  if (is_script(first)) return script_call(prog, argc, argv);
  const bool list_only = std::strcmp(first, "-l") == 0;
  const bool check_only = std::strcmp(first, "-c") == 0;
  const bool map_only = std::strcmp(first, "-m") == 0;
  const bool reads_only = list_only || check_only || map_only;
  if (first[0] == '-' && !reads_only) {
    std::fputs(usage, stderr);
    return 2;
  }
  if (!reads_only && !lock_files(prog)) return LOCKED_OUT;
  if (load_config(prog, "cfg") == nullptr) return check_only || map_only ? 2 : 1;
  if (check_only) return check(prog);
  if (map_only) return map(prog);
  return list_only ? list(prog) : edit(prog, argc, argv);
}

}  // namespace

int main(int argc, char** argv) {
  const char* prog = start_program(argc, argv);
  const bool check_only = argc > 1 && std::strcmp(argv[1], "-c") == 0;
  return finish_program(prog, editpar(prog, argc, argv), check_only ? 2 : 1);
}
