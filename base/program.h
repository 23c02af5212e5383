// base, the bottom layer: what a program that reads and writes text files needs, knowing
// nothing of boards (lines.h says it whole).
//
// program.h: what both programs do at their start and end, the command-line habits they
// share (-C DIR before everything else, -h and --help, --version, and the usage errors for
// a word a program does not take), and where they say they looked after a failed load.
#pragma once

#include <vector>

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

// A command line once the -C DIR that may come first is read.
struct command_words {
  program_files at;          // the package directory: beside the program, or DIR
  std::vector<char*> words;  // the words after [-C DIR]; the first decides the mode
};
// Reads the command line of `prog`. False after "<prog>: -C needs a directory" and `usage`
// on standard error, for a -C with nothing after it.
bool read_command_words(const char* prog, int argc, char** argv, const char* usage,
                        command_words& cl);

// The modes every program has, whatever else it does.
enum class common_mode { none, help, version };
// -h and --help ask for the usage, --version for the version.
common_mode common_mode_of(const char* word);
// Prints the usage or "<name> <version>" on standard output. Returns the exit status, 0.
int run_common_mode(common_mode mode, const char* name, const char* usage);

// The usage errors, each on standard error followed by `usage`. Each returns status 2.
// An option the program does not know: "<prog>: unknown option <word>".
int unknown_option(const char* prog, const char* word, const char* usage);
// A word the mode does not take: "<prog>: unexpected argument <word>".
int unexpected_argument(const char* prog, const char* word, const char* usage);
// An option without the value it takes: "<prog>: <option> needs <what>".
int missing_value(const char* prog, const char* option, const char* what, const char* usage);

// What follows the message of a catalog that cannot be loaded: "the board catalog cfg is
// looked for in <directory>".
error cfg_looked_for(const program_files& at);
// What follows the message of a missing "par": "no par in <directory>: create one with
// editpar".
error no_par_in(const program_files& at);

}  // namespace kdz
