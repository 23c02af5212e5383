// The editors' lock: the directory it goes on. The lock itself is tried on the real
// program, in tests/editpar/process_test.cpp.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "base/files.h"
#include "package/locks.h"
#include "tests/support/files.h"

namespace kdz {

namespace fs = std::filesystem;

TEST(ParDirectory, TheDirectoryOfTheRealPar) {
  const fs::path top = support::scratch("locks");
  const std::string a = (top / "A").string(), b = (top / "B").string();
  const struct {
    const char* link;   // what B/par links to ("" for a plain file, null for none)
    std::string where;  // par_directory of B
  } cases[] = {
      {nullptr, b},                              // absent: where it will be created
      {"", b},                                   // a plain file
      {"../A/par", b + "/../A"},                 // a relative link, taken from B
      {"/nonexistent/x/par", "/nonexistent/x"},  // dangling: where it would be created
      {"hop", a},                                // a link to a link in B to A's file
  };
  support::write_file(top / "A" / "par", "mode interrupt\n");
  fs::create_directories(top / "B");
  fs::create_symlink(a + "/par", top / "B" / "hop");
  for (const auto& c : cases) {
    fs::remove(top / "B" / "par");
    if (c.link != nullptr && *c.link == '\0') support::write_file(top / "B" / "par", "x\n");
    if (c.link != nullptr && *c.link != '\0') fs::create_symlink(c.link, top / "B" / "par");
    EXPECT_EQ(par_directory(in_directory(b.c_str())), c.where) << (c.link ? c.link : "none");
  }
  EXPECT_EQ(par_directory(beside_program("editpar")), ".");
  support::clean(top);
}

}  // namespace kdz
