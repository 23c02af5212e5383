// The editors' lock: the directory it goes on. The lock itself is tried on the real
// program, in tests/editpar/process_test.cpp.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "base/files.h"
#include "package/locks.h"

namespace kdz {

namespace {

namespace fs = std::filesystem;

// A scratch directory with two package directories, A and B, removed at the end.
struct scratch {
  fs::path top = fs::temp_directory_path() / ("locks_" + std::to_string(getpid()));
  scratch() {
    fs::remove_all(top);
    fs::create_directories(top / "A");
    fs::create_directories(top / "B");
  }
  ~scratch() { fs::remove_all(top); }
  program_files in(const char* dir) const { return in_directory((top / dir).c_str()); }
};

TEST(ParDirectory, TheDirectoryOfTheRealPar) {
  const scratch s;
  const std::string a = (s.top / "A").string(), b = (s.top / "B").string();
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
  std::ofstream(s.top / "A" / "par") << "mode interrupt\n";
  fs::create_symlink(a + "/par", s.top / "B" / "hop");
  for (const auto& c : cases) {
    fs::remove(s.top / "B" / "par");
    if (c.link != nullptr && *c.link == '\0') std::ofstream(s.top / "B" / "par") << "x\n";
    if (c.link != nullptr && *c.link != '\0') fs::create_symlink(c.link, s.top / "B" / "par");
    EXPECT_EQ(par_directory(s.in("B")), c.where) << (c.link ? c.link : "none");
  }
  EXPECT_EQ(par_directory(beside_program("editpar")), ".");
}

}  // namespace

}  // namespace kdz
