// What the fuzz targets share: streams over fuzzed bytes, a scratch directory for the whole
// run, and the capacities every loaded catalog must keep.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "base/files.h"
#include "model/catalog.h"
#include "model/records.h"

namespace kdz {

// A private directory for this fuzzing process; the program path "prog" lies in it, so
// make_path finds every file there.
inline const std::string& fuzz_dir() {
  static const std::string dir = [] {
    // Shared memory when the host has it: the targets write and read files on every input.
    char tmpl[] = "/dev/shm/kdzfuzz.XXXXXX";
    if (mkdtemp(tmpl) == nullptr) {
      std::memcpy(tmpl, "/tmp/kdzfuzz.XXXXXX", sizeof "/tmp/kdzfuzz.XXXXXX");
      if (mkdtemp(tmpl) == nullptr) std::abort();
    }
    return std::string(tmpl);
  }();
  // Removed when the fuzzer exits.
  static const struct cleanup {
    ~cleanup() {
      std::error_code ec;
      std::filesystem::remove_all(dir, ec);
    }
  } at_exit;
  return dir;
}

inline std::string fuzz_prog() {
  return fuzz_dir() + "/prog";
}

inline void write_file(const char* name, const void* data, std::size_t size) {
  const std::string path = fuzz_dir() + "/" + name;
  file_ptr f(std::fopen(path.c_str(), "wb"));
  if (f == nullptr) std::abort();
  if (size != 0) std::fwrite(data, 1, size, f.get());
}

// A stream that reads `size` bytes of `data`, as a file of those bytes would be read.
inline file_ptr memory_stream(const void* data, std::size_t size) {
  file_ptr f(fmemopen(const_cast<void*>(data), size, "r"));
  if (f == nullptr) std::abort();
  return f;
}

// The catalog a text gives; its warnings are dropped.
inline catalog catalog_of(const char* text) {
  catalog cat{};
  warning_list warnings;
  if (!read_config(memory_stream(text, std::strlen(text)).get(), cat, warnings)) std::abort();
  return cat;
}

// What each fuzz target defines: one fuzzed input through the system; fuzz/harness.cpp
// hands it to the fuzzer.
int test_one_input(const std::uint8_t* data, std::size_t size);

// The catalog `text` gives, read once for the whole run (a target has one) and never
// changed afterwards: every input starts from it.
inline const catalog& loaded_catalog(const char* text) {
  static const catalog cat = catalog_of(text);
  return cat;
}

// Warnings and listings go to standard output; keep them out of the fuzzer's log.
inline void silence_stdout() {
  if (std::freopen("/dev/null", "w", stdout) == nullptr) std::abort();
}

// Every fixed-width text of the records ends within its width.
template <std::size_t N>
bool terminated(const char (&field)[N]) {
  for (char c : field) {
    if (c == '\0') return true;
  }
  return false;
}

inline bool catalog_within_capacity(const catalog& cat) {
  const config_rec& config = cat.config;
  if (config.ntypes < 0 || config.ntypes > MAX_TYPES) return false;
  if (!terminated(config.copy) || !terminated(config.pkg)) return false;
  const value_list btype_rec::*lists[] = {&btype_rec::sizes, &btype_rec::irqs,
                                          &btype_rec::ioas_primary, &btype_rec::ioas_extras};
  for (int i = 0; i <= config.ntypes; ++i) {
    const btype_rec& t = i < config.ntypes ? config.types[i] : cat.def;
    if (!terminated(t.name) || !terminated(t.class_) || !terminated(t.cp_name)) return false;
    for (auto l : lists) {
      if ((t.*l).count < 0 || (t.*l).count > MAX_VALUES) return false;
    }
  }
  // Both tables by type keep their end row after the last type.
  return type_tags(cat)[config.ntypes].name == null && cat.class_rows[config.ntypes] == ROW_END;
}

}  // namespace kdz
