// Calendar normalisation: the plain arithmetic against the C library's own
// calendar (mktime and localtime under UTC), whatever the host's zone.
#include "reference/time_normalisation.h"

#include <gtest/gtest.h>

#include <climits>
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

bool Fits_Int(int64_t v) { return v >= INT_MIN && v <= INT_MAX; }

// The same normalisation through mktime and localtime, in UTC: the midnight
// read with daylight saving off, the clock time added in seconds; a date the
// C library cannot hold is left as it was.
Date_Time Through_The_C_Library(Date_Time t) {
  int64_t hour = t.Hour, mday = t.Day;
  if (hour == 24) hour = 0, mday += 1;
  if (!Fits_Int(int64_t{t.Year} - 1900) || !Fits_Int(int64_t{t.Month} - 1) ||
      !Fits_Int(mday))
    return t;
  std::tm calendar{};
  calendar.tm_mday = static_cast<int>(mday);
  calendar.tm_mon = t.Month - 1;
  calendar.tm_year = t.Year - 1900;
  time_t nb_sec = std::mktime(&calendar);
  if (nb_sec == static_cast<time_t>(-1)) return t;
  const bool finite = t.Second >= -2147483648.0f && t.Second < 2147483648.0f;
  const int32_t whole = finite ? static_cast<int32_t>(t.Second) : 0;
  nb_sec += hour * 3600 + int64_t{t.Minute} * 60 + whole;
  const float sec_f = t.Second - static_cast<float>(whole);
  std::tm local;
  if (localtime_r(&nb_sec, &local) == nullptr ||
      !Fits_Int(int64_t{local.tm_year} + 1900))
    return t;
  return {local.tm_year + 1900, local.tm_mon + 1,
          local.tm_mday,        local.tm_hour,
          local.tm_min,         static_cast<float>(local.tm_sec) + sec_f};
}

// Dates and clock times of every spelling (months, days, hours, minutes and
// seconds out of range, negative, not finite), and the limits of 32 bits.
TEST(TimeNormalisation, EqualsTheCalendarOfTheCLibraryInUtc) {
  setenv("TZ", "UTC", 1);
  tzset();
  std::mt19937 random(2024);
  const float kSeconds[] = {0.0f, -0.0f, 59.999f, 60.0f, 60.5f, -0.5f, -1.5f,
                            1e9f, -3e9f, 2147483520.0f, INFINITY, NAN};
  for (int i = 0; i < 200000; ++i) {
    Date_Time t{static_cast<int32_t>(1830 + random() % 240),
                static_cast<int32_t>(random() % 120) - 9,
                static_cast<int32_t>(random() % 110) - 9,
                static_cast<int32_t>(random() % 110) - 9,
                static_cast<int32_t>(random() % 110) - 9,
                static_cast<float>(random() % 12000) / 100.0f - 10.0f};
    if (i % 8 == 0) t.Second = kSeconds[random() % std::size(kSeconds)];
    if (i % 8 == 1) t.Hour = 24;
    ASSERT_EQ(Through_The_C_Library(t), Normalised(t)) << t;
  }
  for (Date_Time t : {Date_Time{INT32_MIN, 1, 1, 0, 0, 0.0f},
                      Date_Time{INT32_MIN + 1900, 1, 1, 0, 0, 0.0f},
                      Date_Time{INT32_MIN + 1900, 1, 1, -1, 0, 0.0f},
                      Date_Time{INT32_MAX, 12, 31, 23, 59, 59.0f},
                      Date_Time{INT32_MAX, 12, 31, 24, 0, 0.0f},
                      Date_Time{INT32_MAX - 1, 12, 31, 24, 0, 0.0f},
                      Date_Time{1975, INT32_MIN, 1, 0, 0, 0.0f},
                      Date_Time{1975, INT32_MAX, INT32_MAX, 0, 0, 0.0f},
                      Date_Time{1975, 1, INT32_MAX, 24, 0, 0.0f},
                      Date_Time{1975, 1, INT32_MIN, 0, 0, 0.0f}})
    EXPECT_EQ(Through_The_C_Library(t), Normalised(t)) << t;
}

TEST(TimeNormalisation, DoesNotDependOnTheHostsZone) {
  setenv("TZ", "America/Los_Angeles", 1);
  tzset();
  EXPECT_EQ((Date_Time{1975, 7, 1, 10, 5, 5.5f}),
            Normalised({1975, 7, 1, 10, 5, 5.5f}));
  EXPECT_EQ((Date_Time{1975, 7, 2, 0, 0, 0.0f}),
            Normalised({1975, 7, 1, 24, 0, 0.0f}));
  unsetenv("TZ");
  tzset();
  EXPECT_EQ((Date_Time{1976, 1, 1, 0, 0, 0.5f}),
            Normalised({1975, 12, 31, 23, 59, 60.5f}));
  setenv("TZ", "UTC", 1);
  tzset();
}

}  // namespace
