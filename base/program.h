// base, the bottom layer: what a program that reads and writes text files needs, knowing
// nothing of boards (lines.h says it whole).
//
// program.h: what both programs do at their start and end, and the command-line habits they
// share: options in any order and bundled, "--", -h and --help, --version, and the usage
// errors, each followed by the line that points to --help.
#pragma once

#include <string>
#include <vector>

#include "base/files.h"

namespace kdz {

// The name a program was started by (argv[0], or "" without one), for its paths and its
// messages. Ignores SIGXFSZ, so that a file grown past the size limit fails its write, and
// puts `stdout` on a stream of descriptor 1 that keeps the error of its first failed write
// (buffered as stdio buffers standard output), for finish_program to report.
const char* start_program(int argc, char** argv);
// The exit status once standard output is flushed: `status`; or, when standard output
// could not be written, the greater of `status` and `failed`, after writing
// "<prog>: stdout: " and the error text of the write that failed to standard error.
int finish_program(const char* prog, int status, int failed);

// An option of a command line, a row of a program's table. The table ends with a row whose
// letter is '\0' and whose name is null.
struct option_row {
  int id;             // what the program calls it
  char letter;        // given as "-x", alone or in a bundle ("-fn"); '\0' for none
  const char* name;   // given as "--name", matched whole, never abbreviated; null for none
  const char* needs;  // what its value is, for a message ("a directory"); null: it takes none
  bool ends_options;  // a mode: what follows it belongs to the mode, not to the options
};
// An option as given: its row's id and its value, or null.
struct option_given {
  int id;
  const char* value;
};
// What makes a command line malformed before its words are judged.
enum class line_fault {
  none,
  unknown_option,  // `named` is not in the table
  missing_value,   // `named` ends the line without the value it takes (`needs`)
};
// A command line read as getopt_long with "+" reads it: options up to the first word that
// is not one, or up to "--", which is dropped; a value glued on ("-Cpkg") or in the next
// word; a mode option ends the options at once.
struct command_line {
  std::vector<option_given> options;  // in the order given: where one repeats, the last counts
  std::string mode;          // the mode option that ended them, with what followed it in its
                             // word ("-a", "-lx"); "" when none did
  std::vector<char*> words;  // the words after the options (after the mode option)
  line_fault fault = line_fault::none;
  std::string named;  // the option at fault: "-x" (also in a bundle), "--name" as typed
  const char* needs = nullptr;
};
// Reads argv[1] on by `table`, up to the first fault.
command_line read_command_line(int argc, char** argv, const option_row* table);
// The value of the last option `id` given, or null.
const char* last_value(const command_line& cl, int id);
// Whether option `id` was given.
bool given(const command_line& cl, int id);

// The modes every program has, whatever else it does.
enum class common_mode { none, help, version };
// Prints the usage or "<name> <version>" on standard output. Returns the exit status, 0.
int run_common_mode(common_mode mode, const char* name, const char* usage);

// The usage errors: each writes its message, then "Try '<prog> --help' for more
// information." on standard error, and returns status 2.
// The fault of `cl`: "<prog>: unknown option <named>", or "<prog>: <named> needs <needs>".
int line_fault_error(const char* prog, const command_line& cl);
// An option the program does not know: "<prog>: unknown option <word>".
int unknown_option(const char* prog, const char* word);
// A word the mode does not take: "<prog>: unexpected argument <word>".
int unexpected_argument(const char* prog, const char* word);
// The line that follows every usage error, alone; returns status 2.
int try_help(const char* prog);

// What follows the message of a catalog that cannot be loaded: "<prog>: the board catalog
// cfg is looked for in <directory>", on standard error.
void tell_where_cfg_is(const program_files& at);
// What follows the message of a missing "par": "<prog>: no par in <directory>: create one
// with editpar", on standard error.
void tell_par_missing(const program_files& at);

}  // namespace kdz
