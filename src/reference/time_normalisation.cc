// Calendar normalisation by plain arithmetic.  See the header.
#include "reference/time_normalisation.h"

#include <cassert>
#include <climits>
#include <cmath>

namespace {

// Floor division and the matching remainder, for negative values too.
int64_t Floor_Div(int64_t a, int64_t b) {
  return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

// The date of a day counted from 1970-01-01.
void Civil_From_Days(int64_t z, int64_t& y, int64_t& m, int64_t& d) {
  z += 719468;
  const int64_t era = Floor_Div(z, 146097);
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  assert(m >= 1 && m <= 12 && d >= 1 && d <= 31);
  y = yoe + era * 400 + (m <= 2);
}

bool Fits_Int(int64_t v) { return v >= INT_MIN && v <= INT_MAX; }

// Whole seconds, truncated toward zero; 0 where there is no 32-bit whole part.
int32_t Whole_Seconds(float Second) {
  if (!(Second >= -2147483648.0f && Second < 2147483648.0f)) return 0;
  return static_cast<int32_t>(Second);
}

}  // namespace

int64_t Days_From_Civil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  const int64_t era = Floor_Div(y, 400);
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

int Days_In_Month(int64_t year, int32_t month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  assert(month >= 1 && month <= 12);
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return kDays[month - 1] + (month == 2 && leap);
}

void Modify_Time(int32_t& Year, int32_t& Month, int32_t& Day, int32_t& Hour,
                 int32_t& Minute, float& Second) {
  // Most readings are already in calendar order: nothing to carry.  Negative
  // zero seconds are not: the split below turns them into +0.
  if (Hour >= 0 && Hour < 24 && Minute >= 0 && Minute < 60 && Second >= 0.0f &&
      Second < 60.0f && !std::signbit(Second) && Month >= 1 && Month <= 12 &&
      Day >= 1 && Day <= 28)
    return;

  // A calendar date whose clock time carries no further than its own day
  // (seconds of 60 and more, minutes of 60 and more, most often): the date
  // stays, and the time is what the arithmetic below would give.
  const int32_t whole_seconds = Whole_Seconds(Second);
  if (Month >= 1 && Month <= 12 && Day >= 1 &&
      Day <= Days_In_Month(Year, Month) && Hour != 24 &&
      int64_t{Year} - 1900 >= INT_MIN) {
    const int64_t in_day =
        int64_t{Hour} * 3600 + int64_t{Minute} * 60 + whole_seconds;
    if (in_day >= 0 && in_day < 86400) {
      assert(Hour != 24);
      const float sec_f = Second - static_cast<float>(whole_seconds);
      Hour = static_cast<int32_t>(in_day / 3600);
      Minute = static_cast<int32_t>(in_day / 60 % 60);
      Second = static_cast<float>(in_day % 60) + sec_f;
      return;
    }
  }

  int64_t hour = Hour;
  int64_t day = Day;
  if (hour == 24) {  // an hour of 24 is the midnight that ends the day
    hour = 0;
    day += 1;
  }
  // The dates that are left as they were are those that the C library's
  // calendar record cannot hold: the fields, counted as it counts them (years
  // from 1900, months from 0), must fit an int, before and after the carry,
  // and so must the resulting year itself.
  const int64_t month0 = int64_t{Month} - 1;
  if (!Fits_Int(int64_t{Year} - 1900) || !Fits_Int(month0) || !Fits_Int(day))
    return;
  // The midnight of the date, with a month outside 1 to 12 carried into the
  // year and a day outside its month carried into the next months.
  const int64_t years = Floor_Div(month0, 12);
  const int64_t days =
      Days_From_Civil(Year + years, month0 - years * 12 + 1, 1) + day - 1;
  int64_t y, m, d;
  Civil_From_Days(days, y, m, d);
  if (!Fits_Int(y - 1900)) return;

  // The clock time in whole seconds; the fraction is carried apart.
  const int32_t whole = Whole_Seconds(Second);
  const float sec_f = Second - static_cast<float>(whole);
  const int64_t nb_sec =
      days * 86400 + hour * 3600 + int64_t{Minute} * 60 + whole;

  const int64_t day_of = Floor_Div(nb_sec, 86400);
  const int64_t in_day = nb_sec - day_of * 86400;
  assert(in_day >= 0 && in_day < 86400);
  Civil_From_Days(day_of, y, m, d);
  if (!Fits_Int(y - 1900) || !Fits_Int(y)) return;
  Year = static_cast<int32_t>(y);
  Month = static_cast<int32_t>(m);
  Day = static_cast<int32_t>(d);
  Hour = static_cast<int32_t>(in_day / 3600);
  Minute = static_cast<int32_t>(in_day / 60 % 60);
  Second = static_cast<float>(in_day % 60) + sec_f;
}
