// Test helpers for the file readers: a scratch directory, fresh records, record dumps.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "libcfg/libcfg.h"

// A fresh directory and fresh records per test; `prog` is a program name in the directory.
struct file_test : testing::Test {
  std::string dir, prog;

  void SetUp() override {
    config = {};
    def = {};
    params = {};
    garbage = {};
    btype_tags = {};
    bclass_menu = {};
    std::string templ = testing::TempDir() + "kdzXXXXXX";
    ASSERT_NE(mkdtemp(templ.data()), nullptr);
    dir = templ;
    prog = dir + "/prog";
  }
  void TearDown() override { std::filesystem::remove_all(dir); }

  void write(const char* name, const std::string& text) {
    std::ofstream(dir + "/" + name, std::ios::binary) << text;
  }
  std::string read(const char* name) {
    std::ifstream in(dir + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  // Each loads `text` and returns what the loader wrote on standard output.
  std::string load_cfg(const std::string& text) {
    write("cfg", text);
    testing::internal::CaptureStdout();
    EXPECT_EQ(load_config(prog.c_str(), "cfg"), &config);
    return testing::internal::GetCapturedStdout();
  }
  std::string load_par(const std::string& text) {
    write("par", text);
    testing::internal::CaptureStdout();
    EXPECT_EQ(load_params(prog.c_str()), &params);
    return testing::internal::GetCapturedStdout();
  }
};

inline std::string dump(const value_list& l, const char* format) {
  std::string s;
  char v[16];
  for (int i = 0; i < l.count; ++i) s += (std::snprintf(v, sizeof v, format, l.values[i]), v);
  return s;
}

// A type as "name|class|cp_name|t_code attr num_waits bus|sizes|irqs|ioas|extras".
inline std::string dump(const btype_rec& t) {
  char head[128];
  std::snprintf(head, sizeof head, "%s|%s|%s|%u %u %u %u|", t.name, t.class_, t.cp_name, t.t_code,
                t.attr, t.num_waits, t.bus);
  return head + dump(t.sizes, " %d") + "|" + dump(t.irqs, " %d") + "|" +
         dump(t.ioas_primary, " %x") + "|" + dump(t.ioas_extras, " %x");
}

// A board as "type size irq ioa dpa", the addresses in hexadecimal.
inline std::string dump(const board_rec& b) {
  char s[64];
  std::snprintf(s, sizeof s, "%u %u %u %x %x", b.type, b.size, b.irq, b.ioa, b.dpa);
  return s;
}

// True when every line of `out` is a warning with `prefix`.
inline bool only_warnings(const std::string& out, const std::string& prefix) {
  for (std::size_t at = 0; at < out.size(); ++at) {
    if (out.compare(at, prefix.size(), prefix) != 0) return false;
    at = out.find('\n', at);
    if (at == std::string::npos) return false;
  }
  return true;
}
