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
// took the place of the one read. Even when that works, the set is not saved.
error save_aside(const program_files& at, const catalog& cat, const board_set& set) {
  path_ptr path;
  if (error e = make_path(at, "par.new", path); !e.ok()) return e;
  par_where lines{};
  const std::string text = params_text(cat, set.params, lines);
  if (error e = replace_file("save_params", path.get(), text, SYNC); !e.ok()) return e;
  error aside =
      failure(fmt::format("par changed since it was read: your version is in {}", path.get()));
  aside.path = path.get();
  return aside;
}

// "par", then each file of the package table at 1 + its row: each replacement made ready,
// then placed in this order.
using save_group = std::array<staged_file, 1 + PKG_FILES>;

// Reads the package file `f` into `text`, where it exists (`exists`).
error read_port_file(const program_files& at, const package_file& f, bool& exists,
                     std::string& text) {
  path_ptr path;
  if (error e = make_path(at, f.name, path); !e.ok()) return e;
  struct stat st {};
  exists = ::stat(path.get(), &st) == 0 || errno != ENOENT;
  if (!exists) return {};
  const auto read = [&](std::FILE* in) { return read_rest(in, text); };
  return load_beside(at, f.name, f.func, read);
}

// Stages the text of the package file `f` that follows `moves`, where it exists.
error stage_port_file(const program_files& at, const package_file& f, const board_moves& moves,
                      staged_file& staged) {
  bool exists = false;
  std::string text;
  if (error e = read_port_file(at, f, exists, text); !e.ok() || !exists) return e;
  path_ptr path;
  if (error e = make_path(at, f.name, path); !e.ok()) return e;
  return stage_file(f.func, path.get(), f.move(text, moves), f.flags, staged);
}

// Stages "par" and, after deletions, the files that follow the boards; the first failure
// ends it.
error stage_group(const program_files& at, const catalog& cat, board_set& set, save_group& group) {
  if (error e = save_params(at, cat, set, group[0]); !e.ok()) return e;
  if (!boards_deleted(set.moves)) return {};
  for (std::size_t k = 1; k < group.size(); ++k) {
    const package_file& f = package_files[k - 1];
    if (f.move == nullptr) continue;
    if (error e = stage_port_file(at, f, set.moves, group[k]); !e.ok()) return e;
  }
  return {};
}

}  // namespace

error load_par(const program_files& at, const catalog& cat, board_set& set, warning_list& warnings,
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
  path_ptr path;
  if (!make_path(at, "par", path).ok()) return false;
  struct stat st {};
  if (::stat(path.get(), &st) != 0) return errno == ENOENT && !read.existed;
  if (!read.existed || st.st_dev != read.dev || st.st_ino != read.ino) return false;
  return file_holds(path.get(), read.bytes);
}

error_list save_session(const program_files& at, const catalog& cat, board_set& set,
                        const par_as_read& read) {
  package_lock writers;
  error_list told;
  // A lock that cannot be had is no lock, as on a file system without locks: the save goes
  // on, and the reason is only a warning.
  if (error e = lock_package(at, writers); !e.ok()) {
    e.kind = error_kind::warning;
    told.push_back(std::move(e));
  }
  save_group group;
  error first =
      par_unchanged(at, read) ? stage_group(at, cat, set, group) : save_aside(at, cat, set);
  // Without the new "par", "Init" and "dces" renumbered would not follow it; once it is
  // placed, each of them placed is one less file out of step with it.
  if (first.ok()) first = place_file(group[0]);
  if (!first.ok()) {
    told.push_back(std::move(first));
    return told;
  }
  for (std::size_t k = 1; k < group.size(); ++k) {
    if (error e = place_file(group[k]); !e.ok()) told.push_back(std::move(e));
  }
  return told;
}

error preview_session(const program_files& at, const catalog& cat, board_set& set,
                      const par_as_read& read, std::vector<file_preview>& files) {
  files.push_back({"par", read.bytes, params_text(cat, set.params, set.lines)});
  if (!boards_deleted(set.moves)) return {};
  for (const package_file* f = package_files.data(); f->name != nullptr; ++f) {
    bool exists = false;
    std::string text;
    if (f->move == nullptr) continue;
    if (error e = read_port_file(at, *f, exists, text); !e.ok()) return e;
    if (exists) files.push_back({f->name, text, f->move(text, set.moves)});
  }
  return {};
}

}  // namespace kdz
