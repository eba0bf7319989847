// Calendar normalisation through mktime and localtime.  See the header.
#include "reference/time_normalisation.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <ctime>
#include <limits>
#include <vector>

namespace {

bool Fits_Int(int64_t v) { return v >= INT_MIN && v <= INT_MAX; }

// Days since 1970-01-01 of a proleptic Gregorian date, month 1 to 12.
int64_t Days_From_Civil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

// mktime's result for a date cannot change within a run, and it is costly
// under a zone with daylight saving (and with TZ unset, where it looks at the
// zone file each time), so the midnights of the dates a sheet can reach are
// kept, indexed by day.  mktime reads an out-of-range month or day as the
// date they carry to, so the day of the carried date is the key.
constexpr int64_t kFirstDay = -43829;  // 1850-01-01
constexpr int64_t kLastDay = 29219;    // 2049-12-31
constexpr time_t kUnknown = std::numeric_limits<time_t>::min();
std::vector<time_t> midnights;
bool midnights_used = false;

// The instant of the date's midnight, read as local standard time; false when
// the C library cannot represent it.
bool Local_Midnight(int64_t year, int64_t mon, int64_t mday, time_t& out) {
  if (!Fits_Int(year) || !Fits_Int(mon) || !Fits_Int(mday)) return false;
  const int64_t years = mon >= 0 ? mon / 12 : (mon - 11) / 12;
  const int64_t day =
      Days_From_Civil(1900 + year + years, mon - years * 12 + 1, 1) + mday - 1;
  time_t* remembered = nullptr;
  if (day >= kFirstDay && day <= kLastDay) {
    if (midnights.empty()) midnights.assign(kLastDay - kFirstDay + 1, kUnknown);
    midnights_used = true;
    remembered = &midnights[day - kFirstDay];
    if (*remembered != kUnknown) {
      out = *remembered;
      return true;
    }
  }
  std::tm calendar{};
  calendar.tm_isdst = 0;
  calendar.tm_sec = 0;
  calendar.tm_min = 0;
  calendar.tm_hour = 0;
  calendar.tm_mon = static_cast<int>(mon);
  calendar.tm_year = static_cast<int>(year);
  calendar.tm_mday = static_cast<int>(mday);
  std::tm day_before = calendar;
  time_t nb_sec = std::mktime(&calendar);
  if (nb_sec == static_cast<time_t>(-1) && day_before.tm_mday > INT_MIN) {
    // A midnight that the zone skipped when its offset changed (Moscow on
    // 1930-06-21) cannot be read: it is taken 24 hours after the midnight
    // before it, that is with the offset in force before the change, so the
    // result carries the change as it does for any change of offset
    // between a midnight and the reading.
    --day_before.tm_mday;
    nb_sec = std::mktime(&day_before);
    if (nb_sec == static_cast<time_t>(-1)) return false;
    nb_sec += 86400;
  }
  if (remembered != nullptr) *remembered = nb_sec;
  out = nb_sec;
  return true;
}

// Whole seconds, truncated toward zero; 0 where there is no 32-bit whole part.
int32_t Whole_Seconds(float Second) {
  if (!(Second >= -2147483648.0f && Second < 2147483648.0f)) return 0;
  return static_cast<int32_t>(Second);
}

}  // namespace

void Reset_Time_Zone() {
  tzset();
  if (midnights_used) std::fill(midnights.begin(), midnights.end(), kUnknown);
  midnights_used = false;
}

void Modify_Time(int32_t& Year, int32_t& Month, int32_t& Day, int32_t& Hour,
                 int32_t& Minute, float& Second) {
  int64_t hour = Hour;
  int64_t day = Day;
  if (hour == 24) {  // an hour of 24 is the midnight that ends the day
    hour = 0;
    day += 1;
  }
  time_t nb_sec;
  if (!Local_Midnight(int64_t{Year} - 1900, int64_t{Month} - 1, day, nb_sec))
    return;

  int32_t whole = Whole_Seconds(Second);
  nb_sec += hour * 3600 + int64_t{Minute} * 60 + whole;
  float sec_f = Second - static_cast<float>(whole);

  std::tm local;
  if (localtime_r(&nb_sec, &local) == nullptr) return;
  if (!Fits_Int(int64_t{local.tm_year} + 1900)) return;
  Year = local.tm_year + 1900;
  Month = local.tm_mon + 1;
  Day = local.tm_mday;
  Hour = local.tm_hour;
  Minute = local.tm_min;
  Second = static_cast<float>(local.tm_sec) + sec_f;
}
