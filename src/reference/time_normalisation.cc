// Calendar normalisation through mktime and localtime.  See the header.
#include "reference/time_normalisation.h"

#include <climits>
#include <cmath>
#include <ctime>

namespace {

// mktime's result for a date cannot change within a run, and it is costly
// under a zone with daylight saving, so the latest date's midnight is kept.
struct Midnight_Cache {
  bool valid = false;
  int year = 0, mon = 0, mday = 0;
  time_t midnight = 0;
};
Midnight_Cache cache;

bool Fits_Int(int64_t v) { return v >= INT_MIN && v <= INT_MAX; }

// The instant of the date's midnight, read as local standard time; false when
// the C library cannot represent it.
bool Local_Midnight(int64_t year, int64_t mon, int64_t mday, time_t& out) {
  if (!Fits_Int(year) || !Fits_Int(mon) || !Fits_Int(mday)) return false;
  if (cache.valid && cache.year == year && cache.mon == mon &&
      cache.mday == mday) {
    out = cache.midnight;
    return true;
  }
  std::tm calendar{};
  calendar.tm_isdst = 0;
  calendar.tm_sec = 0;
  calendar.tm_min = 0;
  calendar.tm_hour = 0;
  calendar.tm_mon = static_cast<int>(mon);
  calendar.tm_year = static_cast<int>(year);
  calendar.tm_mday = static_cast<int>(mday);
  time_t nb_sec = std::mktime(&calendar);
  if (nb_sec == static_cast<time_t>(-1)) return false;
  cache = {true, static_cast<int>(year), static_cast<int>(mon),
           static_cast<int>(mday), nb_sec};
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
  cache = Midnight_Cache{};
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
