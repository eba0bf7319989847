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

// How a coordinate token was read, for the sheet checker.
struct Coordinate_Reading {
  bool whole = true;            // every character of it, as decimals
  bool minutes_beyond = false;  // minutes of 60 or more
  bool minutes_negative = false;
};

// A latitude or longitude token in decimal degrees or in the degrees-minutes
// form DD-MMMM / DDD-MMMM, as degrees (not negated).  A leading sign belongs
// to the whole value.  Computed in double precision, rounded once.
float Read_Coordinate(std::string_view token,
                      Coordinate_Reading* how = nullptr) {
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
    if (how != nullptr) how->whole = Is_Decimal(token);
    return static_cast<float>(Read_Real(token) + 0.0);
  }
  std::string_view degrees = body.substr(0, hyphen);
  std::string_view minutes = body.substr(hyphen + 1);
  const double minutes_value = Read_Real(minutes);
  if (how != nullptr) {
    how->whole = !degrees.empty() && !minutes.empty() && Is_Decimal(degrees) &&
                 Is_Decimal(minutes);
    how->minutes_beyond = minutes_value >= 60;
    how->minutes_negative = minutes_value < 0;
  }
  double value = Read_Real(degrees) + minutes_value / 60;
  return static_cast<float>(negative ? -value : value);
}

// The warnings of a latitude or longitude token, read as `how` says.
void Warn_Coordinate(std::vector<std::string>& w, const char* field,
                     std::string_view token, const Coordinate_Reading& how,
                     float written) {
  if (!how.whole)
    w.push_back(Quoted(field, token) + " read as " +
                Fixed_Text(written, 5, true));
  else if (how.minutes_beyond)
    w.push_back(Quoted(field, token) + " has minutes of 60 or more: read as " +
                Fixed_Text(written, 5, true));
  else if (how.minutes_negative)
    w.push_back(Quoted(field, token) +
                " has negative minutes, subtracted from the degrees: read as " +
                Fixed_Text(written, 5, true));
}

// Whether the line has the form of an event: true when it can be converted;
// otherwise false, with the first of the fields that the event cannot do
// without that the line lacks or that is malformed reported in the error log.
bool Check_Form(int EventId, std::string_view date, std::string_view time,
                std::string_view latitude, std::string_view longitude,
                Out_Buffer& f_err) {
  const char* missing = date.empty()        ? "Date"
                        : time.empty()      ? "Time"
                        : latitude.empty()  ? "Latitude"
                        : longitude.empty() ? "Longitude"
                                            : nullptr;
  if (missing != nullptr) {
    Put_Format(f_err, "\n Error Event %d --- %s missing.", EventId, missing);
    return false;
  }
  const char* bad_name = nullptr;
  std::string_view bad;
  if (date.size() != 6)
    bad_name = "Date", bad = date;
  else if (time.size() < 4)
    bad_name = "Time", bad = time;
  if (bad_name == nullptr) return true;
  Put_Format(f_err, "\n Error Event %d --- %s = ", EventId, bad_name);
  Put_Text(f_err, bad);  // as it is, NUL bytes and all
  Put_Char(f_err, '.');
  return false;
}

struct Event_Tokens {
  std::string_view date, time, latitude, longitude, depth, mag, after_mag;
  Coordinate_Reading latitude_read, longitude_read;
};

// What the line gives that is probably misread, for the sheet checker;
// `written`: whether the event's records were written.
void Warn_Event(const Conversion_State& s, const Event_Tokens& t,
                const Clock& read, bool written) {
  std::vector<std::string>& w = *s.Warnings;
  if (!Is_Digits(t.date))
    w.push_back(Quoted("date", t.date) + " read as " + Date_Text(read));
  if (t.time.size() == 4 && !t.after_mag.empty() && Is_Digits(t.time) &&
      Is_Decimal(t.latitude) &&
      t.latitude.find('-') == std::string_view::npos) {
    // "1005 05.5": the seconds stand apart, and every later field takes the
    // token of the field before it.
    const char* begin = t.time.data();
    const std::string_view split(begin,
                                 t.latitude.data() + t.latitude.size() - begin);
    w.push_back(Quoted("time", split) + " is split by a blank: read as " +
                Time_Text(read) + ", the seconds as latitude " +
                Fixed_Text(s.Latitude, 5, true) +
                " and each later field as the one before it");
    return;  // the later fields' warnings would all be of the shift
  }
  if (!Is_Whole_Time(t.time))
    w.push_back(Quoted("time", t.time) + " read as " + Time_Text(read));
  Warn_Coordinate(w, "latitude", t.latitude, t.latitude_read, s.Latitude);
  Warn_Coordinate(w, "longitude", t.longitude, t.longitude_read, s.Longitude);
  if (!Is_Decimal(t.depth))
    w.push_back(Quoted("depth", t.depth) + " read as " +
                Fixed_Text(s.Depth, 4));
  if (!Is_Decimal(t.mag))
    w.push_back(Quoted("magnitude", t.mag) + " read as " +
                Fixed_Text(s.Mag, 2));
  else if (std::isinf(s.Mag) && std::isfinite(Read_Real(t.mag)))
    w.push_back(Quoted("magnitude", t.mag) +
                " is beyond single precision: written as " +
                Fixed_Text(s.Mag, 2));
  else if (s.Mag == 0.0f && Read_Real(t.mag) != 0.0)
    w.push_back(Quoted("magnitude", t.mag) +
                " is below single precision: read as 0, no $mag record");
  const Clock now{s.Year, s.Month, s.Day, s.Hour, s.Minute, s.Second};
  if (Is_Beyond_Calendar(read))
    w.push_back(Quoted("date", t.date) + " is no calendar date: dated " +
                Date_Text(now));
  std::string carried = Carry_Warning(
      t.time, read, now,
      written ? std::string_view(s.C_Second) : std::string_view());
  if (!carried.empty()) w.push_back(std::move(carried));
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
  const std::string_view after_mag =
      s.Warnings != nullptr ? Next_Field(c) : std::string_view();

  // EventId and C_EventId hold 1 and "1" for the whole run.
  const size_t log_at = f_err.size;
  if (!Check_Form(s.EventId, date, time, latitude, longitude, f_err)) {
    Note_Message(s, log_at, true);
    s.Flag = 0;
    return;
  }

  s.Month = Read_Int(date.substr(0, 2));
  s.Day = Read_Int(date.substr(2, 2));
  s.Year = Read_Int(date.substr(4, 2)) + 1900;
  s.Hour = Read_Int(time.substr(0, 2));
  s.Minute = Read_Int(time.substr(2, 2));
  s.Second = static_cast<float>(Read_Real(time.substr(4)));
  Coordinate_Reading latitude_read, longitude_read;
  const bool warn = s.Warnings != nullptr;
  s.Latitude = Read_Coordinate(latitude, warn ? &latitude_read : nullptr);
  s.Longitude = -Read_Coordinate(longitude, warn ? &longitude_read : nullptr);
  s.Depth = static_cast<float>(Read_Real(depth));
  s.Mag = static_cast<float>(Read_Real(mag));

  char depth_text[kFixed_Room] = "        ";
  std::string_view C_Depth(depth_text, 8);
  if (s.Depth != 0.0f)  // "%8.4f"
    C_Depth = {depth_text, Format_Fixed(depth_text, s.Depth, 8, 4, false)};
  Format_Seconds(s.Second, s.C_Second);

  const Clock read{s.Year, s.Month, s.Day, s.Hour, s.Minute, s.Second};
  Modify_Time(s.Year, s.Month, s.Day, s.Hour, s.Minute, s.Second);
  s.Flag = Test_Event(s.EventId, s.Year, s.Month, s.Day, s.Hour, s.Minute,
                      s.Second, s.Latitude, s.Longitude, s.Depth, f_err) != 0;
  if (s.Flag && (C_Depth.size() > 8 || std::isinf(s.Depth))) {
    // A depth of 1000 km or more has no room in its eight columns (an
    // infinite one would fit them as "inf", but is no depth either).
    Put_Format(f_err, "\n Error Event %d --- Depth = %f.", s.EventId,
               static_cast<double>(s.Depth));
    s.Flag = 0;
  }
  if (!s.Flag) Note_Message(s, log_at, true);
  if (s.Warnings != nullptr) s.Dated = true;
  if (s.Warnings != nullptr)
    Warn_Event(s,
               {date, time, latitude, longitude, depth, mag, after_mag,
                latitude_read, longitude_read},
               read, s.Flag != 0);
  if (!s.Flag) return;

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
