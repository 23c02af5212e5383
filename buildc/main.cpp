// buildc: writes the driver package from "cfg" and "par" beside the program.
#include "buildc/buildc.h"

int main(int /*argc*/, char** argv) {
  return run(argv[0]);
}
