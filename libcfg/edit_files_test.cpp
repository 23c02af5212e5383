// The files of an editing session: where the editors' lock goes, and when "par" counts
// as changed since it was read. The lock and the save themselves are tried on the real
// program, in tests/editpar/process_test.cpp.
#include "libcfg/edit_files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "libcfg/edit_test_files.h"

namespace {

namespace fs = std::filesystem;

// A scratch directory with two package directories, A and B, removed at the end.
struct scratch {
  fs::path top = fs::temp_directory_path() / ("edit_files_" + std::to_string(getpid()));
  scratch() {
    fs::remove_all(top);
    fs::create_directories(top / "A");
    fs::create_directories(top / "B");
  }
  ~scratch() { fs::remove_all(top); }
  program_files in(const char* dir) const { return in_directory("editpar", (top / dir).c_str()); }
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

TEST(ParUnchanged, OnlyTheFileThatWasRead) {
  const scratch s;
  const catalog cat = edit_test::read_catalog(edit_test::catalog_text);
  const fs::path par = s.top / "A" / "par";
  const std::string text = "mode interrupt\nbus at\ntype at8\nsize 16\nirq 5\nioa 300\n";
  const struct {
    const char* what;
    bool exists;  // "par" when the session reads it
    void (*meanwhile)(const fs::path&);
    bool unchanged;
  } cases[] = {
      {"untouched", true, [](const fs::path&) {}, true},
      {"absent and still absent", false, [](const fs::path&) {}, true},
      {"created meanwhile", false, [](const fs::path& p) { std::ofstream(p) << "x\n"; }, false},
      {"removed", true, [](const fs::path& p) { fs::remove(p); }, false},
      {"same bytes, another file", true,
       [](const fs::path& p) {
         fs::copy_file(p, p.string() + ".tmp");
         fs::rename(p.string() + ".tmp", p);
       },
       false},
      {"same length, other bytes in place", true,
       [](const fs::path& p) {
         std::fstream f(p, std::ios::in | std::ios::out);
         f.seekp(-2, std::ios::end);
         f << "7\n";
       },
       false},
  };
  for (const auto& c : cases) {
    fs::remove(par);
    if (c.exists) std::ofstream(par) << text;
    board_set set{};
    warning_list warnings;
    par_as_read read;
    if (c.exists) {
      ASSERT_EQ(load_par(s.in("A"), cat, set, warnings, read), status::ok) << c.what;
      EXPECT_EQ(read.bytes, text) << c.what;
      EXPECT_EQ(set.params.boards[0].ioa, 0x300) << c.what;
    }
    c.meanwhile(par);
    EXPECT_EQ(par_unchanged(s.in("A"), read), c.unchanged) << c.what;
  }
}

}  // namespace
