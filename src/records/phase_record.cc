// Phase records.  See the header.
//
// The $pic record has two writers: a fast one for the usual widths, which
// sets each value at its columns over a line of blanks, and the general one,
// a Put_ helper for each printf conversion, for values wider than their
// columns.  Both are kept only while records_test.cc proves them equal, and
// equal to snprintf, on every field at every width up to its columns and
// beyond (PicWritersAgreeOnEveryWidth).
#include "records/phase_record.h"

#include <cassert>

#include "records/catalog_record.h"
#include "records/misreadings.h"
#include "records/seconds_text.h"
#include "reference/time_normalisation.h"
#include "reference/validity_checks.h"
#include "text/fields.h"
#include "text/numbers.h"
#include "text/record_text.h"

namespace {

struct Phase_Fields {
  std::string_view station, instrument, onset, phase, component, time;
  char motion = '\0';
  // For the sheet checker: the sheet's own token of the first motion (which
  // holds the time too when the two are one token), and the token after the
  // time.
  std::string_view motion_token, after_time;
};

bool Is_Digit(char c) { return c >= '0' && c <= '9'; }

// The seven fields in the layout that F_Flag selects.
[[gnu::always_inline]] inline Phase_Fields Scan_Phase(std::string_view info,
                                                      int F_Flag) {
  // Read into locals, then written once each (writes that the caller reads
  // back in other sizes would stall it).
  Field_Cursor c = Fields_Of_Sheet_Line(info);
  const std::string_view station = Next_Field(c);
  const std::string_view instrument = Next_Field(c);
  if (F_Flag == 0) {
    const std::string_view onset = Next_Field(c);
    const std::string_view phase = Next_Field(c);
    const std::string_view component = Next_Field(c);
    const std::string_view time = Next_Field(c);
    Field_Cursor after = c;
    const std::string_view motion_token = Next_Field(after);
    const char motion = Next_Char(c);
    return {station, instrument, onset,        phase,       component,
            time,    motion,     motion_token, motion_token};
  }
  const std::string_view component = Next_Field(c);
  const std::string_view onset = Next_Field(c);
  const std::string_view phase = Next_Field(c);
  Field_Cursor after = c;
  const std::string_view motion_token = Next_Field(after);
  char motion = Next_Char(c);
  std::string_view time = Next_Field(c);
  const bool glued = !time.empty() && !Is_Field_Space(time.data()[-1]);
  const std::string_view after_time = Next_Field(c);
  // A line without its first motion ends with the time: a field that
  // begins with a digit and is the line's last.  Read as motion and time it
  // would give a shifted time; it is the time, with a blank motion.
  if (Is_Digit(motion) && glued && after_time.empty()) {
    time = std::string_view(time.data() - 1, time.size() + 1);
    motion = '\0';
  }
  return {station, instrument, onset,        phase,     component,
          time,    motion,     motion_token, after_time};
}

// An onset where the component belongs: e, i, I and the same in
// parentheses, and (x).  "E" alone may be either.
inline bool Is_Onset(std::string_view t) {
  if (t.size() == 1) return t[0] == 'e' || t[0] == 'i' || t[0] == 'I';
  if (t.size() != 3 || t[0] != '(' || t[2] != ')') return false;
  const char c = t[1];
  return c == 'e' || c == 'i' || c == 'E' || c == 'I' || c == 'x' || c == 'X';
}

// A component where the onset belongs: one to three of the letters Z, N and
// E, but "E" alone, which may be an onset.
inline bool Is_Component(std::string_view t) {
  if (t.empty() || (t[0] != 'Z' && t[0] != 'N' && t[0] != 'E') ||
      t.size() > 3 || t == "E")
    return false;
  for (char c : t)
    if (c != 'Z' && c != 'N' && c != 'E') return false;
  return true;
}

// What keeps a line from reading whole in a layout, the first found.
enum class Fault {
  kNone,
  kMissing,
  kMisplaced_Onset,
  kMisplaced_Component,
  kMotion,
  kTime
};

// Whether the line reads whole in the layout: every field there and holding
// what belongs there, a first motion of one character (in the alternate
// layout it may stand right before the time, but not as a digit, which
// belongs to the time) and a time that reads whole (`time_whole`).
[[gnu::always_inline]] inline Fault Read_Layout(const Phase_Fields& p,
                                                int F_Flag, bool time_whole) {
  if (p.station.empty() || p.instrument.empty() || p.onset.empty() ||
      p.phase.empty() || p.component.empty() || p.time.empty())
    return Fault::kMissing;
  if (Is_Onset(p.component)) return Fault::kMisplaced_Onset;
  if (Is_Component(p.onset)) return Fault::kMisplaced_Component;
  if (p.motion_token.size() > 1 && (F_Flag == 0 || Is_Digit(p.motion)))
    return Fault::kMotion;
  return time_whole ? Fault::kNone : Fault::kTime;
}

// The misplaced field or first motion of a fault, in words.
std::string Fault_Text(const Phase_Fields& p, int F_Flag, Fault fault) {
  if (fault == Fault::kMisplaced_Onset)
    return Quoted("component", p.component) + " is an onset";
  if (fault == Fault::kMisplaced_Component)
    return Quoted("onset", p.onset) + " is a component";
  if (F_Flag == 0)
    return Quoted("first motion", p.motion_token) +
           " is longer than one character";
  return "no first motion before " + Quoted("time", p.motion_token) +
         ": its first digit is read as the first motion";
}

// Whether the line has the form of a reading: true when it can be converted;
// otherwise false, with the first field that the reading cannot do without
// and that the line lacks, or a time field too short for hour and minute,
// reported in the error log.
bool Check_Form(int EventId, const Phase_Fields& p, int F_Flag,
                Out_Buffer& f_err) {
  const char* missing = nullptr;
  if (p.station.empty())
    missing = "Station";
  else if (p.instrument.empty())
    missing = "Instrument";
  else if (F_Flag == 0 ? p.onset.empty() : p.component.empty())
    missing = F_Flag == 0 ? "Onset" : "Component";
  else if (F_Flag == 0 ? p.phase.empty() : p.onset.empty())
    missing = F_Flag == 0 ? "Phase" : "Onset";
  else if (F_Flag == 0 ? p.component.empty() : p.phase.empty())
    missing = F_Flag == 0 ? "Component" : "Phase";
  else if (p.time.empty())
    missing = "Time";
  if (missing != nullptr) {
    Put_Format(f_err, "\n Error Phase %d --- %s missing.", EventId, missing);
    return false;
  }
  if (p.time.size() >= 4) return true;
  Put_Format(f_err, "\n Error Phase %d --- Time = ", EventId);
  Put_Text(f_err, p.time);
  Put_Char(f_err, '.');
  return false;
}

// The character written for the onset: its first, or its second when the
// first is an opening parenthesis; a blank for "(" alone.
char Onset_Letter(std::string_view onset) {
  assert(!onset.empty());  // the form's check saw to it
  if (onset[0] != '(') return onset[0];
  return onset.size() > 1 ? onset[1] : ' ';
}

// A line that does not read whole in the layout chosen, but does in the
// other, is in the other layout: that is all there is to say of its fields,
// all of them being misread.  A field that holds what belongs in another, or
// a first motion that is no single character, is said with the layout that
// the line reads whole in, if any.  True when so, with the warning given.
// `read`: the clock time read, or nullptr for a line rejected before it.
bool Warn_Layout(const Conversion_State& s, std::string_view info,
                 const Phase_Fields& p, bool time_whole, const Clock* read) {
  const Fault chosen = Read_Layout(p, s.F_Flag, time_whole);
  if (chosen == Fault::kNone) return false;
  // A sign before a time that reads whole is a sign in the hour, which the
  // time's own warning says ("+10520.0" read as 01:05:20).
  if (chosen == Fault::kTime && (p.time[0] == '+' || p.time[0] == '-') &&
      Is_Whole_Time(p.time.substr(1)))
    return false;
  const int other = 1 - s.F_Flag;
  const Phase_Fields q = Scan_Phase(info, other);
  if (Read_Layout(q, other, Is_Whole_Time(q.time)) == Fault::kNone) {
    s.Warnings->push_back(
        other == 1
            ? "the fields read whole only in the alternate layout (time "
              "last): check and convert it with -F"
            : "the fields read whole only in the default layout (time "
              "before the first motion): check and convert it without -F");
    return true;
  }
  if (chosen == Fault::kMissing || chosen == Fault::kTime) return false;
  std::string text = Fault_Text(p, s.F_Flag, chosen);
  text += s.F_Flag == 0 ? " in the default layout" : " in the alternate layout";
  text += ", and the line reads whole in neither layout";
  if (read != nullptr) {
    text += ": read as " + Time_Text(*read) + ", first motion \"";
    text += s.G_Motion;
    text += '"';
  }
  s.Warnings->push_back(std::move(text));
  return true;
}

// What the line gives that is probably misread, for the sheet checker;
// `written`: whether its record was written.
void Warn_Phase(const Conversion_State& s, std::string_view info,
                const Phase_Fields& p, bool time_whole, const Clock& read,
                bool written) {
  std::vector<std::string>& w = *s.Warnings;
  if (p.time.size() == 4 && !p.after_time.empty() && Is_Decimal(p.after_time)) {
    // "1005 20.25": the seconds stand apart, and the time is read without.
    const char* begin = p.time.data();
    const std::string_view split(
        begin, p.after_time.data() + p.after_time.size() - begin);
    w.push_back(Quoted("time", split) + " is split by a blank: read as " +
                Time_Text(read));
  } else if (Read_Layout(p, s.F_Flag, time_whole) != Fault::kNone &&
             Warn_Layout(s, info, p, time_whole, &read)) {
    return;
  } else if (!time_whole) {
    w.push_back(Quoted("time", p.time) + " read as " + Time_Text(read));
  }
  // Before any event the line is dropped, which a note says, and the date
  // it would be carried from is none.
  if (!Is_Beyond_Clock(read) || !s.Dated) return;
  const Clock now{s.Year, s.Month, s.Day, s.Hour, s.Minute, s.Second};
  std::string text = Carry_Warning(
      p.time, read, now,
      written ? std::string_view(s.C_Second) : std::string_view());
  if (text.empty()) return;
  if (Date_Text(now) != Date_Text(read))
    text += ": this reading and the ones after it move to " + Date_Text(now);
  w.push_back(std::move(text));
}

}  // namespace

// The $pic record:
// "%-4s%4d%02d%02d%02d%02d%.7s%-5s%-2s%-8s%-3s%3s%3s%c%c%c%c%12s\n" with
// "$pic", Year, Month, Day, Hour, Minute, C_Second, Sta_Name, Network,
// Phase_Type, "QV", Number, Seed, the onset letter, G_Motion, ' ', ' ',
// C_EventId.
bool Write_Pic_Usual(Out_Buffer& r, const Conversion_State& s, char onset) {
  const bool usual = Is_Usual_Reading(s) && s.Hour >= 0 && s.Hour <= 99 &&
                     s.Minute >= 0 && s.Minute <= 99 && s.C_Second.size >= 7 &&
                     s.Phase_Type.size() <= 8 && s.n_s.Seed.size() <= 3;
  if (!usual) return false;
  // Every value fits its columns: 63 of them and the line end.
  char* p = Room_Of_Blanks(r, 64);
  std::memcpy(p, "$pic", 4);
  Set_Date(p + 4, s.Year, s.Month, s.Day);
  Set_Two_Digits(p + 12, s.Hour);
  Set_Two_Digits(p + 14, s.Minute);
  std::memcpy(p + 16, s.C_Second.text, 7);
  Set_Left(p + 23, s.Sta_Name);
  Set_Left(p + 28, s.n_s.Network);
  Set_Left(p + 30, s.Phase_Type);
  std::memcpy(p + 38, "QV", 2);
  Set_Right(p + 41, 3, s.n_s.Number);
  Set_Left(p + 47 - s.n_s.Seed.size(), s.n_s.Seed.prefix);  // "%3s"
  Set_Left(p + 47 - s.n_s.Seed.component.size(), s.n_s.Seed.component);
  p[47] = onset;
  p[48] = s.G_Motion;
  Set_Record_End(p + 51, s.C_EventId);
  r.size += 64;
  return true;
}

void Write_Pic_Any(Out_Buffer& r, const Conversion_State& s, char onset) {
  Put_Left(r, "$pic", 4);
  Put_Date(r, s.Year, s.Month, s.Day);
  Put_Two_Digits(r, s.Hour);
  Put_Two_Digits(r, s.Minute);
  Put_Cut(r, s.C_Second, 7);
  Put_Left(r, s.Sta_Name, 5);
  Put_Left(r, s.n_s.Network, 2);
  Put_Left(r, s.Phase_Type, 8);
  Put_Left(r, "QV", 3);
  Put_Right(r, s.n_s.Number, 3);
  Put_Right(r, s.n_s.Seed.prefix, s.n_s.Seed.component, 3);
  Put_Char(r, onset);
  Put_Char(r, s.G_Motion);
  Put_Char(r, ' ');
  Put_Char(r, ' ');
  Put_Record_End(r, s.C_EventId);
}

void Convert_Phase(std::string_view info, Conversion_State& s,
                   const Mapping_Tables& maps, Out_Buffer& f_err,
                   Out_Buffer& f_cnss) {
  Phase_Fields p = Scan_Phase(info, s.F_Flag);
  size_t log_at = f_err.size;
  if (!Check_Form(s.EventId, p, s.F_Flag, f_err)) {
    Note_Message(s, log_at, true);
    if (s.Warnings != nullptr)
      Warn_Layout(s, info, p, Is_Whole_Time(p.time), nullptr);
    return;
  }

  s.Sta_Name = p.station;
  s.Instrument = p.instrument;
  s.Onset = p.onset;
  s.Phase_Type = p.phase;
  s.Component = p.component;
  s.n_s = Get_Number_SEED(maps, s.Sta_Name, s.Instrument, f_err, s.Component);
  if (f_err.size != log_at) Note_Message(s, log_at, false);

  s.G_Motion = (p.motion == 'c' || p.motion == 'd') ? p.motion : ' ';
  char onset = Onset_Letter(s.Onset);
  if (s.Phase_Type == "-") s.Phase_Type = "Unknown";

  assert(p.time.size() >= 4);  // hour and minute, by the form's check
  s.Hour = Read_Int(p.time.substr(0, 2));
  s.Minute = Read_Int(p.time.substr(2, 2));
  s.Second = static_cast<float>(Read_Real(p.time.substr(4)));
  Format_Seconds(s.Second, s.C_Second);

  const Clock read{s.Year, s.Month, s.Day, s.Hour, s.Minute, s.Second};
  Modify_Time(s.Year, s.Month, s.Day, s.Hour, s.Minute, s.Second);
  log_at = f_err.size;
  const bool written =
      s.Flag != 0 && Test_Phase(s.EventId, s.Year, s.Month, s.Day, s.Hour,
                                s.Minute, s.Second, f_err) != 0;
  if (f_err.size != log_at) Note_Message(s, log_at, true);
  if (s.Warnings != nullptr) {
    s.Read_Clock = read;
    s.Time_Field = p.time;
    // Most lines read whole, in their layout, at a time on the clock.
    const bool time_whole = Is_Whole_Time(p.time);
    if (p.time.size() == 4 || !time_whole || Is_Beyond_Clock(read) ||
        Read_Layout(p, s.F_Flag, true) != Fault::kNone)
      Warn_Phase(s, info, p, time_whole, read, written);
  }
  if (!written) return;

  if (!Write_Pic_Usual(f_cnss, s, onset)) Write_Pic_Any(f_cnss, s, onset);
}
