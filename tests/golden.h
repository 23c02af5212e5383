// What the end-to-end drivers share: the case folders, their files, the faults a case sets
// up, a run of a real program as a user starts it, and what a run may not change.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace golden {

namespace fs = std::filesystem;

// The bytes of a file, or `absent` when it cannot be read.
std::string read_file(const fs::path& path, const std::string& absent = "");
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
// The names of the case folders in `dir`, sorted.
std::vector<std::string> case_names(const fs::path& dir);
// The words of `text`, split at blanks and line ends.
std::vector<std::string> words_of(const std::string& text);
// A scratch directory of this process for the case `name`, made empty.
fs::path scratch(const std::string& name);
// Removes a scratch directory, whatever the permission bits a case left on it.
void clean(const fs::path& dir);

struct run_plan {
  fs::path exe;                   // the program
  std::vector<std::string> argv;  // its command line, argv[0] included
  fs::path cwd;                   // where it runs
  fs::path in = "/dev/null";      // standard input
  fs::path out, err;              // standard output and error go to these files
  unsigned seconds = 20;          // a run that takes longer is killed
  long file_size = -1;            // the file size limit (RLIMIT_FSIZE), when not -1
  bool as_nobody = false;         // run as user and group 65534 (when the tests run as root)
};

// Reads `fd` (a pipe or a terminal) until `text` shows after `from` in `seen`, which gathers
// what was read; then moves `from` past it. False after 5 s of silence or at the end.
bool wait_for(int fd, std::string& seen, std::size_t& from, const std::string& text);
// Runs the program with umask 022; returns its exit status, or -1 when it did not exit by
// itself.
int run(const run_plan& plan);

// Applies a case's "setup" to the staged directory `stage` and to the run, one directive a
// line ('#' begins a comment):
//   user nobody         the run, and every file staged so far, belong to user 65534
//   fsize N             the run may write files of N bytes at most (a full disk)
//   mkdir NAME | fifo NAME | symlink NAME TARGET | link NAME EXISTING | chmod MODE NAME
//   chown NAME          NAME belongs to user 65534 (when the tests run as root)
//   stdout PATH         the run's standard output goes to PATH (such as /dev/full)
// Returns false, after a test failure, for a directive it does not know.
bool set_up(const std::string& setup, const fs::path& stage, run_plan& plan);

// What lies under a directory: each entry's kind ('f' file, 'd', 'l' link, 'p' FIFO),
// permission bits, modification time and, for a file, its bytes.
struct entry {
  char kind;
  mode_t mode;
  uid_t uid;
  gid_t gid;
  long long mtime_ns;
  std::string bytes;
  bool operator==(const entry&) const = default;
};
using tree = std::map<std::string, entry>;
// Every entry under `dir`, by its path relative to `dir`; symbolic links are not followed.
tree snapshot(const fs::path& dir);
// Sets the modification time of every file under `dir` to one in the past, so that a file
// rewritten by the run shows it.
void age(const fs::path& dir);
// Whether the entry `name` (a path relative to a staged directory) is a package's writers'
// lock file, which a run that changes a file there may make.
bool lock_file(const std::string& name);
// Whether the entry `name` is what a killed run leaves: a staging name or a change record,
// gone after a writing run that succeeds.
bool left_by_killed_run(const std::string& name);
// The names a writing run that ended with `status` leaves beside the expected files: from
// `before`, what a killed run left goes when it succeeded; the lock file, when `after` has
// it, appears only for a run that changed a file or failed. Adds them to `want`, and a test
// failure for a lock file made by a run that changed nothing.
void expect_run_leftovers(const tree& before, const tree& after, int status,
                          std::set<std::string>& want);
// What a run did that no run may do: an entry of another kind; a file that kept its bytes
// but not its modification time; a file with other permission bits or another owner; a
// new file whose bits are not those fopen gives under umask 022 (0644; a ".old" copy those
// of its file).
std::vector<std::string> broken_promises(const tree& before, const tree& after);

}  // namespace golden
