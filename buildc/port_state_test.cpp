#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "buildc/buildc.h"

namespace {

using loader = void (*)(const char*, const char*);

// The slots that `load` sets from an old file holding `text`.
std::vector<int> loaded(loader load, const std::string& text) {
  const auto path = std::filesystem::temp_directory_path() / ("state_" + std::to_string(getpid()));
  std::FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
  load("prog", path.c_str());
  std::filesystem::remove(path);
  const auto& flags = load == load_init ? enabled : is_dce;
  std::vector<int> set;
  for (int i = 0; i < PORT_SLOTS; ++i) {
    if (flags[i]) set.push_back(i);
  }
  return set;
}

// Odd identifiers and line pieces that the generator never writes; the golden cases
// cover the lines it does write.
TEST(LoadState, StaysWithinTheTable) {
  const std::string piece(255, 'x');  // fills one 256-byte read
  const struct {
    loader load;
    std::string text;
    std::vector<int> slots;
  } cases[] = {
      {load_init, "a70:23:respawn", {112}},  // last line without its newline
      {load_init, "a700:23:respawn\na7:23:respawn:x\na00:23:respaw\n", {}},
      {load_init, "B12:23:respawn\nA7f:23:respawn\n", {18, 255}},
      {load_init, "A8f:23:respawn\na1F:23:respawn\na/0:23:respawn\n", {}},  // beyond the table
      {load_init, "a9F:23:respawn\n", {127}},                               // 'F' counts as 70 - 87
      {load_init,
       "a0\xff:23:respawn\na/\xf0:23:respawn\nA\xff"
       "0:23:respawn\n",
       {137, 168}},
      {load_init,
       std::string("a0\0"
                   "0:23:respawn\n",
                   16),
       {}},                                           // NUL ends the text
      {load_init, piece + "a13:23:respawn\n", {19}},  // the rest of a long line is a line
      {load_init, "a13:23:respawn\na14\n", {19}},     // a short line after a longer one
      {load_init, "a13:23:respawn" + std::string(241, 'x') + "a14:23:respawn\n", {19, 20}},
      {load_dces, "tty\nttya\nttya2\nttya2\n7\nttya2", {}},  // incomplete identifiers
      {load_dces, "ttyA8f\nttyaF0\nttya\xff\xff\n ttya27\n", {}},
      {load_dces, "ttyA7f\nttya9F\nttya27 and more", {39, 127, 255}},
      {load_dces, piece + "ttya01\n", {1}},
  };
  for (const auto& c : cases) EXPECT_EQ(loaded(c.load, c.text), c.slots) << c.text;
}

TEST(LoadState, MissingFileClearsEveryFlag) {
  enabled.fill(1);
  is_dce.fill(1);
  load_init("prog", "/nonexistent/Init");
  load_dces("prog", "/nonexistent/dces");
  for (int i = 0; i < PORT_SLOTS; ++i) EXPECT_EQ(enabled[i] + is_dce[i], 0) << i;
}

}  // namespace
