// The generator run: one fixed pass of loads and writes beside the program.
#include "buildc/buildc.h"
#include "libcfg/libcfg.h"

int run(const char* prog) {
  cp = load_config(prog, "cfg");
  if (cp == nullptr) return 1;
  pp = load_params(prog);
  if (pp == nullptr) return 1;
  // The writers of the driver package follow here, in the run's order.
  return 0;
}
