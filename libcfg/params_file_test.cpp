// The writer of "par": the exact text, and that the reader gives back the same set.
#include <gtest/gtest.h>

#include <string>

#include "libcfg/libcfg.h"

namespace {

// What write_params writes for the current params.
std::string written() {
  char* text = nullptr;
  std::size_t size = 0;
  std::FILE* out = open_memstream(&text, &size);
  write_params(out);
  std::fclose(out);
  std::string s(text, size);
  std::free(text);
  return s;
}

void read_back(std::string text) {
  const file_ptr in(fmemopen(text.data(), text.size(), "r"));
  ASSERT_EQ(read_params(in.get()), &params);
}

// A saved set reads back to the same set, an unset mode (no mode line) and bus 0 included.
TEST(WriteParams, ReadsBackToTheSameSet) {
  const struct {
    std::uint8_t mode, bus;
    const char* head;
  } cases[] = {
      {1, 1, "mode interrupt\n\nbus at\n"}, {2, 2, "mode polling\nbus mc\n"}, {0, 0, "bus mc\n"}};
  btype_tags = {{{"Eight Port", 0}, {"big", 1}, {null, 0}}};
  for (const auto& c : cases) {
    params = {2, c.bus, c.mode, {}};
    params.boards[0] = {0, 8, 5, 0x300, 0xd8000};
    params.boards[1] = {1, 16, 65535, 0, 0xffffffff};
    const std::string text = written();
    EXPECT_EQ(text, "# Common Params...\n" + std::string(c.head) +
                        "# Per Board Params...\n\n# Board 1...\n\ttype \"Eight Port\"\n"
                        "\tsize 8\n\tirq  5\n\tioa  300\n\tdpa  d8000\n\n# Board 2...\n"
                        "\ttype \"big\"\n\tsize 16\n\tirq  65535\n\tioa  0\n\tdpa  ffffffff\n\n");
    params = {};
    testing::internal::CaptureStdout();
    read_back(text);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(params.mode, c.mode);
    // Written again, the set read back gives the same bytes: every field came back.
    EXPECT_EQ(written(), text);
  }
  btype_tags = {};
  params = {};
}

}  // namespace
