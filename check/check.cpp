// The check `editpar -c` whole: the rules of the readers, the catalog and the parameter
// set run in that order, their findings kept and sorted, or only counted.
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

error form_check_paths(const program_files& at, check_paths& paths) {
  if (error e = make_path(at, "cfg", paths.cfg); !e.ok()) return e;
  if (error e = make_path(at, "par", paths.par); !e.ok()) return e;
  return make_path(at, package_files[PKG_DCES].name, paths.dces);
}

port_state old_dces(const check_paths& paths) {
  port_state ports{};
  // Whatever kept it from being read, no line of it counts.
  if (!load_dces(paths.dces.get(), ports).ok()) return port_state{};
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

}  // namespace kdz
