// The files of an editing session: "par" as read, and the save that never overwrites a
// "par" someone else replaced meanwhile.
#include "edit/session.h"

#include <sys/stat.h>

#include <array>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include <fmt/format.h>

#include "base/files.h"
#include "base/staging.h"
#include "model/board_set.h"
#include "model/catalog.h"
#include "model/records.h"
#include "package/change.h"
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

// The texts of the files of a save, kept while the change is made: "par", then each file
// of the package table at 1 + its row.
using save_texts = std::array<std::string, 1 + PKG_FILES>;

// The file of a save that goes aside: the set as "par.new" beside "par", replaced as a name,
// for the user to compare with the "par" that took the place of the one read.
error aside_files(const program_files& at, const catalog& cat, const board_set& set,
                  save_texts& texts, std::vector<change_file>& files) {
  path_ptr path;
  if (error e = make_path(at, "par.new", path); !e.ok()) return e;
  par_where lines{};
  texts[0] = params_text(cat, set.params, lines);
  files.push_back({"save_params", path.get(), texts[0], false, true});
  return {};
}

// Even when "par.new" is written, the set is not saved.
error saved_aside(const program_files& at) {
  const std::string path = at.dir + "par.new";
  error aside = failure(fmt::format("par changed since it was read: your version is in {}", path));
  aside.path = path;
  return aside;
}

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

// Hands `take` each file of the package table that follows the boards and exists, with its
// bytes as they are now: none when no board was deleted.
template <typename take_fn>
error each_moved_file(const program_files& at, const board_set& set, take_fn take) {
  if (!boards_deleted(set.moves)) return {};
  for (const package_file* f = package_files.data(); f->name != nullptr; ++f) {
    bool exists = false;
    std::string text;
    if (f->move == nullptr) continue;
    if (error e = read_port_file(at, *f, exists, text); !e.ok()) return e;
    if (exists) take(*f, text);
  }
  return {};
}

// The files of a save: "par", then each file that follows the boards, with the text that
// follows `moves`.
error save_files(const program_files& at, const catalog& cat, board_set& set, save_texts& texts,
                 std::vector<change_file>& files) {
  change_file par{"save_params", {}, {}, true};
  if (error e = save_params(at, cat, set, par.path, texts[0]); !e.ok()) return e;
  par.text = texts[0];
  files.push_back(std::move(par));
  return each_moved_file(at, set, [&](const package_file& f, const std::string& text) {
    std::string& moved = texts[1 + static_cast<std::size_t>(&f - package_files.data())];
    moved = f.move(text, set.moves);
    files.push_back({f.func, at.dir + f.name, moved, f.keep_old});
  });
}

// One try at the save under the writers' lock `writers`: false when the lock's file
// appeared meanwhile and what was read must be read again.
bool try_save(const program_files& at, const catalog& cat, board_set& set, const par_as_read& read,
              package_lock& writers, error_list& told) {
  told = open_package(at, writers);
  if (any_failed(told)) return true;
  const bool unchanged = par_unchanged(at, read);
  save_texts texts;
  std::vector<change_file> files;
  if (error e = unchanged ? save_files(at, cat, set, texts, files)
                          : aside_files(at, cat, set, texts, files);
      !e.ok()) {
    told.push_back(std::move(e));
    return true;
  }
  change_outcome made = make_change(at, writers, files);
  if (made.stale) return false;
  for (error& e : made.told) told.push_back(std::move(e));
  if (!unchanged && !any_failed(told)) told.push_back(saved_aside(at));
  return true;
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
  while (!try_save(at, cat, set, read, writers, told)) {
  }
  return told;
}

error preview_session(const program_files& at, const catalog& cat, board_set& set,
                      const par_as_read& read, std::vector<file_preview>& files) {
  files.push_back({"par", read.bytes, params_text(cat, set.params, set.lines)});
  return each_moved_file(at, set, [&](const package_file& f, const std::string& text) {
    files.push_back({f.name, text, f.move(text, set.moves)});
  });
}

}  // namespace kdz
