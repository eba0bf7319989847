// Calendar normalisation under UTC and under a zone with daylight saving.
#include "reference/time_normalisation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "test_files.h"

namespace {

struct Date_Time {
  int32_t Year, Month, Day, Hour, Minute;
  float Second;
};

Date_Time Normalised(Date_Time t) {
  Modify_Time(t.Year, t.Month, t.Day, t.Hour, t.Minute, t.Second);
  return t;
}

void Expect_Same(const Date_Time& want, const Date_Time& got) {
  EXPECT_EQ(want.Year, got.Year);
  EXPECT_EQ(want.Month, got.Month);
  EXPECT_EQ(want.Day, got.Day);
  EXPECT_EQ(want.Hour, got.Hour);
  EXPECT_EQ(want.Minute, got.Minute);
  // Bit for bit: the split of the seconds must lose nothing.
  EXPECT_EQ(0, std::memcmp(&want.Second, &got.Second, sizeof(float)))
      << want.Second << " vs " << got.Second;
}

class Utc : public ::testing::Test {
 protected:
  void SetUp() override { Use_Time_Zone("UTC"); }
};

TEST_F(Utc, CarriesEveryUnit) {
  Expect_Same({1975, 7, 2, 0, 0, 0.0f}, Normalised({1975, 7, 1, 24, 0, 0.0f}));
  Expect_Same({1976, 1, 1, 0, 0, 0.5f},
              Normalised({1975, 12, 31, 23, 59, 60.5f}));
  Expect_Same({1975, 3, 2, 10, 5, 5.5f},
              Normalised({1975, 2, 30, 10, 5, 5.5f}));
  Expect_Same({1976, 1, 1, 0, 0, 0.0f}, Normalised({1975, 13, 1, 0, 0, 0.0f}));
  Expect_Same({1975, 7, 1, 10, 6, 15.25f},
              Normalised({1975, 7, 1, 10, 5, 75.25f}));
  Expect_Same({1975, 7, 1, 11, 0, 0.0f},
              Normalised({1975, 7, 1, 10, 60, 0.0f}));
  Expect_Same({1984, 1, 1, 0, 0, 0.0f},
              Normalised({1983, 12, 31, 23, 59, 60.0f}));
  // Day 0 is the last day of the previous month; dates before 1970 work.
  Expect_Same({1912, 2, 29, 23, 0, 0.0f},
              Normalised({1912, 3, 0, 23, 0, 0.0f}));
}

TEST_F(Utc, NegativeSecondsKeepTheirFraction) {
  Expect_Same({1975, 7, 1, 10, 4, 58.5f},
              Normalised({1975, 7, 1, 10, 5, -1.5f}));
  Expect_Same({1975, 7, 1, 10, 5, -0.5f},
              Normalised({1975, 7, 1, 10, 5, -0.5f}));
}

TEST_F(Utc, ValidTimesComeBackBitForBit) {
  Expect_Same({1975, 7, 1, 10, 5, 5.5f}, Normalised({1975, 7, 1, 10, 5, 5.5f}));
  for (float s : {0.0f, 1.00005f, 9.9999f, 59.999f, 33.3333f, 0.1f})
    Expect_Same({1950, 1, 15, 3, 4, s}, Normalised({1950, 1, 15, 3, 4, s}));
}

TEST_F(Utc, SecondsWithoutAWholePartComeBackUnchanged) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  Date_Time t = Normalised({1975, 7, 1, 24, 0, nan});
  EXPECT_EQ(2, t.Day);
  EXPECT_EQ(0, t.Hour);
  EXPECT_TRUE(std::isnan(t.Second));
  Expect_Same({1975, 7, 1, 10, 5, INFINITY},
              Normalised({1975, 7, 1, 10, 5, INFINITY}));
  Expect_Same({1975, 7, 1, 10, 5, 3e9f}, Normalised({1975, 7, 1, 10, 5, 3e9f}));
  // The largest whole part that fits 32 bits is carried.
  Date_Time big = Normalised({1975, 7, 1, 0, 0, 2147483520.0f});
  EXPECT_EQ(2043, big.Year);
}

TEST_F(Utc, UnrepresentableDatesAreLeftAlone) {
  Expect_Same({INT32_MIN, 1, 1, 0, 0, 0.0f},
              Normalised({INT32_MIN, 1, 1, 0, 0, 0.0f}));
  Expect_Same({1975, 1, 2147483647, 24, 0, 0.0f},
              Normalised({1975, 1, 2147483647, 24, 0, 0.0f}));
}


TEST(SkippedMidnight, IsStillNormalised) {
  // Moscow moved its clocks from 00:00 to 01:00 on 1930-06-21: that midnight
  // does not exist, yet an hour of 24 the day before still carries.
  Use_Time_Zone("Europe/Moscow");
  Date_Time t = Normalised({1930, 6, 20, 24, 0, 0.0f});
  EXPECT_EQ(1930, t.Year);
  EXPECT_EQ(6, t.Month);
  EXPECT_EQ(21, t.Day);
  EXPECT_EQ(1, t.Hour);  // the clock reading after the change
  Use_Time_Zone("UTC");
}

TEST(LosAngeles, DaylightSavingShiftsSummerTimes) {
  Use_Time_Zone("America/Los_Angeles");
  Expect_Same({1975, 7, 1, 11, 5, 5.5f}, Normalised({1975, 7, 1, 10, 5, 5.5f}));
  Expect_Same({1975, 7, 2, 1, 0, 0.0f}, Normalised({1975, 7, 1, 24, 0, 0.0f}));
  Expect_Same({1975, 1, 15, 10, 5, 5.5f},
              Normalised({1975, 1, 15, 10, 5, 5.5f}));
  // A change of zone within a run is honoured after a reset.
  Use_Time_Zone("UTC");
  Expect_Same({1975, 7, 1, 10, 5, 5.5f}, Normalised({1975, 7, 1, 10, 5, 5.5f}));
}

// The normalisation done afresh through mktime and localtime, with nothing
// remembered between calls.
Date_Time Uncached(Date_Time t) {
  if (t.Hour == 24) t.Hour = 0, t.Day += 1;
  std::tm calendar{};
  calendar.tm_mday = t.Day;
  calendar.tm_mon = t.Month - 1;
  calendar.tm_year = t.Year - 1900;
  time_t nb_sec = std::mktime(&calendar);
  int32_t whole = static_cast<int32_t>(t.Second);
  nb_sec += t.Hour * 3600 + t.Minute * 60 + whole;
  float sec_f = t.Second - static_cast<float>(whole);
  std::tm local;
  localtime_r(&nb_sec, &local);
  return {local.tm_year + 1900, local.tm_mon + 1,
          local.tm_mday,        local.tm_hour,
          local.tm_min,         static_cast<float>(local.tm_sec) + sec_f};
}

// Remembered midnights must give what a fresh computation gives, for every
// spelling of a date (months and days out of range) and in every zone.
TEST(RememberedMidnights, MatchAFreshComputation) {
  std::mt19937 random(2024);
  for (const char* zone : {"UTC", "America/Los_Angeles", "Europe/London"}) {
    Use_Time_Zone(zone);
    for (int i = 0; i < 20000; ++i) {
      Date_Time t{static_cast<int32_t>(1830 + random() % 240),
                  static_cast<int32_t>(random() % 120) - 9,
                  static_cast<int32_t>(random() % 110) - 9,
                  static_cast<int32_t>(random() % 26),
                  static_cast<int32_t>(random() % 62),
                  static_cast<float>(random() % 7000) / 100.0f};
      SCOPED_TRACE(::testing::Message()
                   << zone << " " << t.Year << "-" << t.Month << "-" << t.Day
                   << " " << t.Hour);
      Expect_Same(Uncached(t), Normalised(t));
    }
  }
}

}  // namespace
