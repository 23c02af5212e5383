// Files read and written whole, scratch directories, staged packages and snapshots.
#include "tests/support/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

namespace support {

std::string read_file(const fs::path& path, const std::string& absent) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return absent;
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void write_file(const fs::path& path, const std::string& bytes) {
  if (path.has_parent_path()) fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

fs::path scratch(const std::string& name) {
  const fs::path dir = fs::temp_directory_path() / ("kdz_" + std::to_string(getpid()) + "_" + name);
  clean(dir);
  fs::create_directories(dir);
  return dir;
}

void clean(const fs::path& dir) {
  std::error_code ec;
  for (const auto& e : fs::recursive_directory_iterator(dir, ec)) {
    if (e.is_directory(ec) && !e.is_symlink(ec)) chmod(e.path().c_str(), 0755);
  }
  chmod(dir.c_str(), 0755);
  fs::remove_all(dir, ec);
}

void stage(const fs::path& from, const fs::path& dir) {
  clean(dir);
  fs::create_directories(dir);
  fs::copy(from, dir, fs::copy_options::recursive);
}

tree snapshot(const fs::path& dir) {
  tree t;
  std::error_code absent;  // a directory that does not exist holds nothing
  for (auto it = fs::recursive_directory_iterator(
           dir, fs::directory_options::skip_permission_denied, absent);
       it != fs::recursive_directory_iterator(); ++it) {
    struct stat st {};
    if (lstat(it->path().c_str(), &st) != 0) continue;
    const mode_t m = st.st_mode;
    const char kind = S_ISREG(m)    ? 'f'
                      : S_ISDIR(m)  ? 'd'
                      : S_ISLNK(m)  ? 'l'
                      : S_ISFIFO(m) ? 'p'
                                    : '?';
    if (kind == 'd' && (st.st_mode & S_IXUSR) == 0) it.disable_recursion_pending();
    t[it->path().lexically_relative(dir).string()] = {
        kind,
        static_cast<mode_t>(st.st_mode & 07777),
        st.st_uid,
        st.st_gid,
        st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec,
        kind == 'f' ? read_file(it->path()) : ""};
  }
  return t;
}

void age(const fs::path& dir) {
  const timespec past[2] = {{978307200, 0}, {978307200, 0}};  // 2001-01-01
  for (const auto& e :
       fs::recursive_directory_iterator(dir, fs::directory_options::skip_permission_denied)) {
    if (e.is_regular_file() && !e.is_symlink()) utimensat(AT_FDCWD, e.path().c_str(), past, 0);
  }
}

}  // namespace support
