// buildc: the generator run and the writers of the driver package.
#pragma once

// Loads "cfg" and "par" from the directory of `prog` and writes the driver package
// beside them. Returns the exit status: 1 when the catalog, the parameters or a path
// cannot be had, 0 otherwise.
int run(const char* prog);
