// buildc: the generator run, the per-port state carried between runs, and the writers of
// the driver package.
//
// Every loader and writer here takes the program name, for its messages, and the path of
// its file as the run formed it. The writers read the catalog and the boards only through
// `cp` and `pp`: they REQUIRE that the run has set both.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>

#include "libcfg/libcfg.h"

class out_file;

// Port numbering: one slot per terminal line, (128 for the upper group 'A', 0 for the
// lower group 'a') + 16 * board + port.
constexpr int PORT_SLOTS = 256;
constexpr int UPPER_GROUP = 128;
constexpr int SLOTS_PER_BOARD = 16;  // a board owns 16 slots of each group

// Port characters: the character of port p is port_name[p].
extern const char* const port_name;
// One "Init" line: letter, board, port, action, then letter, board, port again.
inline constexpr char init_format[] = "%c%01d%c:23:%s:/etc/getty tty%c%01d%c 9600\n";
// One tty line of "Node": package, letter, board, port, minor.
inline constexpr char node_format[] = "%s\ttty%c%01d%c\tc\t%d\n";

// 1 where the old "Init" had "respawn", and where the old "dces" listed the line.
extern std::array<std::uint8_t, PORT_SLOTS> enabled;
extern std::array<std::uint8_t, PORT_SLOTS> is_dce;

// The type of a board of the generated set.
inline const btype_rec& type_of(const board_rec& b) {
  return cp->types[b.type];
}

// The port index of a three-character identifier (group letter, board digit, port
// character), or -1 when it falls outside the tables.
int port_index(unsigned char group, unsigned char board, unsigned char port);

// Clears `enabled`, then sets the flag of every line of `in` that has "respawn" at
// positions 7 to 13, for the identifier at positions 0 to 2.
void read_init_flags(std::FILE* in);
// Clears `is_dce`, then sets the flag of every line of `in` that begins with "tty", for
// the identifier at positions 3 to 5.
void read_dce_flags(std::FILE* in);
// Read the old "Init" and "dces" at `path` into the flags; a file that cannot be opened,
// or is not a regular file, leaves them clear, silently.
void load_init(const char* prog, const char* path);
void load_dces(const char* prog, const char* path);

// The writers' text: each prints its whole file into `f`.
void write_space(out_file& f);    // "kdzspc.h": the #define lines
void write_sdevice(out_file& f);  // "System": one line per board, windows merged into ranges
void write_init(out_file& f);     // "Init": two getty lines per port. REQUIRES: load_init.
void write_dces(out_file& f);     // "dces": DCE lines. REQUIRES: load_dces.
void write_dtes(out_file& f);     // "dtes": DTE lines. REQUIRES: load_dces.
void write_node(out_file& f);     // "Node": the package node, three per port. REQUIRES: load_dces.

// Replace the file at `path` by their text (replace_file); what fails is reported on
// standard error under the writer's name. "Init" and "dces" keep their previous version as
// "Init.old" and "dces.old" and reach the disk before they take their place.
void build_space(const char* prog, const char* path);
void build_sdevice(const char* prog, const char* path);
void build_init(const char* prog, const char* path);
void build_dces(const char* prog, const char* path);
void build_dtes(const char* prog, const char* path);
void build_node(const char* prog, const char* path);

// Loads "cfg" and "par" from the directory of `prog` and writes the driver package
// beside them. Returns the exit status: 1 when the catalog, the parameters or a path
// cannot be had, 0 otherwise.
int run(const char* prog);
