// Event and phase checks: order, bounds, single precision, not-a-number.
#include "reference/validity_checks.h"

#include <gtest/gtest.h>

#include <cmath>

#include "test_files.h"

namespace {

struct Case {
  int32_t Year = 1975, Month = 7, Day = 1, Hour = 10, Minute = 5;
  float Second = 5.5f, Latitude = 34.0f, Longitude = -118.0f, Depth = 10.0f;
  const char* log = "";  // the expected message; empty when the origin passes
};

TEST(TestEvent, BoundsOrderAndMessages) {
  const float nan = NAN;
  const Case cases[] = {
      {},
      {.Year = 1911, .log = "\n Error Event 1 --- Year = 1911."},
      {.Year = 1912},
      {.Year = 1983},
      {.Year = 1984, .Latitude = 95.0f,  // only the first failure
       .log = "\n Error Event 1 --- Year = 1984."},
      {.Month = 13, .log = "\n Error Event 1 --- Month = 13."},
      {.Month = 2, .Day = 31},  // the day is not checked against its month
      {.Day = 0, .log = "\n Error Event 1 --- Day = 0."},
      {.Hour = 24, .log = "\n Error Event 1 --- Hour = 24."},
      {.Minute = -1, .log = "\n Error Event 1 --- Minute = -1."},
      {.Second = 60.0f, .log = "\n Error Event 1 --- Second = 60.000000."},
      {.Second = 59.999f},
      {.Second = -0.5f, .log = "\n Error Event 1 --- Second = -0.500000."},
      {.Latitude = 90.0f},
      {.Latitude = -90.0f},
      {.Latitude = 91.5f, .log = "\n Error Event 1 --- Latitude = 91.500000."},
      // 90.000001 is 90.0 in single precision.
      {.Latitude = static_cast<float>(90.000001)},
      {.Longitude = -180.0f},
      {.Longitude = -181.0f,
       .log = "\n Error Event 1 --- Longitude = -181.000000."},
      {.Depth = 0.0f},
      {.Depth = -0.0f},
      {.Depth = -0.1f, .log = "\n Error Event 1 --- Depth = -0.100000."},
      {.Second = nan, .Latitude = nan, .Longitude = nan, .Depth = nan},
  };
  for (const Case& c : cases) {
    FILE* f = std::tmpfile();
    int result = Test_Event(1, c.Year, c.Month, c.Day, c.Hour, c.Minute,
                            c.Second, c.Latitude, c.Longitude, c.Depth, f);
    EXPECT_EQ(c.log, Content_Of(f));
    EXPECT_EQ(*c.log == '\0' ? 1 : 0, result) << c.log;
    std::fclose(f);
  }
}

TEST(TestPhase, SameTestsWithItsOwnWord) {
  FILE* f = std::tmpfile();
  EXPECT_EQ(0, Test_Phase(1, 1975, 7, 1, 24, 0, 0.0f, f));
  EXPECT_EQ(1, Test_Phase(1, 1975, 7, 1, 23, 59, 59.5f, f));
  EXPECT_EQ(0, Test_Phase(1, 1990, 7, 1, 23, 59, 59.5f, f));
  EXPECT_EQ(0, Test_Phase(1, 1975, 7, 1, 23, 59, 60.0f, f));
  EXPECT_EQ(1, Test_Phase(1, 1975, 7, 1, 23, 59, NAN, f));
  EXPECT_EQ(
      "\n Error Phase 1 --- Hour = 24.\n Error Phase 1 --- Year = 1990."
      "\n Error Phase 1 --- Second = 60.000000.",
      Content_Of(f));
  std::fclose(f);
}

}  // namespace
