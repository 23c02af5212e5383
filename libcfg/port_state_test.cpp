// The old port state: flags left from an earlier load never survive a missing file.
#include <gtest/gtest.h>

#include "libcfg/libcfg.h"

namespace {

// Flags left from an earlier load are cleared even when the old file is gone: a removed
// "dces" turns every line back into a DTE line.
TEST(PortState, MissingOldFilesClearTheFlags) {
  enabled.fill(1);
  is_dce.fill(1);
  load_init("prog", "/nonexistent/Init");
  load_dces("prog", "/nonexistent/dces");
  for (int i = 0; i < PORT_SLOTS; ++i) {
    EXPECT_EQ(enabled[i], 0) << i;
    EXPECT_EQ(is_dce[i], 0) << i;
  }
}

}  // namespace
