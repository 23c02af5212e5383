// edit, the layer above check: the board editor (editor.h says it whole).
//
// script.h: changes from the command line (editpar -a, -d, -e, -M), each following the
// operation of the menus it stands for.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "edit/editor.h"
#include "model/board_set.h"

namespace kdz {

// The keys of a change: size= and irq= decimal, ioa= and dpa= hexadecimal as the questions
// read them, bus= (at or mc) for the first board of a new set.
enum script_key_id { KEY_SIZE, KEY_IRQ, KEY_IOA, KEY_DPA, KEY_BUS, KEY_COUNT };
struct script_key {
  int key;             // a script_key_id
  std::int32_t value;  // the number given
  const char* text;    // the word given, for bus=
};
struct script_change {
  char op;                                 // 'a' add, 'd' delete, 'e' modify, 'M' switch the mode
  const char* type;                        // -a: the type's name in the catalog
  int board;                               // -d, -e: the board's number, from 1
  int mode;                                // -M: MODE_INTERRUPT or MODE_POLL
  std::array<script_key, KEY_COUNT> keys;  // in the order given; none twice
  int nkeys;
};
constexpr int MAX_CHANGES = 64;  // changes in one call
struct script {
  std::array<script_change, MAX_CHANGES> changes;
  int nchanges;
};
// A refusal is one line of at most this many characters, however long the words it quotes.
constexpr std::size_t MAX_WHY = 511;

// Reads the changes of a command line (argv[1] on: "-a TYPE key=VALUE ...", "-d N",
// "-e N key=VALUE ...", "-M interrupt|polling", a word beginning with "-" starting each).
// False, with `why` saying what is wrong, for a call that is not well formed: an unknown
// change or key, a key given twice, a value that is not a number of its kind. The script
// keeps pointers into argv.
bool parse_script(int argc, char** argv, script& s, std::string& why);
// Starts a fresh set for a script whose "par" does not exist, as editpar with no argument
// would: init_params, with the first change's bus= as the bus argument.
board_set start_script_set(const script& s);
// Sets the set's mode as get_mode would, taking interrupt where get_mode would ask.
void set_mode_unasked(editor& ed);
// Applies the changes to the set in order, each as its menu operation would with the
// call's values as the answers, then the rules of quitting (check_params). False, with
// `why` naming the rule broken and what it allows, at the first change or rule refused;
// the set is then not to be saved. `fresh`: the set was started by start_script_set.
// REQUIRES: the set's mode is set.
bool apply_script(editor& ed, const script& s, bool fresh, std::string& why);

}  // namespace kdz
