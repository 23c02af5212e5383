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

namespace {

constexpr char usage[] =
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
// --version, or else the dialogue. False after the usage error of a mode option with more
// letters glued to it ("-lx"), or of a mode beside -h or --version.
bool mode_of(const char* prog, call& c, int& status) {
  const command_line& cl = c.line;
  const bool help = given(cl, OPT_HELP);
  if (help || given(cl, OPT_VERSION)) {
    c.cmd = help ? command::help : command::version;
    if (!cl.mode.empty()) status = unexpected_argument(prog, cl.mode.c_str());
    return cl.mode.empty();
  }
  if (cl.mode.empty()) return true;
  for (const mode_row* row = modes; row->word != nullptr; ++row) {
    if (cl.mode == row->word) {
      c.cmd = row->cmd;
      return true;
    }
  }
  status = unknown_option(prog, cl.mode.c_str());
  return false;
}

// The words of the dialogue: [WORD], naming the bus by its first letter.
int dialogue_words(const char* prog, call& c) {
  const std::vector<char*>& words = c.line.words;
  if (words.empty()) return 0;
  c.bus_word = words[0];
  if (bus_of_word(c.bus_word) == 0) {
    write_text(stderr, fmt::format("{}: unknown bus {}: use at or mc\n", prog, c.bus_word));
    return try_help(prog);
  }
  return words.size() > 1 ? unexpected_argument(prog, words[1]) : 0;
}

// The changes of a script call, read by the script's own parser after the program's name.
int script_words(const char* prog, call& c) {
  std::vector<char*> args{const_cast<char*>(prog), c.line.mode.data()};
  args.insert(args.end(), c.line.words.begin(), c.line.words.end());
  std::string why;
  if (parse_script(static_cast<int>(args.size()), args.data(), c.changes, why)) return 0;
  write_text(stderr, fmt::format("{}: {}\n", prog, why));
  return try_help(prog);
}

// What the mode takes: -f the dialogue only, -n script changes only, words as each mode
// reads them. 0, or the status of a usage error.
int judge_mode(const char* prog, call& c) {
  const std::vector<char*>& words = c.line.words;
  if (c.force && c.cmd != command::edit) return unexpected_argument(prog, c.line.mode.c_str());
  if (c.preview && c.cmd != command::script) {
    write_text(stderr, fmt::format("{}: -n goes with script changes only\n", prog));
    return try_help(prog);
  }
  switch (c.cmd) {
    case command::edit:
      return dialogue_words(prog, c);
    case command::script:
      return script_words(prog, c);
    default:
      return words.empty() ? 0 : unexpected_argument(prog, words[0]);
  }
}

// The package directory: beside the program, or -C DIR when DIR can be searched.
int package_directory(const char* prog, call& c) {
  const char* dir = last_value(c.line, OPT_DIR);
  if (dir == nullptr) {
    c.at = beside_program(prog);
    return 0;
  }
  if (const int error = directory_error(dir)) {
    write_text(stderr, fmt::format("{}: -C {}: {}\n", prog, dir, std::strerror(error)));
    return 2;
  }
  c.at = in_directory(prog, dir);
  return 0;
}

}  // namespace

bool read_call(const char* prog, int argc, char** argv, call& c, int& status) {
  c.line = read_command_line(argc, argv, options_of_editpar);
  status = 0;
  if (c.line.fault != line_fault::none) {
    status = line_fault_error(prog, c.line);
    return false;
  }
  c.force = given(c.line, OPT_FORCE);
  c.preview = given(c.line, OPT_PREVIEW);
  if (!mode_of(prog, c, status)) return false;
  if (c.cmd == command::help || c.cmd == command::version) {
    if (!c.line.words.empty()) {
      status = unexpected_argument(prog, c.line.words[0]);
    } else {
      run_common_mode(c.cmd == command::help ? common_mode::help : common_mode::version, "editpar",
                      usage);
    }
    return false;
  }
  status = judge_mode(prog, c);
  if (status == 0) status = package_directory(prog, c);
  return status == 0;
}

}  // namespace kdz
