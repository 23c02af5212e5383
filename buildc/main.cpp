// buildc: writes the driver package from "cfg" and "par" of the package directory.
#include "buildc/buildc.h"

int main(int argc, char** argv) {
  const char* prog = start_program(argc, argv);
  return finish_program(prog, buildc_main(prog, argc, argv), 1);
}
