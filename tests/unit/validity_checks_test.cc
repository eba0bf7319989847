// The event and phase validity checks on values out of range: each field
// has its message, in the order the checks run, and the result says whether
// the values passed.
#include "reference/validity_checks.h"

#include <gtest/gtest.h>

#include "text/output_buffer.h"

namespace {

// The checks never see these values after the normalisation, which carries
// them into range; they still run, in their order.
TEST(Validity_Checks, EveryFieldOutOfRangeHasItsMessage) {
  Out_Buffer log;
  EXPECT_EQ(0, Test_Phase(1, 1975, 13, 1, 0, 0, 0.0f, log));
  EXPECT_EQ(0, Test_Phase(1, 1975, 12, 32, 0, 0, 0.0f, log));
  EXPECT_EQ(0, Test_Event(1, 1975, 12, 31, -1, 0, 0.0f, 0, 0, 0, log));
  EXPECT_EQ(0, Test_Event(1, 1975, 12, 31, 23, 60, 0.0f, 0, 0, 0, log));
  EXPECT_EQ(1, Test_Event(1, 1983, 12, 31, 23, 59, 59.5f, 90, -180, 0, log));
  EXPECT_EQ(
      "\n Error Phase 1 --- Month = 13.\n Error Phase 1 --- Day = 32."
      "\n Error Event 1 --- Hour = -1.\n Error Event 1 --- Minute = 60.",
      Text_Of(log));
}

}  // namespace
