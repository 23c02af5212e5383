// What the tests do with files: read and write them whole, a scratch directory per test,
// a package directory staged from another, and a snapshot of what lies under a directory.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <map>
#include <string>

namespace support {

namespace fs = std::filesystem;

// The bytes of a file, or `absent` when it cannot be read.
std::string read_file(const fs::path& path, const std::string& absent = "");
// Makes `path` hold `bytes`, its directory made first.
void write_file(const fs::path& path, const std::string& bytes);
// A scratch directory of this process for the case `name`, made empty.
fs::path scratch(const std::string& name);
// Removes a scratch directory, whatever the permission bits a case left on it.
void clean(const fs::path& dir);
// A package directory `dir`, made afresh, holding `from`'s files (a case's in/, the sample).
void stage(const fs::path& from, const fs::path& dir);

// What lies under a directory: each entry's kind ('f' file, 'd', 'l' link, 'p' FIFO),
// permission bits, owner, modification time and, for a file, its bytes.
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
// Every entry under `dir`, by its path relative to `dir` (none when there is no `dir`);
// symbolic links are not followed.
tree snapshot(const fs::path& dir);
// Sets the modification time of every file under `dir` to one in the past, so that a file
// rewritten by the run shows it.
void age(const fs::path& dir);

}  // namespace support
