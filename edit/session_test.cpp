// The files of an editing session: when "par" counts as changed since it was read, and a save
// that cannot keep a previous version. The save itself is tried on the real program, in
// tests/editpar/process_test.cpp.
#include "edit/session.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "base/files.h"
#include "edit/edit_test_files.h"
#include "edit/editor.h"
#include "model/board_set.h"
#include "model/catalog.h"
#include "model/records.h"

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

std::string read_file(const fs::path& p) {
  std::ifstream in(p);
  return {std::istreambuf_iterator<char>(in), {}};
}

// A ".old" that cannot be made (a directory in its place), for each file of a save that
// deletes a board: the failure names it, and no file of the change is replaced.
TEST(SaveSession, AnOldThatCannotBeMadeReplacesNothing) {
  const scratch s;
  const catalog cat = edit_test::read_catalog(edit_test::catalog_text);
  const fs::path dir = s.top / "A";
  const std::string par =
      "mode interrupt\nbus at\ntype at8\nsize 16\nirq 5\nioa 300\n"
      "type at8\nsize 16\nirq 5\nioa 320\n";
  const std::string init = "a10:23:respawn:/etc/getty ttya10 9600\n", dces = "ttyA12\n";
  const struct {
    std::string blocked;
    const char* func;
  } cases[] = {{"par", "save_params"}, {"Init", "build_init"}, {"dces", "build_dces"}};
  for (const auto& c : cases) {
    fs::remove_all(dir);
    fs::create_directories(dir / (c.blocked + ".old") / "in");
    std::ofstream(dir / "par") << par;
    std::ofstream(dir / "Init") << init;
    std::ofstream(dir / "dces") << dces;
    board_set set{};
    warning_list warnings;
    par_as_read read;
    ASSERT_TRUE(load_par(s.in("A"), cat, set, warnings, read).ok());
    remove_board(set, 1);
    const error_list told = save_session(s.in("A"), cat, set, read);
    ASSERT_EQ(told.size(), 1u) << c.blocked;
    EXPECT_EQ(message(told[0]), std::string(c.func) + ": write(" + (dir / c.blocked).string() +
                                    ".old) Is a directory");
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
    EXPECT_EQ(names,
              (std::set<std::string>{"par", "Init", "dces", c.blocked + ".old", ".kdz-lock"}));
    EXPECT_EQ(read_file(dir / "par") + read_file(dir / "Init") + read_file(dir / "dces"),
              par + init + dces);
  }
}

}  // namespace

}  // namespace kdz
