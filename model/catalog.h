// model, the layer above base: the records of the board catalog "cfg" and of the board
// parameters "par", their readers and writers, and the rules a board set keeps (records.h
// says it whole).
//
// catalog.h: the board catalog "cfg" as read, with where each of its values stood.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>

#include "base/files.h"
#include "model/records.h"

namespace kdz {

// Where the readers found what they read, for the check to point at: line numbers counted
// from 1 at each newline (a line longer than a line buffer, read in pieces, is one line),
// 0 for none.
struct cfg_where {
  int first_cr;                 // the first line whose last word ends in a carriage return
  int pkg;                      // the last "pkg" line
  char pkg_text[MAX_TEXT + 1];  // its argument as written, before the cut to 7 characters
  int copy;                     // the last "copy" line
  std::array<int, MAX_VALUES> def_primary;  // the line of each value of def.ioas_primary
  std::array<int, MAX_VALUES> def_extras;   // and of def.ioas_extras
  struct type_where {
    int type;          // its "type" line
    bool name_cut;     // its name was longer than the 15 characters kept
    int ioas_primary;  // the line that gave its own list; 0 when it took def's
    int ioas_extras;
  };
  std::array<type_where, TYPE_ROWS> types;
};

// A board catalog as read from "cfg": never changed once read. A value: copying it copies
// everything it holds (no pointer refers into it).
struct catalog {
  config_rec config;  // `nclasses` counts the types whose "class" line gave a label
  btype_rec def;      // the defaults before the first type
  // The show flag of each type's row of the class menu as the reader set it: ROW_OFFERED
  // for a type with a class label, ROW_HIDDEN for one whose "class" line gave none, ROW_END
  // for a type without a "class" line and after the last type.
  std::array<std::int32_t, TYPE_ROWS> class_rows;
  cfg_where lines;  // where the reader found what it read
};

// Board catalog "cfg".

// Reads a catalog from `in` into `cat`, which starts empty; the warnings about lines it
// cannot use are added to `warnings` in the order of the lines. An empty stream gives a
// catalog without types. False (errno set) when a read failed.
bool read_config(std::FILE* in, catalog& cat, warning_list& warnings);
// Reads the catalog `name` ("cfg") of the package directory with read_config. A failure
// comes back as load_beside's, as "load_config"; the warnings are not printed.
error load_config(const program_files& at, const char* name, catalog& cat, warning_list& warnings);
// The type-name table of `cat`: row i is { types[i].name, i }, and an end row follows the
// last type. Its names point into `cat`, which must outlive it.
std::array<tag_entry, TYPE_ROWS> type_tags(const catalog& cat);
// The index of the type named `name`, as search() finds it in type_tags(cat), or -1.
int find_type(const catalog& cat, const char* name);
// Lists the catalog on standard output: modes, copy, pkg, then two lines per type.
void print_config(const catalog& cat);

}  // namespace kdz
