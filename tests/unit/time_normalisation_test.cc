// Calendar normalisation.  Where the C library's calendar is defined (whole
// seconds that fit 32 bits, fields that fit its calendar record), the result
// is what timegm and gmtime_r give for the same count of seconds from the
// date's midnight; outside it, the project's documented choices, written
// out value by value.
#include "reference/time_normalisation.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
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

// The date's midnight from timegm, which carries a day or month outside its
// range itself, plus the clock time in whole seconds (truncated toward
// zero), back through gmtime_r; the fraction of a second is added back
// afterwards, as a fraction kept apart from the calendar.
Date_Time Through_The_C_Library(const Date_Time& t) {
  std::tm calendar{};
  calendar.tm_mday = t.Day;
  calendar.tm_mon = t.Month - 1;
  calendar.tm_year = t.Year - 1900;
  const int64_t whole = static_cast<int64_t>(std::trunc(t.Second));
  const time_t instant = timegm(&calendar) + int64_t{t.Hour} * 3600 +
                         int64_t{t.Minute} * 60 + whole;
  std::tm out;
  EXPECT_NE(nullptr, gmtime_r(&instant, &out)) << t;
  return {
      out.tm_year + 1900,
      out.tm_mon + 1,
      out.tm_mday,
      out.tm_hour,
      out.tm_min,
      static_cast<float>(out.tm_sec) + (t.Second - static_cast<float>(whole))};
}

// Every spelling a sheet can give and more: months, days, hours, minutes and
// seconds out of range or negative, an hour of 24, large seconds.
TEST(TimeNormalisation, EqualsTheCalendarOfTheCLibrary) {
  std::mt19937 random(2024);
  const float kSeconds[] = {0.0f,          59.999f,       60.0f, 60.5f,
                            -0.5f,         -1.5f,         1e9f,  -3e9f / 2,
                            2147483520.0f, -2147483648.0f};
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
}

// The carries that sheets use, and the seconds as read coming back bit for
// bit when nothing carries.
TEST(TimeNormalisation, CarriesOfTheSheets) {
  const struct {
    Date_Time in, out;
  } kCases[] = {
      {{1975, 7, 1, 24, 0, 0.0f}, {1975, 7, 2, 0, 0, 0.0f}},
      {{1975, 12, 31, 23, 59, 60.5f}, {1976, 1, 1, 0, 0, 0.5f}},
      {{1975, 2, 30, 10, 5, 5.5f}, {1975, 3, 2, 10, 5, 5.5f}},
      {{1975, 13, 1, 0, 0, 0.0f}, {1976, 1, 1, 0, 0, 0.0f}},
      {{1975, 7, 1, 10, 5, 75.25f}, {1975, 7, 1, 10, 6, 15.25f}},
      {{1975, 7, 1, 10, 60, 0.0f}, {1975, 7, 1, 11, 0, 0.0f}},
      {{1975, 7, 1, 10, 5, -1.5f}, {1975, 7, 1, 10, 4, 58.5f}},
      {{1975, 7, 1, 10, 5, -0.5f}, {1975, 7, 1, 10, 5, -0.5f}},
      {{1975, 7, 1, 10, 5, 5.5f}, {1975, 7, 1, 10, 5, 5.5f}},
      {{1975, 7, 1, 10, 5, -0.0f}, {1975, 7, 1, 10, 5, 0.0f}},
      {{1976, 2, 29, 24, 0, 0.0f}, {1976, 3, 1, 0, 0, 0.0f}},
      {{1900, 2, 29, 0, 0, 0.0f}, {1900, 3, 1, 0, 0, 0.0f}},
      {{2000, 2, 29, 0, 0, 0.0f}, {2000, 2, 29, 0, 0, 0.0f}},
      {{1975, 1, 0, 0, 0, 0.0f}, {1974, 12, 31, 0, 0, 0.0f}},
      {{1975, 0, 1, -1, 0, 0.0f}, {1974, 11, 30, 23, 0, 0.0f}},
  };
  for (const auto& c : kCases) EXPECT_EQ(c.out, Normalised(c.in)) << c.in;
}

// Where the C library's calendar has no answer: seconds without a 32-bit
// whole part are normalised as if that part were 0 (the value comes back as
// it was), and a date whose year leaves 32 bits, before or after the carry,
// is left as it is.
TEST(TimeNormalisation, BeyondTheCalendar) {
  const float kNan = std::nanf("");
  const struct {
    Date_Time in, out;
  } kCases[] = {
      {{1975, 7, 1, 10, 5, INFINITY}, {1975, 7, 1, 10, 5, INFINITY}},
      {{1975, 7, 1, 10, 5, -INFINITY}, {1975, 7, 1, 10, 5, -INFINITY}},
      {{1975, 7, 1, 24, 5, 1e10f}, {1975, 7, 2, 0, 5, 1e10f}},
      {{1975, 7, 1, 10, 5, 2147483648.0f}, {1975, 7, 1, 10, 5, 2147483648.0f}},
      {{INT32_MAX, 12, 31, 23, 59, 59.0f}, {INT32_MAX, 12, 31, 23, 59, 59.0f}},
      {{INT32_MAX, 12, 31, 24, 0, 0.0f}, {INT32_MAX, 12, 31, 24, 0, 0.0f}},
      {{INT32_MIN, 1, 1, 0, 0, 0.0f}, {INT32_MIN, 1, 1, 0, 0, 0.0f}},
      {{1975, INT32_MIN, 1, 0, 0, 0.0f}, {1975, INT32_MIN, 1, 0, 0, 0.0f}},
      {{1975, 1, INT32_MAX, 24, 0, 0.0f}, {1975, 1, INT32_MAX, 24, 0, 0.0f}},
  };
  for (const auto& c : kCases) EXPECT_EQ(c.out, Normalised(c.in)) << c.in;
  Date_Time nan = Normalised({1975, 7, 1, 10, 5, kNan});
  EXPECT_EQ((Date_Time{1975, 7, 1, 10, 5, 0.0f}),
            (Date_Time{nan.Year, nan.Month, nan.Day, nan.Hour, nan.Minute, 0}));
  EXPECT_TRUE(std::isnan(nan.Second));
}

}  // namespace
