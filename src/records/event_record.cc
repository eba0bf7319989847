// Event records.  See the header.
#include "records/event_record.h"

#include <cmath>
#include <string>

#include "records/catalog_record.h"
#include "records/misreadings.h"
#include "records/seconds_text.h"
#include "reference/time_normalisation.h"
#include "reference/validity_checks.h"
#include "text/fields.h"
#include "text/fixed_point.h"
#include "text/numbers.h"
#include "text/record_text.h"

namespace {

// A latitude or longitude token in decimal degrees or in the degrees-minutes
// form DD-MMMM / DDD-MMMM, as degrees (not negated).  A leading sign belongs
// to the whole value.  Computed in double precision, rounded once.  `whole`,
// when given, tells whether every character of the token was read.
float Read_Coordinate(std::string_view token, bool* whole = nullptr) {
  // A hyphen after the first character marks the degrees-minutes form; a
  // token whose only hyphen is its first character is a negative decimal.
  std::string_view body = token;
  bool negative = false;
  if (!body.empty() && (body[0] == '-' || body[0] == '+')) {
    negative = body[0] == '-';
    body.remove_prefix(1);
  }
  size_t hyphen = body.find('-');
  if (hyphen == std::string_view::npos) {  // no minutes: they add 0 (-0: +0)
    if (whole != nullptr) *whole = Is_Whole_Real(token);
    return static_cast<float>(Read_Real(token) + 0.0);
  }
  std::string_view degrees = body.substr(0, hyphen);
  std::string_view minutes = body.substr(hyphen + 1);
  if (whole != nullptr)
    *whole = !degrees.empty() && !minutes.empty() && Is_Whole_Real(degrees) &&
             Is_Whole_Real(minutes);
  double value = Read_Real(degrees) + Read_Real(minutes) / 60;
  return static_cast<float>(negative ? -value : value);
}

bool Is_Whole_Coordinate(std::string_view token) {
  bool whole;
  Read_Coordinate(token, &whole);
  return whole;
}

// Reports the first of the fields that the event cannot do without that the
// line lacks or that is malformed; false when the line can be converted.
bool Report_Form(int EventId, std::string_view date, std::string_view time,
                 std::string_view latitude, std::string_view longitude,
                 Out_Buffer& f_err) {
  const char* missing = date.empty()        ? "Date"
                        : time.empty()      ? "Time"
                        : latitude.empty()  ? "Latitude"
                        : longitude.empty() ? "Longitude"
                                            : nullptr;
  if (missing != nullptr) {
    Put_Format(f_err, "\n Error Event %d --- %s missing.", EventId, missing);
    return true;
  }
  const char* bad_name = nullptr;
  std::string_view bad;
  if (date.size() != 6)
    bad_name = "Date", bad = date;
  else if (time.size() < 4)
    bad_name = "Time", bad = time;
  if (bad_name == nullptr) return false;
  Put_Format(f_err, "\n Error Event %d --- %s = ", EventId, bad_name);
  Put_Text(f_err, bad);  // as it is, NUL bytes and all
  Put_Char(f_err, '.');
  return true;
}

struct Event_Tokens {
  std::string_view date, time, latitude, longitude, depth, mag;
};

// What the line gives that is probably misread, for the sheet checker.
void Warn_Event(const Conversion_State& s, const Event_Tokens& t,
                const Clock& read) {
  std::vector<std::string>& w = *s.Warnings;
  if (!Is_Whole_Int(t.date.substr(0, 2)) ||
      !Is_Whole_Int(t.date.substr(2, 2)) || !Is_Whole_Int(t.date.substr(4, 2)))
    w.push_back(Quoted("date", t.date) + " read as " + Date_Text(read));
  if (!Is_Whole_Time(t.time))
    w.push_back(Quoted("time", t.time) + " read as " + Time_Text(read));
  if (!Is_Whole_Coordinate(t.latitude))
    w.push_back(Quoted("latitude", t.latitude) + " read as " +
                Fixed_Text(s.Latitude, 5, true));
  if (!Is_Whole_Coordinate(t.longitude))
    w.push_back(Quoted("longitude", t.longitude) + " read as " +
                Fixed_Text(s.Longitude, 5, true));
  if (!Is_Whole_Real(t.depth))
    w.push_back(Quoted("depth", t.depth) + " read as " +
                Fixed_Text(s.Depth, 4));
  if (!Is_Whole_Real(t.mag))
    w.push_back(Quoted("magnitude", t.mag) + " read as " +
                Fixed_Text(s.Mag, 2));
  const Clock now{s.Year, s.Month, s.Day, s.Hour, s.Minute, s.Second};
  if (Is_Beyond_Calendar(read))
    w.push_back(Quoted("date", t.date) + " is no calendar date: dated " +
                Date_Text(now));
  if (Is_Carried(read, now))
    w.push_back(Quoted("time", t.time) + " carried to " + Clock_Text(now));
}

}  // namespace

void Convert_Event(std::string_view info, Conversion_State& s,
                   Out_Buffer& f_err, Out_Buffer& f_cnss) {
  Field_Cursor c = Fields_Of_Sheet_Line(info);
  std::string_view date = Next_Field(c);
  std::string_view time = Next_Field(c);
  std::string_view latitude = Next_Field(c);
  std::string_view longitude = Next_Field(c);
  std::string_view depth = Next_Field(c);
  std::string_view mag = Next_Field(c);

  // EventId and C_EventId hold 1 and "1" for the whole run.
  if (Report_Form(s.EventId, date, time, latitude, longitude, f_err)) {
    s.Flag = 0;
    return;
  }

  s.Month = Read_Int(date.substr(0, 2));
  s.Day = Read_Int(date.substr(2, 2));
  s.Year = Read_Int(date.substr(4, 2)) + 1900;
  s.Hour = Read_Int(time.substr(0, 2));
  s.Minute = Read_Int(time.substr(2, 2));
  s.Second = static_cast<float>(Read_Real(time.substr(4)));
  s.Latitude = Read_Coordinate(latitude);
  s.Longitude = -Read_Coordinate(longitude);
  s.Depth = static_cast<float>(Read_Real(depth));
  s.Mag = static_cast<float>(Read_Real(mag));

  char depth_text[kFixed_Room] = "        ";
  std::string_view C_Depth(depth_text, 8);
  if (s.Depth != 0.0f)  // "%8.4f"
    C_Depth = {depth_text, Format_Fixed(depth_text, s.Depth, 8, 4, false)};
  Format_Seconds(s.Second, s.C_Second);

  const Clock read{s.Year, s.Month, s.Day, s.Hour, s.Minute, s.Second};
  Modify_Time(s.Year, s.Month, s.Day, s.Hour, s.Minute, s.Second);
  if (s.Warnings != nullptr)
    Warn_Event(s, {date, time, latitude, longitude, depth, mag}, read);
  s.Flag = Test_Event(s.EventId, s.Year, s.Month, s.Day, s.Hour, s.Minute,
                      s.Second, s.Latitude, s.Longitude, s.Depth, f_err) != 0;
  if (!s.Flag) return;
  if (C_Depth.size() > 8 || std::isinf(s.Depth)) {
    // A depth of 1000 km or more has no room in its eight columns (an
    // infinite one would fit them as "inf", but is no depth either).
    Put_Format(f_err, "\n Error Event %d --- Depth = %f.", s.EventId,
               static_cast<double>(s.Depth));
    s.Flag = 0;
    return;
  }

  // "$beg\n$locP%4d%02d%02d%02d%02d%7.7s%+9.5f%+10.5f%8sHRQV "
  // "%4s%3s%10s%7s%7s%7s%7s%c%c%-8s%12s\n" with Year, Month, Day, Hour,
  // Minute, C_Second, Latitude, Longitude, C_Depth, seven empty texts, 'L',
  // ' ', eight blanks, C_EventId.
  Out_Buffer& r = f_cnss;
  Put_Text(r, "$beg\n$locP");
  Put_Date(r, s.Year, s.Month, s.Day);
  Put_Two_Digits(r, s.Hour);
  Put_Two_Digits(r, s.Minute);
  Put_Right(r, std::string_view(s.C_Second).substr(0, 7), 7);
  Put_Fixed(r, s.Latitude, 9, 5, true);
  Put_Fixed(r, s.Longitude, 10, 5, true);
  Put_Right(r, C_Depth, 8);
  Put_Text(r, "HRQV ");
  Put_Blanks(r, 4 + 3 + 10 + 7 + 7 + 7 + 7);
  Put_Char(r, 'L');
  Put_Char(r, ' ');
  Put_Left(r, "        ", 8);
  Put_Record_End(r, s.C_EventId);

  // "$magP%5.2fl2QV %4s                 %12s\n" with Mag, "", C_EventId.
  if (s.Mag != 0.0f) {
    Put_Text(r, "$magP");
    Put_Fixed(r, s.Mag, 5, 2, false);
    Put_Text(r, "l2QV ");
    Put_Blanks(r, 4 + 17);
    Put_Record_End(r, s.C_EventId);
  }
}
