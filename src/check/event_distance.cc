// Readings dated away from their event.  See the header.
#include "check/event_distance.h"

#include <cmath>
#include <cstdio>

#include "records/misreadings.h"
#include "reference/time_normalisation.h"
#include "text/record_text.h"

namespace {

int64_t Day_Of(const Clock& c) {
  return Days_From_Civil(c.Year, c.Month, c.Day);
}

bool Same_Date(const Clock& a, const Clock& b) {
  return a.Year == b.Year && a.Month == b.Month && a.Day == b.Day;
}

// Seconds from the origin to the clock (negative before it); most readings
// are on the origin's date, which needs no calendar.
double Seconds_After(const Event_Distance& d, const Clock& c) {
  const Clock& o = d.origin;
  const double in_day = (static_cast<double>(c.Hour) - o.Hour) * 3600.0 +
                        (c.Minute - o.Minute) * 60.0 +
                        (static_cast<double>(c.Second) - o.Second);
  if (Same_Date(c, o)) return in_day;
  return static_cast<double>(Day_Of(c) - d.origin_day) * 86400 + in_day;
}

bool Near(const Event_Distance& d, const Clock& c) {
  const double after = Seconds_After(d, c);
  return after >= -kMost_Before_Origin && after <= kMost_After_Origin;
}

std::string Clock_Text(const Clock& c) {
  return Date_Text(c) + " " + Time_Text(c);
}

// "24:00:30.5000": a span of seconds as hours, minutes and seconds.
std::string Span_Text(double seconds) {
  const double whole = std::floor(seconds);
  const long long s = static_cast<long long>(whole);
  char text[64];
  std::snprintf(text, sizeof text, "%lld:%02lld:%07.4f", s / 3600, s / 60 % 60,
                static_cast<double>(s % 60) + (seconds - whole));
  return text;
}

// The clock that the reading's written time gives on the day `days` after
// the date of `from`.
Clock Counted_From(const Clock& from, const Clock& read, int days) {
  Clock c{from.Year, from.Month,  from.Day + days,
          read.Hour, read.Minute, read.Second};
  Modify_Time(c.Year, c.Month, c.Day, c.Hour, c.Minute, c.Second);
  return c;
}

}  // namespace

void After_Event(Event_Distance& d, const Conversion_State& s, long line,
                 bool converted) {
  d.event_line = converted ? line : 0;
  d.origin = {s.Year, s.Month, s.Day, s.Hour, s.Minute, s.Second};
  d.origin_day = Day_Of(d.origin);
  d.moved_by = 0;
}

std::string After_Phase(Event_Distance& d, const Conversion_State& s, long line,
                        bool written) {
  const Clock dated{s.Year, s.Month, s.Day, s.Hour, s.Minute, s.Second};
  const long moved_before = d.moved_by;
  if (!Same_Date(dated, d.entry)) d.moved_by = line;
  if (!written || d.event_line == 0 || Near(d, dated)) return {};
  const double after = Seconds_After(d, dated);
  if (std::isnan(after)) return {};  // seconds that are no number
  std::string text = "reading dated " + Clock_Text(dated) + ", " +
                     Span_Text(std::fabs(after)) +
                     (after < 0 ? " before" : " after") +
                     " its event at line " + std::to_string(d.event_line);
  if (moved_before != 0 && !Same_Date(d.entry, d.origin))
    text += " (line " + std::to_string(moved_before) + " moved the date to " +
            Date_Text(d.entry) + ")";
  // Where the written time lands counted from the event's date, or the day
  // after it (a reading after midnight written without hour 24), or before.
  const Clock& read = s.Read_Clock;
  for (int days : {0, 1, -1}) {
    const Clock meant = Counted_From(d.origin, read, days);
    if (!Near(d, meant)) continue;
    text += days == 0
                ? ": counted from the event's date it reads "
                : ": a day " + std::string(days > 0 ? "later" : "earlier") +
                      " it reads ";
    text += Clock_Text(meant);
    // The time to write from the date the line starts on, when only the
    // hour has to change.
    const int64_t hour = meant.Hour + 24 * (Day_Of(meant) - Day_Of(d.entry));
    if (read.Minute >= 0 && read.Minute < 60 && read.Second >= 0.0f &&
        read.Second < 60.0f && hour >= 0 && hour <= 24 &&
        s.Time_Field.size() >= 4) {
      char digits[4];
      Set_Two_Digits(digits, static_cast<int>(hour));
      Set_Two_Digits(digits + 2, meant.Minute);
      text += ", as \"" + std::string(digits, 4) +
              std::string(s.Time_Field.substr(4)) + "\" would";
    }
    break;
  }
  return text;
}

std::string After_Amplitude(const Event_Distance& d,
                            const Conversion_State& s) {
  if (d.event_line == 0) return {};
  const Clock dated{s.Year, s.Month, s.Day, 0, 0, 0.0f};
  if (Same_Date(dated, d.origin)) return {};
  const int64_t days = Day_Of(dated) - d.origin_day;
  if (days >= 0 && days <= 1) return {};
  std::string text = "amplitudes dated " + Date_Text(dated) + ", " +
                     std::to_string(days < 0 ? -days : days) +
                     (days == 1 || days == -1 ? " day " : " days ") +
                     (days < 0 ? "before" : "after") +
                     " the day of its event at line " +
                     std::to_string(d.event_line);
  if (d.moved_by != 0)
    text += " (line " + std::to_string(d.moved_by) + " moved the date)";
  return text;
}
