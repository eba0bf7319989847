// Calendar normalisation of a date and clock time read from a sheet: an hour
// of 24, a minute of 60, seconds of 60 and more, a day past the end of its
// month or a month of 13 are carried into the next unit.  Plain calendar
// arithmetic (proleptic Gregorian, no time zone, no daylight saving), so the
// result never depends on the host's zone.
#ifndef TREMVERT_REFERENCE_TIME_NORMALISATION_H_
#define TREMVERT_REFERENCE_TIME_NORMALISATION_H_

#include <cstdint>

// Normalises the six fields in place: the date's midnight, plus the clock
// time in whole seconds (Hour * 3600 + Minute * 60 + the seconds truncated
// toward zero), is turned back into a date and time; the fraction of the
// seconds is carried apart and added back in single precision, so seconds in
// [0, 60) come back bit for bit.  An hour of exactly 24 is first taken as
// hour 0 of the next day.
//
// A Second that is not finite, or whose whole part does not fit 32 bits, has
// no whole part to carry: the whole part is taken as 0 and the value comes
// back unchanged for the checks to judge.  A date whose year, before or after
// the carry, does not fit the 32-bit fields is left as it was.
void Modify_Time(int32_t& Year, int32_t& Month, int32_t& Day, int32_t& Hour,
                 int32_t& Minute, float& Second);

// The days of a month (1 to 12) of a year of the proleptic Gregorian
// calendar.
int Days_In_Month(int64_t year, int32_t month);

// Days since 1970-01-01 of a proleptic Gregorian date, month 1 to 12.
int64_t Days_From_Civil(int64_t y, int64_t m, int64_t d);

#endif  // TREMVERT_REFERENCE_TIME_NORMALISATION_H_
