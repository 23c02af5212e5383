// The files of an editing session: when "par" counts as changed since it was read. The save
// itself is tried on the real program, in tests/editpar/process_test.cpp and the case
// folders (a previous version that cannot be kept: script_delete_*_old_blocked).
#include "edit/session.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/edit_test_files.h"
#include "tests/support/files.h"

namespace kdz {

namespace fs = std::filesystem;

TEST(ParUnchanged, OnlyTheFileThatWasRead) {
  const fs::path dir = support::scratch("session");
  const catalog cat = edit_test::read_catalog(edit_test::catalog_text);
  const fs::path par = dir / "par";
  const std::string text = "mode interrupt\nbus at\ntype at8\nsize 16\nirq 5\nioa 300\n";
  const struct {
    const char* what;
    bool exists;  // "par" when the session reads it
    void (*meanwhile)(const fs::path&);
    bool unchanged;
  } cases[] = {
      {"untouched", true, [](const fs::path&) {}, true},
      {"absent and still absent", false, [](const fs::path&) {}, true},
      {"created meanwhile", false, [](const fs::path& p) { support::write_file(p, "x\n"); }, false},
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
    if (c.exists) support::write_file(par, text);
    board_set set{};
    warning_list warnings;
    par_as_read read;
    if (c.exists) {
      ASSERT_TRUE(load_par(in_directory(dir.c_str()), cat, set, warnings, read).ok()) << c.what;
    }
    c.meanwhile(par);
    EXPECT_EQ(par_unchanged(in_directory(dir.c_str()), read), c.unchanged) << c.what;
  }
  support::clean(dir);
}

}  // namespace kdz
