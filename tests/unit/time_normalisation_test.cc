// Calendar normalisation: the remembered midnights against a fresh mktime,
// a midnight that the zone skipped, and seconds without a whole part.
#include "reference/time_normalisation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>

namespace {

struct Date_Time {
  int32_t Year, Month, Day, Hour, Minute;
  float Second;
  bool operator==(const Date_Time& o) const {  // seconds bit for bit
    return Year == o.Year && Month == o.Month && Day == o.Day &&
           Hour == o.Hour && Minute == o.Minute &&
           std::memcmp(&Second, &o.Second, sizeof Second) == 0;
  }
};

std::ostream& operator<<(std::ostream& os, const Date_Time& t) {
  return os << t.Year << "-" << t.Month << "-" << t.Day << " " << t.Hour << ":"
            << t.Minute << ":" << t.Second;
}

Date_Time Normalised(Date_Time t) {
  Modify_Time(t.Year, t.Month, t.Day, t.Hour, t.Minute, t.Second);
  return t;
}

void Use_Time_Zone(const char* tz) {
  setenv("TZ", tz, 1);
  Reset_Time_Zone();
}

// The normalisation done afresh through mktime and localtime.
Date_Time Fresh(Date_Time t) {
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

// Every spelling of a date (months and days out of range), in every zone.
TEST(TimeNormalisation, RememberedMidnightsMatchAFreshComputation) {
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
      ASSERT_EQ(Fresh(t), Normalised(t)) << zone << " " << t;
    }
  }
}

TEST(TimeNormalisation, SkippedMidnightIsReadWithTheDayBeforesOffset) {
  // Moscow moved its clocks from 00:00 to 01:00 on 1930-06-21: that midnight
  // does not exist, yet an hour of 24 the day before still carries.
  Use_Time_Zone("Europe/Moscow");
  EXPECT_EQ((Date_Time{1930, 6, 21, 1, 0, 0.0f}),
            Normalised({1930, 6, 20, 24, 0, 0.0f}));
  Use_Time_Zone("UTC");
}

TEST(TimeNormalisation, SecondsWithoutAWholePartComeBackUnchanged) {
  Use_Time_Zone("UTC");
  EXPECT_EQ((Date_Time{1975, 7, 1, 10, 5, INFINITY}),
            Normalised({1975, 7, 1, 10, 5, INFINITY}));
  EXPECT_EQ((Date_Time{1975, 7, 2, 0, 0, 3e9f}),
            Normalised({1975, 7, 1, 24, 0, 3e9f}));
  EXPECT_EQ((Date_Time{INT32_MIN, 1, 1, 0, 0, 0.0f}),  // no such date
            Normalised({INT32_MIN, 1, 1, 0, 0, 0.0f}));
}

}  // namespace
