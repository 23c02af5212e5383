#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "libcfg/libcfg.h"

namespace {

std::string read_par(const std::string& dir) {
  std::ifstream in(dir + "/par", std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A saved set reads back to the same set, an unset mode (no mode line) and bus 0 included.
TEST(SaveParams, ReadsBackToTheSameSet) {
  const struct {
    std::uint8_t mode, bus;
    const char* head;
  } cases[] = {
      {1, 1, "mode interrupt\n\nbus at\n"}, {2, 2, "mode polling\nbus mc\n"}, {0, 0, "bus mc\n"}};
  const std::string dir = testing::TempDir() + "par_" + std::to_string(getpid());
  const std::string prog = dir + "/prog";
  std::filesystem::create_directory(dir);
  btype_tags = {{{"Eight Port", 0}, {"big", 1}, {null, 0}}};
  for (const auto& c : cases) {
    params = {2, c.bus, c.mode, {}};
    params.boards[0] = {0, 8, 5, 0x300, 0xd8000};
    params.boards[1] = {1, 16, 65535, 0, 0xffffffff};
    ASSERT_EQ(save_params(prog.c_str()), 0);
    const std::string text = read_par(dir);
    EXPECT_EQ(text, "# Common Params...\n" + std::string(c.head) +
                        "# Per Board Params...\n\n# Board 1...\n\ttype \"Eight Port\"\n"
                        "\tsize 8\n\tirq  5\n\tioa  300\n\tdpa  d8000\n\n# Board 2...\n"
                        "\ttype \"big\"\n\tsize 16\n\tirq  65535\n\tioa  0\n\tdpa  ffffffff\n\n");
    params = {};
    testing::internal::CaptureStdout();
    ASSERT_EQ(load_params(prog.c_str()), &params);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(params.mode, c.mode);
    // Written again, the set read back gives the same bytes: every field came back.
    ASSERT_EQ(save_params(prog.c_str()), 0);
    EXPECT_EQ(read_par(dir), text);
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
