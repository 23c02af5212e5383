// A whole generator run from a fuzzed catalog and parameter file (split from one input
// at the line "%%"). The old "Init" and "dces" are those of the previous input, as on a
// host where the generator runs again and again. Every file written must have the lines
// its boards call for.
#include <string>
#include <string_view>

#include "buildc/buildc.h"
#include "fuzz/fuzz_files.h"

namespace {

int lines_of(const char* name) {
  file_ptr f(std::fopen((fuzz_dir() + "/" + name).c_str(), "r"));
  if (f == nullptr) __builtin_trap();
  int n = 0;
  for (int c; (c = std::getc(f.get())) != EOF;) n += c == '\n';
  return n;
}

// The lines each file must hold for the boards that were read.
void check_outputs() {
  int init = 0, lists = 0, node = 1, logical = 0;
  for (int b = 0; b < pp->nboards; ++b) {
    const btype_rec& type = type_of(pp->boards[b]);
    const int ports = ports_of(type);
    init += 2 * ports;
    lists += (type.attr & ATTR_DCE) ? 2 * DCE_PORTS : 0;
    node += 3 * ports;
    logical += ports / LOGICAL_PORTS;
  }
  const int space = 4 + 8 * logical + 2 * pp->nboards + 2 * std::max(0, 8 - logical);
  if (lines_of("Init") != init || lines_of("Node") != node) __builtin_trap();
  if (lines_of("dces") + lines_of("dtes") != lists) __builtin_trap();
  if (lines_of("System") != pp->nboards) __builtin_trap();
  // A copy text or type name with a newline in it cannot come from a line of "cfg".
  if (lines_of("kdzspc.h") != space) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  silence_stdout();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view in(reinterpret_cast<const char*>(data), size);
  const std::size_t cut = in.find("%%\n");
  const std::string_view cfg = in.substr(0, cut);
  const std::string_view par =
      cut == std::string_view::npos ? std::string_view() : in.substr(cut + 3);
  write_file("cfg", cfg.data(), cfg.size());
  write_file("par", par.data(), par.size());
  params.mode = 0;
  if (run(fuzz_prog().c_str()) != 0) __builtin_trap();
  check_outputs();
  return 0;
}
