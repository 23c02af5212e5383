// The command line of editpar: the options, then the mode and its words, judged whole
// before any file is read.
#include <cstring>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "base/files.h"
#include "base/program.h"
#include "edit/script.h"
#include "editpar/editpar.h"
#include "model/records.h"

namespace kdz {

namespace {}  // namespace

const char editpar_usage[] =
    "usage: editpar [-C DIR] [-f] [at|mc]   create or edit \"par\" interactively\n"
    "       editpar [-C DIR] -l   list the catalog and the parameters\n"
    "       editpar [-C DIR] -c   check the parameters against the catalog\n"
    "       editpar [-C DIR] -m   draw a map of the boards' irqs, I/O ranges and memory\n"
    "       editpar -h | --help | --version\n"
    "change \"par\" from a script, one or more changes in one call:\n"
    "       editpar [-C DIR] [-n] -a TYPE [key=VALUE ...]   add a board of type TYPE\n"
    "       editpar [-C DIR] [-n] -d N                      delete board N (from 1)\n"
    "       editpar [-C DIR] [-n] -e N key=VALUE ...        change values of board N\n"
    "       editpar [-C DIR] [-n] -M interrupt|polling      set the driver mode\n"
    "       keys: size=, irq= (decimal), ioa=, dpa= (hexadecimal), bus=at|mc (new par)\n"
    "  -C DIR  read and write the files in DIR, not beside the program\n"
    "  -f      edit even a par read with warnings\n"
    "  -n      write nothing; show what par, Init and dces would become, as diff -u\n"
    "Options come before the mode in any order, bundled or not (-nC DIR); -- ends them.\n";

namespace {

enum option_id { OPT_DIR, OPT_FORCE, OPT_PREVIEW, OPT_HELP, OPT_VERSION, OPT_MODE };

// The mode options end the options: what follows them is the mode's.
constexpr option_row options_of_editpar[] = {
    {OPT_DIR, 'C', nullptr, "a directory", false},
    {OPT_FORCE, 'f', nullptr, nullptr, false},
    {OPT_PREVIEW, 'n', nullptr, nullptr, false},
    {OPT_HELP, 'h', "help", nullptr, false},
    {OPT_VERSION, '\0', "version", nullptr, false},
    {OPT_MODE, 'l', nullptr, nullptr, true},
    {OPT_MODE, 'c', nullptr, nullptr, true},
    {OPT_MODE, 'm', nullptr, nullptr, true},
    {OPT_MODE, 'a', nullptr, nullptr, true},
    {OPT_MODE, 'd', nullptr, nullptr, true},
    {OPT_MODE, 'e', nullptr, nullptr, true},
    {OPT_MODE, 'M', nullptr, nullptr, true},
    {0, '\0', nullptr, nullptr, false},
};

struct mode_row {
  const char* word;
  command cmd;
};
constexpr mode_row modes[] = {
    {"-l", command::list},   {"-c", command::check},   {"-m", command::map},
    {"-a", command::script}, {"-d", command::script},  {"-e", command::script},
    {"-M", command::script}, {nullptr, command::edit},
};

// The mode of the call, from the mode option that ended the options, or else -h, --help or
// --version, or else the dialogue. A mode option with more letters glued to it ("-lx"), or
// a mode beside -h or --version, is a usage error.
error mode_of(call& c) {
  const command_line& cl = c.line;
  const bool help = given(cl, OPT_HELP);
  if (help || given(cl, OPT_VERSION)) {
    c.cmd = help ? command::help : command::version;
    if (!cl.mode.empty()) return unexpected_argument(cl.mode.c_str());
    return cl.words.empty() ? error{} : unexpected_argument(cl.words[0]);
  }
  if (cl.mode.empty()) return {};
  for (const mode_row* row = modes; row->word != nullptr; ++row) {
    if (cl.mode == row->word) {
      c.cmd = row->cmd;
      return {};
    }
  }
  return unknown_option(cl.mode.c_str());
}

// The words of the dialogue: [WORD], naming the bus by its first letter.
error dialogue_words(call& c) {
  const std::vector<char*>& words = c.line.words;
  if (words.empty()) return {};
  c.bus_word = words[0];
  if (bus_of_word(c.bus_word) == 0) {
    return usage_error(fmt::format("unknown bus {}: use at or mc", c.bus_word));
  }
  return words.size() > 1 ? unexpected_argument(words[1]) : error{};
}

// The changes of a script call, read by the script's own parser after the program's name.
error script_words(const char* prog, call& c) {
  std::vector<char*> args{const_cast<char*>(prog), c.line.mode.data()};
  args.insert(args.end(), c.line.words.begin(), c.line.words.end());
  std::string why;
  if (parse_script(static_cast<int>(args.size()), args.data(), c.changes, why)) return {};
  return usage_error(why);
}

// What the mode takes: -f the dialogue only, -n script changes only, words as each mode
// reads them.
error judge_mode(const char* prog, call& c) {
  const std::vector<char*>& words = c.line.words;
  if (c.force && c.cmd != command::edit) return unexpected_argument(c.line.mode.c_str());
  if (c.preview && c.cmd != command::script) {
    return usage_error("-n goes with script changes only");
  }
  switch (c.cmd) {
    case command::edit:
      return dialogue_words(c);
    case command::script:
      return script_words(prog, c);
    default:
      return words.empty() ? error{} : unexpected_argument(words[0]);
  }
}

// The package directory: beside the program, or -C DIR when DIR can be searched.
error package_directory(const char* prog, call& c) {
  const char* dir = last_value(c.line, OPT_DIR);
  if (dir == nullptr) {
    c.at = beside_program(prog);
    return {};
  }
  if (const int number = directory_error(dir)) return failure(fmt::format("-C {}: ", dir), number);
  c.at = in_directory(dir);
  return {};
}

}  // namespace

error read_call(const char* prog, int argc, char** argv, call& c) {
  c.line = read_command_line(argc, argv, options_of_editpar);
  if (c.line.fault != line_fault::none) return line_fault_error(c.line);
  c.force = given(c.line, OPT_FORCE);
  c.preview = given(c.line, OPT_PREVIEW);
  if (error e = mode_of(c); !e.ok() || c.cmd == command::help || c.cmd == command::version) {
    return e;
  }
  if (error e = judge_mode(prog, c); !e.ok()) return e;
  return package_directory(prog, c);
}

}  // namespace kdz
