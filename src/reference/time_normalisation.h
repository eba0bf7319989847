// Calendar normalisation of a date and clock time read from a sheet: an hour
// of 24, a minute of 60, seconds of 60 and more, a day past the end of its
// month or a month of 13 are carried into the next unit, in the host's local
// time zone (exact calendar arithmetic under a zone without daylight saving).
#ifndef TREMVERT_REFERENCE_TIME_NORMALISATION_H_
#define TREMVERT_REFERENCE_TIME_NORMALISATION_H_

#include <cstdint>

// Normalises the six fields in place.  The date is read as local standard
// time at midnight (mktime with daylight saving off), the clock time is added
// in seconds, and the instant is converted back with the local time zone.
//
// A midnight that the zone skipped (its offset changed at midnight) is read
// with the offset in force the day before.  Where the C library cannot
// represent the date at all (mktime or localtime fails), the six fields are
// left as they were.  A Second that is not finite, or whose whole part does not
// fit 32 bits, has no whole part to carry: the whole part is taken as 0 and the
// value is carried as the fraction, so it comes back unchanged for the checks
// to judge.
void Modify_Time(int32_t& Year, int32_t& Month, int32_t& Day, int32_t& Hour,
                 int32_t& Minute, float& Second);

// Forgets the midnights remembered from earlier calls and re-reads the TZ
// setting.  A run calls it once at its start; tests call it after changing TZ.
void Reset_Time_Zone();

#endif  // TREMVERT_REFERENCE_TIME_NORMALISATION_H_
