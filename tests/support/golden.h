// What the case folders of the end-to-end drivers share: the folders and their expected
// files, the faults a case sets up ("setup"), and what no run may change.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "tests/support/files.h"
#include "tests/support/process.h"

namespace support {

// Whether the run rewrites the expected files instead of comparing (KDZ_REGEN_GOLDEN=1, as
// scripts/regen-golden.sh sets it): a deliberate output change is then one command and a
// reviewed diff.
bool regenerating();
// Expects `actual` to be the bytes of the expected file `path` (`absent` when it does not
// exist); when regenerating, writes `actual` there instead (a file left out because it
// would hold `absent` stays left out).
void expect_file(const std::string& actual, const fs::path& path, const std::string& absent = "");
// `text` with every mention of the directory `top` (as realpath gives it) written "TOP", so
// that a message naming where a program looked reads the same in every scratch directory.
std::string masked(std::string text, const fs::path& top);
// The words of `text`, split at blanks and line ends.
std::vector<std::string> words_of(const std::string& text);

// Applies a case's "setup" to the staged directory `stage` and to the run, one directive a
// line ('#' begins a comment):
//   user nobody         the run, and every file staged so far, belong to user 65534
//   fsize N             the run may write files of N bytes at most (a full disk)
//   mkdir NAME | fifo NAME | symlink NAME TARGET | link NAME EXISTING | chmod MODE NAME
//   chown NAME          NAME belongs to user 65534 (when the tests run as root)
//   stdout PATH         the run's standard output goes to PATH (such as /dev/full)
//   no_locks            the program is the one built for a file system without locks
//   unnamed             the program is started without even a program name
// Returns false, after a test failure, for a directive it does not know.
bool set_up(const std::string& setup, const fs::path& stage, run_plan& plan);

// A case folder `src` ready to run in the scratch directory `top`: its in/ staged where the
// first call's program lies (top/cwd for "./NAME", where every call runs), each program a
// call names copied there (editpar when the name ends so, buildc otherwise; their builds
// without locks under "no_locks"), "answers" the input, its setup applied, every file aged.
// The calls are the lines of "calls", else the line of "args", else "./" and the name of the
// folder holding the case.
struct staged_case {
  run_plan plan;
  fs::path stage;
  std::vector<std::string> calls;
};
bool stage_case(const fs::path& src, const fs::path& top, staged_case& c);
// What the calls printed, one after the other, their statuses one a line, and the last.
struct case_result {
  std::string out, err, statuses;
  int last = 0;
};
case_result run_calls(staged_case& c);

// Whether the entry `name` (a path relative to a staged directory) is a package's writers'
// lock file, which a run that changes a file there may make.
bool lock_file(const std::string& name);
// The names a writing run that ended with `status` leaves beside the expected files: from
// `before`, what a killed run left (a staging name or a change record) goes when it
// succeeded; the lock file, when `after` has it, appears only for a run that changed a file
// or failed. Adds them to `want`, and a test failure for a lock file made by a run that
// changed nothing.
void expect_run_leftovers(const tree& before, const tree& after, int status,
                          std::set<std::string>& want);
// What a run did that no run may do: an entry of another kind; a file that kept its bytes
// but not its modification time; a file with other permission bits or another owner; a
// new file whose bits are not those fopen gives under umask 022 (0644; a ".old" copy those
// of its file).
std::vector<std::string> broken_promises(const tree& before, const tree& after);

}  // namespace support
