// Test helpers for the file readers: a scratch directory, files in it, fresh records.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "libcfg/libcfg.h"

// A fresh directory per test; `prog` is a program name that lies in it.
struct file_test : testing::Test {
  std::string dir;
  std::string prog;

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
  // Loads `text` as the catalog; returns what the loader wrote on standard output.
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
