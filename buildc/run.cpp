// The generator run: one fixed pass of loads and writes beside the program.
#include "buildc/buildc.h"
#include "libcfg/libcfg.h"

namespace {

// One step of the run: the file it reads and rewrites, and what it does with it.
struct step {
  const char* name;
  void (*load)(const char* prog, const char* path);  // null when nothing is read first
  void (*build)(const char* prog, const char* path);
};

// The order carries the dependencies: "Init" and "dces" are read before they are
// rewritten, and "dtes" and "Node" follow the loading of the DCE flags.
constexpr step steps[] = {
    {"kdzspc.h", nullptr, build_space}, {"System", nullptr, build_sdevice},
    {"Init", load_init, build_init},    {"dces", load_dces, build_dces},
    {"dtes", nullptr, build_dtes},      {"Node", nullptr, build_node},
    {nullptr, nullptr, nullptr},
};

}  // namespace

int run(const char* prog) {
  cp = load_config(prog, "cfg");
  if (cp == nullptr) return 1;
  pp = load_params(prog);
  if (pp == nullptr) return 1;
  for (const step* s = steps; s->name != nullptr; ++s) {
    path_ptr path(make_path(prog, s->name));
    if (!path) return 1;
    if (s->load != nullptr) s->load(prog, path.get());
    s->build(prog, path.get());
  }
  return 0;
}
