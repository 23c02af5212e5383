// buildc: writes the driver package from "cfg" and "par" beside the program.
#include "buildc/buildc.h"

int main(int argc, char** argv) {
  const char* prog = start_program(argc, argv);
  return finish_program(prog, run(prog), 1);
}
