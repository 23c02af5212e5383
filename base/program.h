// base, the bottom layer: what a program that reads and writes text files needs, knowing
// nothing of boards (lines.h says it whole).
//
// program.h: what both programs do at their start and end, the command-line habits they
// share (options in any order and bundled, "--", -h and --help, --version, and the usage
// errors, each followed by the line that points to --help), and where they say they
// looked after a failed load.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <fmt/format.h>

#include "base/files.h"

namespace kdz {

// The name a program was started by (argv[0], or "" without one), for its paths and its
// messages. Ignores SIGXFSZ, so that a file grown past the size limit fails its write, and
// puts `stdout` on a stream of descriptor 1 that keeps the error of its first failed write
// (buffered as stdio buffers standard output), for flush_stdout to return.
const char* start_program(int argc, char** argv);
// Flushes standard output at the end of the program. When it could not be written: "stdout: "
// and the error text of the first write that failed.
error flush_stdout();

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

// The usage errors, which a program says with append_help_line's line after them.
// The fault of `cl`: "unknown option <named>", or "<named> needs <needs>".
error line_fault_error(const command_line& cl);
// An option the program does not know: "unknown option <word>".
error unknown_option(const char* word);
// A word the mode does not take: "unexpected argument <word>".
error unexpected_argument(const char* word);

// Appends what a program named `name` says of `e`: "<name>: <message>", and after a usage
// error "Try '<name> --help' for more information.".
void append_told(fmt::memory_buffer& out, std::string_view name, const error& e);

// What follows the message of a catalog that cannot be loaded: "the board catalog cfg is
// looked for in <directory>".
error cfg_looked_for(const program_files& at);
// What follows the message of a missing "par": "no par in <directory>: create one with
// editpar".
error no_par_in(const program_files& at);

}  // namespace kdz
