// editpar, a program over the layers base, model, package, check and edit: the editor of
// the board parameters "par", its check and its map, and changes from a script.
//
// editpar.h: what a call asks, read from its command line, and the diff that -n shows.
#pragma once

#include <string_view>

#include "base/error.h"
#include "base/files.h"
#include "base/program.h"
#include "edit/script.h"

namespace kdz {

// What a call asks for: the mode its command line names.
enum class command { edit, help, version, list, check, map, script };

// A call as its command line gives it.
struct call {
  command_line line;  // as read: the words of `changes` point into it
  command cmd = command::edit;
  program_files at;                // the package directory
  bool force = false;              // -f: the dialogue edits a "par" read with warnings
  bool preview = false;            // -n: the script's changes shown, not written
  const char* bus_word = nullptr;  // the dialogue's word naming the bus of a fresh set
  script changes{};                // -a, -d, -e, -M
};

// The usage, which -h and --help print.
extern const char editpar_usage[];

// Reads the command line of the program invoked as `prog` into `c` and judges it whole, then
// the directory of -C, before any file is read. -h, -help and --version leave c.cmd help or
// version. An error ends the call with status 2: a usage error, or a -C directory that
// cannot be entered ("-C <DIR>: " and the error text). REQUIRES: `c` stays where it is while
// the call runs.
error read_call(const char* prog, int argc, char** argv, call& c);

// Prints on standard output what `diff -u --label <name> --label "<name> (after)"` prints
// for the texts `now` and `after` (the system's diff, run without a shell, its texts in
// temporary files that no name leads to). Fails with "diff: " and the error text, or "diff
// failed for <name>".
error print_diff(const char* name, std::string_view now, std::string_view after);

}  // namespace kdz
