// The generator on a full disk: a write that fails part way through any of its files leaves
// that file as it was (or absent), says so, leaves no temporary file, and the next run with
// room writes the lines the user switched on, carried over from the untouched old files.
#include <gtest/gtest.h>

#include <set>
#include <span>

#include "buildc/package.h"
#include "tests/golden.h"

namespace {

using namespace golden;

// The package files in the order the run writes them.
const std::span<const package_file> outputs = std::span(package_files).first(PKG_FILES);

TEST(FullDisk, EachFileStaysWhole) {
  // Old "Init" and "dces" with lines switched on and moved; no other old file.
  const fs::path src = fs::path(CASES_DIR) / "carried_over";
  for (const package_file& failing : outputs) {
    // The limit cuts this file's write one byte short, and every larger file's earlier.
    const long limit = static_cast<long>(fs::file_size(src / "out" / failing.name)) - 1;
    SCOPED_TRACE(std::string(failing.name) + " cut at " + std::to_string(limit));
    const fs::path top = scratch("full_disk");
    run_plan run_it;
    run_it.argv = {"./buildc"};
    run_it.cwd = top / "dir";
    run_it.exe = run_it.cwd / "buildc";
    run_it.out = top / "stdout";
    run_it.err = top / "stderr";
    run_it.file_size = limit;
    fs::copy(src / "in", run_it.cwd);
    fs::copy_file(BUILDC_PATH, run_it.exe);
    const tree before = snapshot(run_it.cwd);

    // A file that could not be written fails the run, which writes the others all the same.
    EXPECT_EQ(run(run_it), 1);
    std::string told;
    std::set<std::string> names;  // what was staged, and what the run wrote
    for (const auto& [name, e] : before) names.insert(name);
    for (const package_file& o : outputs) {
      const fs::path now = run_it.cwd / o.name;
      const std::string want = read_file(src / "out" / o.name);
      if (static_cast<long>(want.size()) > limit) {
        told += std::string("./buildc: ") + o.func + ": write(./" + o.name + ") File too large\n";
        const auto old = before.find(o.name);
        EXPECT_EQ(fs::exists(now), old != before.end()) << o.name;
        if (old != before.end()) {
          EXPECT_EQ(read_file(now), old->second.bytes) << o.name;
        }
      } else {
        EXPECT_EQ(read_file(now), want) << o.name;
        names.insert(o.name);
        if (before.count(o.name) != 0) names.insert(std::string(o.name) + ".old");
      }
    }
    // Then what the check finds in the set, as in the case itself.
    const std::string check_says = read_file(src / "stderr");
    EXPECT_EQ(read_file(top / "stderr"), told + check_says);
    std::set<std::string> left;  // no temporary file among them
    for (const auto& e : fs::directory_iterator(run_it.cwd)) {
      left.insert(e.path().filename().string());
    }
    EXPECT_EQ(left, names);

    run_it.file_size = -1;
    EXPECT_EQ(run(run_it), 0);
    EXPECT_EQ(read_file(top / "stderr"), check_says);
    const char* init = package_files[PKG_INIT].name;
    EXPECT_EQ(read_file(run_it.cwd / init), read_file(src / "out" / init));
    if (!HasFailure()) clean(top);
  }
}

}  // namespace
