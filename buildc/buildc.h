// buildc: the generator run and the writers of the driver package.
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

// One "Init" line: letter, board, port, action, then letter, board, port again.
inline constexpr char init_format[] = "%c%01d%c:23:%s:/etc/getty tty%c%01d%c 9600\n";
// One tty line of "Node": package, letter, board, port, minor.
inline constexpr char node_format[] = "%s\ttty%c%01d%c\tc\t%d\n";

// The type of a board of the generated set.
inline const btype_rec& type_of(const board_rec& b) {
  return cp->types[b.type];
}

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
