// A change made whole: every file staged, the record written, then carried out from it; and
// what a writing run does first (finish a change a crash left, remove what killed runs left)
// or a reading run refuses.
#include "package/change.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "base/error.h"
#include "base/files.h"
#include "base/staging.h"
#include "package/change_steps.h"
#include "package/locks.h"

namespace kdz {

namespace {

// What a line of the record stands for: the file of the change, and whether it is its
// previous version.
struct line_owner {
  std::size_t file;
  bool old;
};

// Step (1), its first half, for every file: each failure kept in `failed`, at the file's
// place. Whether anything is to be done: a file that changes, or a failure to tell.
bool inspect_all(const program_files& at, const std::vector<change_file>& files,
                 std::vector<staged_file>& staged, error_list& failed) {
  staged.resize(files.size());
  failed.resize(files.size());
  bool any = false;
  for (std::size_t k = 0; k < files.size(); ++k) {
    failed[k] = inspect_one(at, files[k], staged[k]);
    any = any || staged[k].changes || !failed[k].ok();
  }
  return any;
}

// Step (1), its second half, for every file that changes and did not fail already: every
// failure told in the order of the files, every staging name removed after one.
bool stage_all(const std::vector<change_file>& files, std::vector<staged_file>& staged,
               error_list& failed, error_list& told) {
  for (std::size_t k = 0; k < files.size(); ++k) {
    if (staged[k].changes && failed[k].ok()) failed[k] = stage_one(files[k], staged[k]);
    if (!failed[k].ok()) told.push_back(std::move(failed[k]));
  }
  if (told.empty()) return true;
  for (staged_file& s : staged) drop_staged(s);
  return false;
}

// The lines of the record, in the order of step (3): each file, then its previous version.
std::vector<record_line> lines_of(const std::vector<staged_file>& staged,
                                  std::vector<line_owner>& owners) {
  std::vector<record_line> lines;
  lines.reserve(2 * staged.size());
  owners.reserve(2 * staged.size());
  for (std::size_t k = 0; k < staged.size(); ++k) {
    const staged_file& s = staged[k];
    if (s.next.empty()) continue;
    lines.push_back({&s.next, &s.dest});
    owners.push_back({k, false});
    if (s.old.empty()) continue;
    lines.push_back({&s.old, &s.old_dest});
    owners.push_back({k, true});
  }
  return lines;
}

// The files of a directory that takes no new file, rewritten in place: not whole.
void write_direct(const std::vector<change_file>& files, const std::vector<staged_file>& staged,
                  error_list& told) {
  for (std::size_t k = 0; k < staged.size(); ++k) {
    const staged_file& s = staged[k];
    if (!s.direct) continue;
    const bool old = files[k].keep_old && !write_in_place(s.old_dest, s.old_text);
    if (old || !write_in_place(s.dest, files[k].text)) {
      told.push_back(failed_call(files[k].func, "write", files[k].path + (old ? ".old" : "")));
    }
  }
}

// Steps (2) and (3) for what was staged.
void commit(const program_files& at, const std::vector<change_file>& files,
            std::vector<staged_file>& staged, error_list& told) {
  std::vector<line_owner> owners;
  const std::vector<record_line> lines = lines_of(staged, owners);
  if (!lines.empty()) {
    if (error e = write_record(at, lines); !e.ok()) {
      for (staged_file& s : staged) drop_staged(s);
      told.push_back(std::move(e));
      return;
    }
    const bool names_only =
        std::all_of(files.begin(), files.end(), [](const change_file& f) { return f.as_name; });
    std::size_t failed = 0;
    if (error e = carry_out_record(at, lines, names_only, nullptr, failed); !e.ok()) {
      const change_file& f = files[owners[failed].file];
      told.push_back(
          {e.kind, f.func, "write", f.path + (owners[failed].old ? ".old" : ""), e.number, {}});
      return;
    }
  }
  write_direct(files, staged, told);
}

}  // namespace

change_outcome make_change(const program_files& at, package_lock& lock,
                           const std::vector<change_file>& files) {
  change_outcome out;
  std::vector<staged_file> staged;
  error_list failed;
  if (!inspect_all(at, files, staged, failed)) return out;
  if (!lock.held()) {
    bool raced = false;
    if (error e = create_package_lock(at, lock, raced); !e.ok()) {
      out.told.push_back(std::move(e));
      return out;
    }
    out.stale = raced;
    if (raced) return out;
  }
  hold_signals();
  if (stage_all(files, staged, failed, out.told)) commit(at, files, staged, out.told);
  release_signals();
  return out;
}

void sweep_staging(const program_files& at) {
  DIR* d = ::opendir(at.dir.empty() ? "." : at.dir.c_str());
  if (d == nullptr) return;
  // One thread reads its own directory stream: readdir is safe, and readdir_r is obsolete.
  // cppcheck-suppress readdirCalled
  while (const dirent* e = ::readdir(d)) {
    if (staging_name(e->d_name)) ::unlinkat(dirfd(d), e->d_name, 0);
  }
  ::closedir(d);
}

error_list open_package(const program_files& at, package_lock& lock, bool names_only) {
  error_list told;
  if (error e = lock_package(at, lock); !e.ok()) {
    told.push_back(std::move(e));
    return told;
  }
  struct stat st {};
  if (::lstat(record_path(at).c_str(), &st) == 0) {
    bool raced = false;
    error e = lock.held() ? error{} : create_package_lock(at, lock, raced);
    std::string names;
    std::size_t failed = 0;
    if (e.ok()) e = finish_change(at, names_only, names, failed);
    if (!e.ok()) {
      told.push_back(std::move(e));
      return told;
    }
    if (!names.empty()) told.push_back(warning("finished an interrupted change: " + names));
  }
  if (lock.held()) sweep_staging(at);
  return told;
}

error refuse_pending(const program_files& at, const package_lock& lock) {
  struct stat st {};
  if (::lstat(record_path(at).c_str(), &st) != 0) return {};
  // A writer at work has a record for a moment: what is pending is what it leaves.
  if (!lock.held()) wait_for_writers(at);
  if (::lstat(record_path(at).c_str(), &st) != 0) return {};
  return failure(
      fmt::format("an interrupted change is pending in {}: the next buildc or editpar finishes it",
                  where_files_are(at)));
}

}  // namespace kdz
