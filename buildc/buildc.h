// buildc: the generator run, the per-port state carried between runs, and the writers of
// the driver package.
#pragma once

#include <array>
#include <cstdint>

// One slot per terminal line: (128 for the upper group 'A', 0 for the lower group 'a')
// + 16 * board + port.
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

// Port index of a three-character identifier (group letter, board digit, port
// character), or -1 when it falls outside the table.
int port_index(unsigned char group, unsigned char board, unsigned char port);

// Loaders of the old state; a missing file leaves the flags clear.
void load_init(const char* prog, const char* path);
void load_dces(const char* prog, const char* path);

// Writers of the driver package; a writer that cannot open its file reports it.
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
