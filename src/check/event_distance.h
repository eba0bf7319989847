// Readings dated away from their event.  A reading whose time carries past
// midnight moves the date for every later reading of its event, as the
// converter's rule is; a sheet that writes every reading after midnight with
// hour 24 thus gets its second such reading a day late, and the next one two
// days.  The checker follows the event's origin and the date that travels
// from line to line, and warns each record that lands far from its event.
#ifndef TREMVERT_CHECK_EVENT_DISTANCE_H_
#define TREMVERT_CHECK_EVENT_DISTANCE_H_

#include <cstdint>
#include <string>

#include "records/conversion_state.h"

// A $pic record may be dated this long before its event's origin...
inline constexpr double kMost_Before_Origin = 60;
// ...or this long after it, in seconds; a $amp record on the origin's day or
// the next.
inline constexpr double kMost_After_Origin = 3600;

// What the checker keeps of the latest event and of the date since.
struct Event_Distance {
  long event_line = 0;  // 0: no converted event yet
  Clock origin{};
  int64_t origin_day = 0;  // days since 1970-01-01 of the origin's date
  long moved_by = 0;       // the latest line that moved the date, or 0
  Clock entry{};           // the state's date before the current line
};

// Before each phase line: takes the state's date.
inline void Before_Phase(Event_Distance& d, const Conversion_State& s) {
  d.entry.Year = s.Year;
  d.entry.Month = s.Month;
  d.entry.Day = s.Day;
}

// Whether a phase line left the date as it found it, on the origin's date,
// and within the minutes after the origin that need no closer look: most
// readings.
inline bool Is_Usual_Phase(const Event_Distance& d, const Conversion_State& s) {
  const int64_t in_day = (int64_t{s.Hour} - d.origin.Hour) * 3600 +
                         (int64_t{s.Minute} - d.origin.Minute) * 60;
  return s.Day == d.entry.Day && s.Month == d.entry.Month &&
         s.Year == d.entry.Year && s.Day == d.origin.Day &&
         s.Month == d.origin.Month && s.Year == d.origin.Year && in_day >= 0 &&
         in_day < kMost_After_Origin - 60;
}

// After an event record: takes its origin when it was converted.
void After_Event(Event_Distance& d, const Conversion_State& s, long line,
                 bool converted);

// After a phase line that reached the normalisation: notes whether it moved
// the date, and when its record was written far from the event, returns the
// warning (else the empty text).
std::string After_Phase(Event_Distance& d, const Conversion_State& s, long line,
                        bool written);

// Whether the state's date is the origin's: amplitudes then need no closer
// look.
inline bool Is_On_Origin_Date(const Event_Distance& d,
                              const Conversion_State& s) {
  return s.Day == d.origin.Day && s.Month == d.origin.Month &&
         s.Year == d.origin.Year;
}

// After an amplitude line that wrote records: the warning when they are
// dated before the origin's day or more than a day after it.
std::string After_Amplitude(const Event_Distance& d, const Conversion_State& s);

#endif  // TREMVERT_CHECK_EVENT_DISTANCE_H_
