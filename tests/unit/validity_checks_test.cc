// Event and phase checks: order, bounds, single precision, not-a-number.
#include "reference/validity_checks.h"

#include <gtest/gtest.h>

#include <cmath>

#include "test_files.h"

namespace {

struct Origin {
  int32_t Year = 1975, Month = 7, Day = 1, Hour = 10, Minute = 5;
  float Second = 5.5f, Latitude = 34.0f, Longitude = -118.0f, Depth = 10.0f;
};

// The check's result and what it wrote.
std::pair<int, std::string> Event(const Origin& o) {
  FILE* f = std::tmpfile();
  int r = Test_Event(1, o.Year, o.Month, o.Day, o.Hour, o.Minute, o.Second,
                     o.Latitude, o.Longitude, o.Depth, f);
  std::string log = Content_Of(f);
  std::fclose(f);
  return {r, log};
}

Origin With(void (*change)(Origin&)) {
  Origin o;
  change(o);
  return o;
}

TEST(TestEvent, PassesWithoutWriting) {
  EXPECT_EQ(std::make_pair(1, std::string()), Event(Origin{}));
}

TEST(TestEvent, YearBounds) {
  EXPECT_EQ(std::make_pair(0, std::string("\n Error Event 1 --- Year = 1911.")),
            Event(With([](Origin& o) { o.Year = 1911; })));
  EXPECT_EQ(1, Event(With([](Origin& o) { o.Year = 1912; })).first);
  EXPECT_EQ(1, Event(With([](Origin& o) { o.Year = 1983; })).first);
  EXPECT_EQ(0, Event(With([](Origin& o) { o.Year = 1984; })).first);
}

TEST(TestEvent, ClockAndCalendarFields) {
  EXPECT_EQ("\n Error Event 1 --- Month = 13.",
            Event(With([](Origin& o) { o.Month = 13; })).second);
  EXPECT_EQ("\n Error Event 1 --- Day = 0.",
            Event(With([](Origin& o) { o.Day = 0; })).second);
  EXPECT_EQ(1, Event(With([](Origin& o) { o.Month = 2, o.Day = 31; })).first);
  EXPECT_EQ("\n Error Event 1 --- Hour = 24.",
            Event(With([](Origin& o) { o.Hour = 24; })).second);
  EXPECT_EQ("\n Error Event 1 --- Minute = -1.",
            Event(With([](Origin& o) { o.Minute = -1; })).second);
}

TEST(TestEvent, SecondsAndPosition) {
  EXPECT_EQ("\n Error Event 1 --- Second = 60.000000.",
            Event(With([](Origin& o) { o.Second = 60.0f; })).second);
  EXPECT_EQ(1, Event(With([](Origin& o) { o.Second = 59.999f; })).first);
  EXPECT_EQ("\n Error Event 1 --- Second = -0.500000.",
            Event(With([](Origin& o) { o.Second = -0.5f; })).second);
  EXPECT_EQ(1, Event(With([](Origin& o) { o.Latitude = 90.0f; })).first);
  EXPECT_EQ(1, Event(With([](Origin& o) { o.Latitude = -90.0f; })).first);
  EXPECT_EQ("\n Error Event 1 --- Latitude = 91.500000.",
            Event(With([](Origin& o) { o.Latitude = 91.5f; })).second);
  EXPECT_EQ(1, Event(With([](Origin& o) { o.Longitude = -180.0f; })).first);
  EXPECT_EQ("\n Error Event 1 --- Longitude = -181.000000.",
            Event(With([](Origin& o) { o.Longitude = -181.0f; })).second);
  EXPECT_EQ(1, Event(With([](Origin& o) { o.Depth = 0.0f; })).first);
  EXPECT_EQ(1, Event(With([](Origin& o) { o.Depth = -0.0f; })).first);
  EXPECT_EQ("\n Error Event 1 --- Depth = -0.100000.",
            Event(With([](Origin& o) { o.Depth = -0.1f; })).second);
}

TEST(TestEvent, SinglePrecisionBounds) {
  // 90.000001 rounds to 90.0f and passes; a double comparison would fail it.
  EXPECT_EQ(1, Event(With([](Origin& o) {
                 o.Latitude = static_cast<float>(90.000001);
               })).first);
}

TEST(TestEvent, FirstFailureOnly) {
  EXPECT_EQ("\n Error Event 1 --- Year = 1984.", Event(With([](Origin& o) {
                                                   o.Year = 1984;
                                                   o.Latitude = 95.0f;
                                                 })).second);
}

TEST(TestEvent, NotANumberPasses) {
  EXPECT_EQ(1, Event(With([](Origin& o) {
                 o.Second = NAN, o.Latitude = NAN, o.Longitude = NAN,
                 o.Depth = NAN;
               })).first);
}

TEST(TestPhase, SameTestsWithItsOwnWord) {
  FILE* f = std::tmpfile();
  EXPECT_EQ(0, Test_Phase(1, 1975, 7, 1, 24, 0, 0.0f, f));
  EXPECT_EQ(1, Test_Phase(1, 1975, 7, 1, 23, 59, 59.5f, f));
  EXPECT_EQ(0, Test_Phase(1, 1990, 7, 1, 23, 59, 59.5f, f));
  EXPECT_EQ(0, Test_Phase(1, 1975, 7, 1, 23, 59, 60.0f, f));
  EXPECT_EQ(
      "\n Error Phase 1 --- Hour = 24.\n Error Phase 1 --- Year = 1990."
      "\n Error Phase 1 --- Second = 60.000000.",
      Content_Of(f));
  std::fclose(f);
}

}  // namespace
