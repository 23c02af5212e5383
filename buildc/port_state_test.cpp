#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "buildc/buildc.h"

namespace {

namespace fs = std::filesystem;

// The slots that a loader sets for an old file holding `text`.
std::vector<int> loaded(void (*loader)(const char*, const char*),
                        const std::array<std::uint8_t, PORT_SLOTS>& flags,
                        const std::string& text) {
  const fs::path path = fs::temp_directory_path() / ("port_state_" + std::to_string(getpid()));
  std::FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
  loader("prog", path.c_str());
  fs::remove(path);
  std::vector<int> set;
  for (int i = 0; i < PORT_SLOTS; ++i) {
    EXPECT_LE(flags[i], 1) << "slot " << i;
    if (flags[i]) set.push_back(i);
  }
  return set;
}

using V = std::vector<int>;
const std::string long_piece(255, 'x');  // fills one 256-byte read, newline excluded

TEST(LoadInit, SetsRespawnLinesWithinTheTable) {
  const struct {
    std::string text;
    V slots;
  } cases[] = {
      {"A13:23:respawn:/etc/getty ttyA13 9600\n", {147}},
      {"a0f:23:respawn:/etc/getty ttya0f 9600\na0e:23:off:/etc/getty ttya0e 9600\n", {15}},
      {"a70:23:respawn\n", {112}},
      {"a70:23:respawn", {112}},  // last line without its newline
      {"a70:23:respawn:x\n", {112}},
      {"a700:23:respawn\n", {}},  // action not at position 7
      {"a7:23:respawn:x\n", {}},
      {"a00:23:respaw\n\n  \n", {}},   // shorter than 14 characters
      {"B12:23:respawn\n", {18}},      // any letter but 'A' is the lower group
      {"A7f:23:respawn\n", {255}},     // the last slot
      {"A8f:23:respawn\n", {}},        // 128 + 128 + 15: beyond the table
      {"a9F:23:respawn\n", {127}},     // 'F' counts as 70 - 87 = -17
      {"a1F:23:respawn\n", {}},        // 16 - 17 is below the table
      {"a0\xff:23:respawn\n", {168}},  // byte 255 as port: 255 - 87
      {"A\xff"
       "0:23:respawn\n",
       {}},                            // byte 255 as board digit
      {"a/0:23:respawn\n", {}},        // board -1
      {"a/\xf0:23:respawn\n", {137}},  // -16 + 153
      {std::string("a0\0"
                   "0:23:respawn\n",
                   16),
       {}},                                     // NUL ends the line's text
      {long_piece + "a13:23:respawn\n", {19}},  // the rest of a long line is a line
      {"a13:23:respawn" + std::string(241, 'x') + "a14:23:respawn\n", {19, 20}},
  };
  for (const auto& c : cases) EXPECT_EQ(loaded(load_init, enabled, c.text), c.slots) << c.text;
}

TEST(LoadDces, SetsTtyLinesWithinTheTable) {
  const struct {
    std::string text;
    V slots;
  } cases[] = {
      {"ttya27\nttyA00\nttpa00\n", {39, 128}},
      {"ttyA7f\nttyA8f\nttya9F\nttyaF0\n", {127, 255}},
      {"tty\nttya\nttya2\nttya2", {}},  // incomplete identifiers
      {"ttya2\n7\n", {}},               // the newline stands at position 5
      {"ttya27", {39}},
      {"ttya27 and more\n", {39}},
      {" ttya27\n", {}},
      {"ttya\xff\xff\n", {}},
      {long_piece + "ttya01\n", {1}},
  };
  for (const auto& c : cases) EXPECT_EQ(loaded(load_dces, is_dce, c.text), c.slots) << c.text;
}

TEST(LoadState, MissingFileClearsEveryFlag) {
  enabled.fill(1);
  is_dce.fill(1);
  load_init("prog", "/nonexistent/Init");
  load_dces("prog", "/nonexistent/dces");
  for (int i = 0; i < PORT_SLOTS; ++i) {
    EXPECT_EQ(enabled[i], 0);
    EXPECT_EQ(is_dce[i], 0);
  }
}

}  // namespace
