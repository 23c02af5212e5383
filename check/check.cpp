// The check `editpar -c` whole: the rules of the readers, the catalog and the parameter
// set run in that order, their findings kept and sorted, or only counted.
#include <fmt/format.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "base/files.h"
#include "check/check.h"
#include "check/check_rules.h"
#include "model/board_set.h"
#include "model/catalog.h"
#include "model/records.h"
#include "package/package_files.h"
#include "package/port_lines.h"

namespace kdz {

bool form_check_paths(const program_files& at, check_paths& paths) {
  paths.cfg.reset(make_path(at, "cfg"));
  if (paths.cfg) paths.par.reset(make_path(at, "par"));
  if (paths.par) paths.dces.reset(make_path(at, package_files[PKG_DCES].name));
  return paths.dces != nullptr;
}

port_state old_dces(const char* /*prog*/, const check_paths& paths) {
  port_state ports{};
  if (read_old_dces(paths.dces.get(), ports) != old_read::read) return port_state{};
  return ports;
}

std::vector<finding> reader_findings(const catalog& cat, const board_set& set) {
  std::vector<finding> out;
  finding_sink sink{&out};
  reader_rules(cat, set, sink);
  return out;
}

std::vector<finding> catalog_findings(const catalog& cat) {
  std::vector<finding> out;
  finding_sink sink{&out};
  catalog_rules(cat, sink);
  return out;
}

std::vector<finding> parameter_findings(const catalog& cat, const board_set& set,
                                        const port_state& ports) {
  std::vector<finding> out;
  finding_sink sink{&out};
  parameter_rules(cat, set, ports, sink);
  return out;
}

std::vector<finding> all_findings(const catalog& cat, const board_set& set,
                                  const port_state& ports) {
  std::vector<finding> all;
  finding_sink sink{&all};
  reader_rules(cat, set, sink);
  catalog_rules(cat, sink);
  parameter_rules(cat, set, ports, sink);
  std::stable_sort(all.begin(), all.end(), [](const finding& a, const finding& b) {
    return a.file != b.file ? a.file < b.file : a.line < b.line;
  });
  return all;
}

int count_findings(const catalog& cat, const board_set& set, const port_state& ports) {
  finding_sink sink;
  reader_rules(cat, set, sink);
  catalog_rules(cat, sink);
  parameter_rules(cat, set, ports, sink);
  return sink.count;
}

int check_set(const check_paths& paths, const catalog& cat, const board_set& set,
              const port_state& ports, int warnings, std::FILE* out) {
  const std::vector<finding> all = all_findings(cat, set, ports);
  for (const finding& f : all) print_finding(out, "", paths, f);
  return static_cast<int>(all.size()) + warnings;
}

void warn_after_saving(const char* prog, const check_paths& paths, const catalog& cat,
                       const board_set& set, const port_state& ports) {
  const std::string prefix = fmt::format("{}: warning: ", prog);
  std::fflush(stdout);
  for (const finding& f : parameter_findings(cat, set, ports)) {
    print_finding(stderr, prefix.c_str(), paths, f);
  }
}

}  // namespace kdz
