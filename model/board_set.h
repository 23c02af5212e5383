// model, the layer above base: the records of the board catalog "cfg" and of the board
// parameters "par", their readers and writers, and the rules a board set keeps (records.h
// says it whole).
//
// board_set.h: the board parameters "par": a set as read, where each of its values stands
// in the file, and where each board as read went since.
#pragma once

#include <array>
#include <cstdio>
#include <string>

#include "base/files.h"
#include "model/catalog.h"
#include "model/records.h"

namespace kdz {

// Where the reader of "par" found what it read, as cfg_where (catalog.h) for "cfg".
struct par_where {
  static constexpr int MAX_DROPPED = 8;  // boards of unknown type recorded with their line
  int first_cr;                          // the first line whose last word ends in a carriage return
  int mode;                              // the last "mode" line
  struct board_where {
    int type, size, irq, ioa, dpa;  // the lines that gave its values
  };
  std::array<board_where, MAX_BOARDS> boards;
  struct dropped_board {
    int line;                 // its "type" line
    char type[MAX_TEXT + 1];  // the type name the catalog lacks
  };
  int ndropped;  // boards dropped for an unknown type, also beyond those recorded
  std::array<dropped_board, MAX_DROPPED> dropped;
  // A keyword given again in the head or in one board's block: its later value is used.
  static constexpr int MAX_REPEATS = 8;  // repeats recorded with their lines
  struct repeat {
    int line;             // the later line
    int earlier;          // the line whose value it replaces
    int board;            // the block's board (from 0), or -1 for the head
    const char* keyword;  // as param_tags names it
  };
  int nrepeats;  // also beyond those recorded
  std::array<repeat, MAX_REPEATS> repeats;
};

// Boards whose moves are followed: as many as "par" holds.
constexpr int MOVED_BOARDS = MAX_BOARDS;
// The place of a board as read that has been deleted.
constexpr int BOARD_GONE = -1;

// Where each board of a set as read stands now. All zero (as in a fresh set) is a set read
// without boards, which no line of "Init" or "dces" belongs to.
struct board_moves {
  int nread;  // boards of the set as read, 0 to MOVED_BOARDS
  // For each board as read (from 0): how many places it moved down since, or BOARD_GONE.
  std::array<int, MOVED_BOARDS> down;
};

// The moves of a set just read with `nboards` boards: each board where it was read.
board_moves moves_as_read(int nboards);
// Records that board `number` (from 1) of the set as it is now was deleted, and the boards
// after it moved down one place. A number that no board as read has now (a board added
// since, or none) moves only the boards as read after it, of which there are none.
void record_delete(board_moves& moves, int number);
// The place now (from 0) of the board that was read at place `old` (from 0), or BOARD_GONE.
// A place beyond the boards as read belongs to none of them and keeps its number.
int board_now(const board_moves& moves, int old);
// Whether a board as read was deleted: only then do "Init" and "dces" need rewriting.
bool boards_deleted(const board_moves& moves);

// A parameter set as read from "par", made by the editor, or started fresh.
struct board_set {
  params_rec params;
  par_where lines;    // where each value stands in "par" (as read, or as last written)
  board_moves moves;  // where each board as read went since: remove_board records it
};

// Board parameters "par".

// Reads a parameter set from `in` into `set`, which starts empty (bus and mode unset),
// finding each board's type by name in the catalog; a board of unknown type is dropped.
// set.moves then holds each board read where it was read.
// The warnings are added to `warnings` in the order of the lines. False (errno set) when a
// read failed.
bool read_params(std::FILE* in, const catalog& cat, board_set& set, warning_list& warnings);
// Reads "par" of the package directory with read_params. A failure comes back as
// load_beside's, as "load_params"; the warnings are not printed.
error load_params(const program_files& at, const catalog& cat, board_set& set,
                  warning_list& warnings);
// Writes `set` to `f` in the format read_params reads back to the same set (an unset mode
// gets no mode line, a set without boards no bus line; a set with boards whose bus is
// unset gets "bus mc"). Returns where each value stands in what it wrote.
// REQUIRES: every board's type is a type of `cat`.
par_where write_params(std::FILE* f, const catalog& cat, const params_rec& set);
// The text write_params writes, and in `lines` where each value stands in it.
std::string params_text(const catalog& cat, const params_rec& set, par_where& lines);
// The path of "par" of the package directory and the text that is to replace it,
// set.params as write_params writes it; set.lines then tells where each value stands in it.
// The writing is the caller's (a change of the package), and its failures name
// "save_params". A path that cannot be formed comes back as make_path's failure.
error save_params(const program_files& at, const catalog& cat, board_set& set, std::string& path,
                  std::string& text);
// Lists the set on standard output, each board with its type's class label.
void print_params(const catalog& cat, const params_rec& set);
// Starts a fresh set from a command line: bus AT when argv[1] begins with "a" or "A",
// MC for any other argument, unset without one; no boards, mode unset.
board_set init_params(int argc, char** argv);

}  // namespace kdz
