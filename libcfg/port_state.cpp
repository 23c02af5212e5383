// Port numbering and the state carried over from the previous "Init" and "dces".
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fmt/format.h>

#include "libcfg/libcfg.h"
#include "libcfg/line_reader.h"

const char* const port_name = "0123456789abcdef";

namespace {

constexpr int LINE_SIZE = 256;  // a line of at most 255 characters, as fgets gives it
// Any port character but a decimal digit is taken as a lower-case hex letter: its code
// less this gives 10 for 'a' to 15 for 'f'.
constexpr int HEX_LETTER_BASE = 'a' - 10;

int port_value(unsigned char c) {
  return (c >= '0' && c <= '9') ? c - '0' : c - HEX_LETTER_BASE;
}

// True when positions first to first + 2 of the line all hold identifier characters:
// the line's text reaches past them and none of them is its newline or a NUL byte.
bool has_identifier(std::string_view line, std::size_t first) {
  const auto id_char = [](char c) { return c != '\0' && c != '\n'; };
  return line.size() >= first + 3 && id_char(line[first]) && id_char(line[first + 1]) &&
         id_char(line[first + 2]);
}

// The index of the identifier at `first`, or -1 when it is incomplete or its index falls
// outside the tables.
int index_at(std::string_view line, std::size_t first) {
  if (!has_identifier(line, first)) return -1;
  const auto* id = reinterpret_cast<const unsigned char*>(line.data() + first);
  return port_index(id[0], id[1], id[2]);
}

// "respawn" at positions 7 to 13, the text before it reaching that far without a NUL byte.
// Compared with sizes the compiler knows, unrolled: no library call or loop for each line.
bool is_respawn_line(std::string_view line) {
  if (line.size() < 14 || std::memcmp(line.data() + 7, "respawn", 7) != 0) return false;
  return line[0] != '\0' && line[1] != '\0' && line[2] != '\0' && line[3] != '\0' &&
         line[4] != '\0' && line[5] != '\0' && line[6] != '\0';
}

bool is_tty_line(std::string_view line) {
  return line.starts_with("tty");
}

// Clears `flags` (and `where`, when given), then sets the flag of the identifier at `first`
// of every line of `in` that `matches`, and its first line in `where`. Lines are read as
// fgets reads them into a buffer of LINE_SIZE bytes, and counted from 1 at their newlines,
// so a long line read in pieces is one line. False (errno set) when a read failed: the
// lines before it keep their flags. `matches` is a parameter of the template so that it is
// compiled into the loop, not called through a pointer for every line.
template <bool (*matches)(std::string_view)>
bool read_flags(std::array<std::uint8_t, PORT_SLOTS>& flags, std::array<int, PORT_SLOTS>* where,
                std::FILE* in, std::size_t first) {
  flags.fill(0);
  if (where != nullptr) where->fill(0);
  char spill[LINE_SIZE];
  line_reader lines(in);
  int number = 1;
  for (std::string_view line; !(line = read_piece(lines, spill, sizeof spill)).empty();) {
    const int index = matches(line) ? index_at(line, first) : -1;
    if (index >= 0) {
      flags[index] = 1;
      if (where != nullptr && (*where)[index] == 0) (*where)[index] = number;
    }
    if (line.back() == '\n') ++number;
  }
  if (lines.error == 0) return true;
  errno = lines.error;
  return false;
}

// One of the old files: the flags it sets, and how its lines are read into them.
struct old_file {
  const char* func;  // the loader's name in its messages
  std::array<std::uint8_t, PORT_SLOTS> port_state::*flags;
  std::array<int, PORT_SLOTS> port_state::*lines;  // where each flag was set, or null
  bool (*read)(std::FILE*, port_state&);
};
constexpr old_file old_init{"load_init", &port_state::enabled, nullptr, read_init_flags};
constexpr old_file old_dces_file{"load_dces", &port_state::is_dce, &port_state::dce_lines,
                                 read_dce_flags};

void clear(const old_file& file, port_state& ports) {
  (ports.*file.flags).fill(0);
  if (file.lines != nullptr) (ports.*file.lines).fill(0);
}

// Reads the old file at `path` into its flags, which are clear unless it was read whole. A
// directory is not a file of lines, whatever a read of it would give.
old_read read_old(const old_file& file, const char* path, port_state& ports) {
  clear(file, ports);
  input_fault fault = input_fault::none;
  const file_ptr f = open_unwaited(path, fault);
  if (fault == input_fault::cannot_open) {
    return errno == ENOENT ? old_read::missing : old_read::cannot_open;
  }
  struct stat st {};
  if (fault == input_fault::not_regular || fstat(fileno(f.get()), &st) != 0 ||
      S_ISDIR(st.st_mode)) {
    return old_read::not_regular;
  }
  if (file.read(f.get(), ports)) return old_read::read;
  const int error = errno;
  clear(file, ports);
  errno = error;
  return old_read::read_failed;
}

// read_old, reporting as `prog` an old file that exists but could not be read.
status load_old(const old_file& file, const char* prog, const char* path, port_state& ports) {
  switch (read_old(file, path, ports)) {
    case old_read::read:
      return status::ok;
    case old_read::missing:
      return status::missing;
    case old_read::cannot_open:
      report_fopen(prog, file.func, path);
      break;
    case old_read::not_regular:
      write_text(stderr, fmt::format("{}: {}: {} is not a regular file\n", prog, file.func, path));
      break;
    case old_read::read_failed:
      report_call(prog, file.func, "read", path);
      break;
  }
  return status::failed;
}

}  // namespace

int port_index(unsigned char group, unsigned char board, unsigned char port) {
  const int index =
      (group == 'A' ? UPPER_GROUP : 0) + SLOTS_PER_BOARD * (board - '0') + port_value(port);
  return (index >= 0 && index < PORT_SLOTS) ? index : -1;
}

bool read_init_flags(std::FILE* in, port_state& ports) {
  return read_flags<is_respawn_line>(ports.enabled, nullptr, in, 0);
}

bool read_dce_flags(std::FILE* in, port_state& ports) {
  return read_flags<is_tty_line>(ports.is_dce, &ports.dce_lines, in, 3);
}

status load_init(const char* prog, const char* path, port_state& ports) {
  return load_old(old_init, prog, path, ports);
}

status load_dces(const char* prog, const char* path, port_state& ports) {
  return load_old(old_dces_file, prog, path, ports);
}

old_read read_old_dces(const char* path, port_state& ports) {
  return read_old(old_dces_file, path, ports);
}
