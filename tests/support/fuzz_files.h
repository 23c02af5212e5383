// What the fuzz targets share: streams over fuzzed bytes, an input split in two at a line
// "%%", a scratch directory for the whole run, and the fixed catalog (the targets take the
// records, the catalog and the file handles from here).
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>

#include "base/files.h"
#include "model/catalog.h"
#include "model/records.h"

namespace kdz {

// What each fuzz target defines: one fuzzed input through the system; fuzz/harness.cpp
// hands it to the fuzzer.
int test_one_input(const std::uint8_t* data, std::size_t size);

// A private directory for this fuzzing process, removed when the fuzzer exits; the
// program path "prog" lies in it, so make_path finds every file there.
inline const std::string& fuzz_dir() {
  // Shared memory when the host has it: the run target writes files on every input.
  static const std::string dir = [] {
    std::string tmpl =
        std::filesystem::exists("/dev/shm") ? "/dev/shm/kdzfuzz.XXXXXX" : "/tmp/kdzfuzz.XXXXXX";
    if (mkdtemp(tmpl.data()) == nullptr) std::abort();
    return tmpl;
  }();
  static const struct cleanup {
    ~cleanup() {
      std::error_code ec;
      std::filesystem::remove_all(dir, ec);
    }
  } at_exit;
  return dir;
}

// A stream that reads `size` bytes of `data`, as a file of those bytes would be read.
inline file_ptr memory_stream(const void* data, std::size_t size) {
  file_ptr f(fmemopen(const_cast<void*>(data), size, "r"));
  if (f == nullptr) std::abort();
  return f;
}

inline file_ptr memory_stream(std::string_view text) {
  return memory_stream(text.data(), text.size());
}

// The input as two files: what comes before the first line "%%", and what follows it
// (nothing when there is no such line).
inline std::pair<std::string_view, std::string_view> split_input(const std::uint8_t* data,
                                                                 std::size_t size) {
  const std::string_view in(reinterpret_cast<const char*>(data), size);
  const std::size_t cut = in.find("%%\n");
  if (cut == std::string_view::npos) return {in, {}};
  return {in.substr(0, cut), in.substr(cut + 3)};
}

// The catalog fuzz/catalog, which the targets that do not fuzz the catalog read their input
// against: read once for the whole run and never changed afterwards, its warnings dropped.
inline const catalog& fuzz_catalog() {
  static const catalog cat = [] {
    const file_ptr f(std::fopen(FUZZ_CATALOG, "r"));
    catalog loaded{};
    warning_list warnings;
    if (f == nullptr || !read_config(f.get(), loaded, warnings)) std::abort();
    return loaded;
  }();
  return cat;
}

}  // namespace kdz
