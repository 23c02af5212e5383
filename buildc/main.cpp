// buildc: writes the driver package from "cfg" and "par" of the package directory.
#include "base/program.h"
#include "buildc/buildc.h"

int main(int argc, char** argv) {
  const char* prog = kdz::start_program(argc, argv);
  return kdz::buildc_main(prog, argc, argv);
}
