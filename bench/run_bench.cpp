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

#include "buildc/buildc.h"

namespace {

namespace fs = std::filesystem;

const char* const inputs[] = {"cfg", "par", "Init", "dces"};
const char* const outputs[] = {"kdzspc.h", "System", "Init", "dces", "dtes", "Node"};

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
  for (const char* name : inputs) fs::copy_file(fs::path(LARGEST_CASE) / "in" / name, dir / name);
  return dir;
}

void whole_run(benchmark::State& state) {
  const std::string prog = (stage() / "buildc").string();
  for (auto _ : state) benchmark::DoNotOptimize(run(prog.c_str()));
}

void whole_run_replacing(benchmark::State& state) {
  const fs::path dir = stage();
  const std::string prog = (dir / "buildc").string();
  for (auto _ : state) {
    state.PauseTiming();
    for (const char* name : outputs) std::ofstream(dir / name, std::ios::app) << "# older\n";
    state.ResumeTiming();
    benchmark::DoNotOptimize(run(prog.c_str()));
  }
}

void same_bytes_only(benchmark::State& state) {
  const fs::path dir = stage();
  std::array<std::string, 6> bytes;
  for (int i = 0; i < 6; ++i) bytes[i] = read_file(fs::path(LARGEST_CASE) / "out" / outputs[i]);
  std::array<std::string, 10> paths;
  for (int i = 0; i < 4; ++i) paths[i] = (dir / inputs[i]).string();
  for (int i = 0; i < 6; ++i) paths[4 + i] = (dir / outputs[i]).string();
  char line[256];
  for (auto _ : state) {
    for (int i = 0; i < 4; ++i) {
      std::FILE* f = std::fopen(paths[i].c_str(), "r");
      while (std::fgets(line, sizeof line, f) != nullptr) benchmark::DoNotOptimize(line);
      std::fclose(f);
    }
    for (int i = 0; i < 6; ++i) {
      std::FILE* f = std::fopen(paths[4 + i].c_str(), "w");
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
