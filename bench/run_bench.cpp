// A whole run in-process against a baseline that only opens, reads and writes the same
// files with the same bytes. The largest configuration's old "Init" and "dces" are what
// the run writes back, so every iteration starts from the same files: the run then finds
// every file current and leaves it alone. whole_run_replacing gives each output other
// contents before every run (outside the timing), so that the run replaces all six.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/files.h"
#include "buildc/buildc.h"
#include "package/package_files.h"

namespace {

using kdz::beside_program;
using kdz::package_file;
using kdz::package_files;
using kdz::PKG_FILES;
using kdz::run;

namespace fs = std::filesystem;

// What the run reads: the catalog, the parameters, and the old versions the table names.
std::vector<std::string> inputs() {
  std::vector<std::string> names = {"cfg", "par"};
  for (const package_file* f = package_files.data(); f->name != nullptr; ++f) {
    if (f->load != nullptr) names.emplace_back(f->name);
  }
  return names;
}

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// A scratch directory holding the largest case's inputs.
fs::path stage() {
  const fs::path dir = fs::temp_directory_path() / "buildc_bench";
  fs::remove_all(dir);
  fs::create_directories(dir);
  for (const std::string& name : inputs()) {
    fs::copy_file(fs::path(LARGEST_CASE) / "in" / name, dir / name);
  }
  return dir;
}

void whole_run(benchmark::State& state) {
  const std::string prog = (stage() / "buildc").string();
  for (auto _ : state) benchmark::DoNotOptimize(run(beside_program(prog.c_str()), {}));
}

void whole_run_replacing(benchmark::State& state) {
  const fs::path dir = stage();
  const std::string prog = (dir / "buildc").string();
  for (auto _ : state) {
    state.PauseTiming();
    for (int i = 0; i < PKG_FILES; ++i) {
      std::ofstream(dir / package_files[i].name, std::ios::app) << "# older\n";
    }
    state.ResumeTiming();
    benchmark::DoNotOptimize(run(beside_program(prog.c_str()), {}));
  }
}

void same_bytes_only(benchmark::State& state) {
  const fs::path dir = stage();
  std::vector<std::string> read_paths;
  for (const std::string& name : inputs()) read_paths.push_back((dir / name).string());
  std::array<std::string, PKG_FILES> bytes, write_paths;
  for (int i = 0; i < PKG_FILES; ++i) {
    bytes[i] = read_file(fs::path(LARGEST_CASE) / "out" / package_files[i].name);
    write_paths[i] = (dir / package_files[i].name).string();
  }
  char line[256];
  for (auto _ : state) {
    for (const std::string& path : read_paths) {
      std::FILE* f = std::fopen(path.c_str(), "r");
      while (std::fgets(line, sizeof line, f) != nullptr) benchmark::DoNotOptimize(line);
      std::fclose(f);
    }
    for (int i = 0; i < PKG_FILES; ++i) {
      std::FILE* f = std::fopen(write_paths[i].c_str(), "w");
      std::fwrite(bytes[i].data(), 1, bytes[i].size(), f);
      std::fclose(f);
    }
  }
}

BENCHMARK(whole_run)->Unit(benchmark::kMicrosecond);
BENCHMARK(whole_run_replacing)->Unit(benchmark::kMicrosecond);
BENCHMARK(same_bytes_only)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
