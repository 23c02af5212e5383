// The files of an editing session: when "par" counts as changed since it was read. The save
// itself is tried on the real program, in tests/editpar/process_test.cpp and the case
// folders (a previous version that cannot be kept: script_delete_*_old_blocked).
#include "edit/session.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "base/files.h"
#include "edit/editor.h"
#include "model/board_set.h"
#include "model/catalog.h"
#include "model/records.h"
#include "tests/support/edit_test_files.h"

namespace kdz {

namespace {

namespace fs = std::filesystem;

// A scratch package directory A, removed at the end.
struct scratch {
  fs::path top = fs::temp_directory_path() / ("edit_session_" + std::to_string(getpid()));
  scratch() {
    fs::remove_all(top);
    fs::create_directories(top / "A");
  }
  ~scratch() { fs::remove_all(top); }
  program_files in(const char* dir) const { return in_directory((top / dir).c_str()); }
};

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
      ASSERT_TRUE(load_par(s.in("A"), cat, set, warnings, read).ok()) << c.what;
      EXPECT_EQ(read.bytes, text) << c.what;
      EXPECT_EQ(set.params.boards[0].ioa, 0x300) << c.what;
    }
    c.meanwhile(par);
    EXPECT_EQ(par_unchanged(s.in("A"), read), c.unchanged) << c.what;
  }
}

}  // namespace

}  // namespace kdz
