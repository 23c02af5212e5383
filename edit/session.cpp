// The files of an editing session: "par" as read, and the save that never overwrites a
// "par" someone else replaced meanwhile.
#include "edit/session.h"

#include <sys/stat.h>

#include <array>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <string>

#include <fmt/format.h>

#include "base/files.h"
#include "base/replace_file.h"
#include "model/board_set.h"
#include "model/catalog.h"
#include "model/records.h"
#include "package/locks.h"
#include "package/package_files.h"

namespace kdz {

namespace {

// The bytes of `f` from where it stands to its end; false (errno set) when a read fails.
bool read_rest(std::FILE* f, std::string& bytes) {
  char block[8192];
  for (std::size_t n; (n = std::fread(block, 1, sizeof block, f)) != 0;) bytes.append(block, n);
  return std::ferror(f) == 0;
}

// Saves the set as "par.new" beside "par", for the user to compare with the "par" that
// took the place of the one read.
save_end save_aside(const program_files& at, const catalog& cat, const board_set& set) {
  const path_ptr path(make_path(at, "par.new"));
  par_where lines{};
  if (path == nullptr) return save_end::failed;
  const std::string text = params_text(cat, set.params, lines);
  if (replace_file(at.prog, "save_params", path.get(), text, SYNC) != status::ok) {
    return save_end::failed;
  }
  std::fputs(
      fmt::format("{}: par changed since it was read: your version is in {}\n", at.prog, path.get())
          .c_str(),
      stderr);
  return save_end::aside;
}

// "par", then each file of the package table at 1 + its row: each replacement made ready,
// then placed in this order.
using save_group = std::array<staged_file, 1 + PKG_FILES>;

// Reads the package file `f` into `text`, where it exists (`exists`). False after a failure
// to read it (reported).
bool read_port_file(const program_files& at, const package_file& f, bool& exists,
                    std::string& text) {
  const path_ptr path(make_path(at, f.name));
  struct stat st {};
  if (path == nullptr) return false;
  exists = ::stat(path.get(), &st) == 0 || errno != ENOENT;
  if (!exists) return true;
  const auto read = [&](std::FILE* in) { return read_rest(in, text); };
  return load_beside(at, f.name, f.func, read) == status::ok;
}

// Stages the text of the package file `f` that follows `moves`, where it exists. False
// after a failure to read or stage it (reported).
bool stage_port_file(const program_files& at, const package_file& f, const board_moves& moves,
                     staged_file& staged) {
  bool exists = false;
  std::string text;
  if (!read_port_file(at, f, exists, text)) return false;
  if (!exists) return true;
  const path_ptr path(make_path(at, f.name));
  return path != nullptr && stage_file(at.prog, f.func, path.get(), f.move(text, moves), f.flags,
                                       staged) == status::ok;
}

// Stages "par" and, after deletions, the files that follow the boards. False after a
// failure (reported).
bool stage_group(const program_files& at, const catalog& cat, board_set& set, save_group& group) {
  if (save_params(at, cat, set, group[0]) != status::ok) return false;
  if (!boards_deleted(set.moves)) return true;
  for (std::size_t k = 1; k < group.size(); ++k) {
    const package_file& f = package_files[k - 1];
    if (f.move != nullptr && !stage_port_file(at, f, set.moves, group[k])) return false;
  }
  return true;
}

}  // namespace

status load_par(const program_files& at, const catalog& cat, board_set& set, warning_list& warnings,
                par_as_read& read) {
  read = {};
  const auto parse = [&](std::FILE* f) {
    struct stat st {};
    if (fstat(fileno(f), &st) != 0 || !read_rest(f, read.bytes)) return false;
    read.existed = true;
    read.dev = st.st_dev;
    read.ino = st.st_ino;
    // Parsed from the bytes kept, so that what is compared at saving is what was read.
    const file_ptr text(fmemopen(read.bytes.data(), read.bytes.size(), "r"));
    return text != nullptr && read_params(text.get(), cat, set, warnings);
  };
  return load_beside(at, "par", "load_params", parse);
}

bool par_unchanged(const program_files& at, const par_as_read& read) {
  const path_ptr path(make_path(at, "par"));
  if (path == nullptr) return false;
  struct stat st {};
  if (::stat(path.get(), &st) != 0) return errno == ENOENT && !read.existed;
  if (!read.existed || st.st_dev != read.dev || st.st_ino != read.ino) return false;
  return file_holds(path.get(), read.bytes);
}

save_end save_session(const program_files& at, const catalog& cat, board_set& set,
                      const par_as_read& read) {
  const package_lock writers(at);
  if (!par_unchanged(at, read)) return save_aside(at, cat, set);
  save_group group;
  if (!stage_group(at, cat, set, group)) return save_end::failed;
  // Without the new "par", "Init" and "dces" renumbered would not follow it; once it is
  // placed, each of them placed is one less file out of step with it.
  if (place_file(group[0]) != status::ok) return save_end::failed;
  bool placed = true;
  for (std::size_t k = 1; k < group.size(); ++k) {
    placed = place_file(group[k]) == status::ok && placed;
  }
  return placed ? save_end::saved : save_end::failed;
}

bool preview_session(const program_files& at, const catalog& cat, board_set& set,
                     const par_as_read& read, std::vector<file_preview>& files) {
  files.push_back({"par", read.bytes, params_text(cat, set.params, set.lines)});
  if (!boards_deleted(set.moves)) return true;
  for (const package_file* f = package_files.data(); f->name != nullptr; ++f) {
    bool exists = false;
    std::string text;
    if (f->move == nullptr) continue;
    if (!read_port_file(at, *f, exists, text)) return false;
    if (exists) files.push_back({f->name, text, f->move(text, set.moves)});
  }
  return true;
}

}  // namespace kdz
