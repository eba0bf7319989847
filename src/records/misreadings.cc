// Misreadings in words.  See the header.
#include "records/misreadings.h"

#include <cstdio>
#include <cstring>

#include "records/seconds_text.h"
#include "reference/time_normalisation.h"
#include "text/fixed_point.h"
#include "text/numbers.h"
#include "text/record_text.h"

bool Is_Decimal(std::string_view token) {
  // What strtod reads whole is a decimal (below), or a hexadecimal number,
  // an infinity or a nan, which are no sheet's numbers.
  if (token.empty()) return true;  // a missing field: read as 0, on purpose
  size_t i = token[0] == '+' || token[0] == '-';
  const size_t n = token.size();
  size_t digits = 0;
  for (; i < n && static_cast<unsigned char>(token[i] - '0') < 10; ++i)
    ++digits;
  if (i < n && token[i] == '.')
    for (++i; i < n && static_cast<unsigned char>(token[i] - '0') < 10; ++i)
      ++digits;
  if (digits == 0) return false;
  if (i < n && (token[i] == 'e' || token[i] == 'E')) {
    if (++i < n && (token[i] == '+' || token[i] == '-')) ++i;
    const size_t exponent = i;
    while (i < n && static_cast<unsigned char>(token[i] - '0') < 10) ++i;
    if (i == exponent) return false;
  }
  return i == n;
}

std::string Quoted(std::string_view field, std::string_view token) {
  std::string text(field);
  text += " \"";
  text += token;
  text += '"';
  return text;
}

// The texts below are those of printf's formats named beside them, made
// without printf for the usual values (a check of a sheet makes many).

std::string Fixed_Text(double value, int precision, bool plus) {
  char text[kFixed_Room];  // "%.*f" / "%+.*f": "%W.Pf" of width 0
  return std::string(text, Format_Fixed(text, value, 0, precision, plus));
}

namespace {

// A date or clock text, made in place: "%04d-%02d-%02d", "%02d:%02d:%07.4f"
// and the two with a blank between, 70 characters at the most.
struct Clock_Chars {
  char text[128];
  size_t size = 0;
  std::string_view View() const { return {text, size}; }
};

void Add_Date(Clock_Chars& t, const Clock& c) {
  char* p = t.text + t.size;
  if (c.Year >= 0 && c.Year <= 9999 && c.Month >= 0 && c.Month <= 99 &&
      c.Day >= 0 && c.Day <= 99) {
    Set_Four_Digits(p, c.Year);
    p[4] = '-';
    Set_Two_Digits(p + 5, c.Month);
    p[7] = '-';
    Set_Two_Digits(p + 8, c.Day);
    t.size += 10;
    return;
  }
  t.size += std::snprintf(p, sizeof t.text - t.size, "%04d-%02d-%02d", c.Year,
                          c.Month, c.Day);
}

void Add_Time(Clock_Chars& t, const Clock& c) {
  char* p = t.text + t.size;
  Seconds_Text seconds;  // "0%6.4f" or "%7.4f": "%07.4f" when 7 characters
  Format_Seconds(c.Second, seconds);
  if (c.Hour >= 0 && c.Hour <= 99 && c.Minute >= 0 && c.Minute <= 99 &&
      c.Second >= 0.0f && seconds.size == 7) {
    Set_Two_Digits(p, c.Hour);
    p[2] = ':';
    Set_Two_Digits(p + 3, c.Minute);
    p[5] = ':';
    std::memcpy(p + 6, seconds.text, 7);
    t.size += 13;
    return;
  }
  t.size += std::snprintf(p, sizeof t.text - t.size, "%02d:%02d:%07.4f", c.Hour,
                          c.Minute, static_cast<double>(c.Second));
}

Clock_Chars Clock_Chars_Of(const Clock& c) {
  Clock_Chars t;
  Add_Date(t, c);
  t.text[t.size++] = ' ';
  Add_Time(t, c);
  return t;
}

}  // namespace

std::string Date_Text(const Clock& c) {
  Clock_Chars t;
  Add_Date(t, c);
  return std::string(t.View());
}

std::string Time_Text(const Clock& c) {
  Clock_Chars t;
  Add_Time(t, c);
  return std::string(t.View());
}

std::string Carry_Warning(std::string_view token, const Clock& read,
                          const Clock& normalised,
                          std::string_view seconds_text) {
  if (!Is_Beyond_Clock(read)) return {};
  // A clock time that the normalisation left as it was (negative seconds
  // above -1) was not carried, whatever became of the date.
  Clock_Chars read_time, normalised_time;
  Add_Time(read_time, read);
  Add_Time(normalised_time, normalised);
  if (read_time.View() == normalised_time.View()) return {};
  const Clock_Chars carried = Clock_Chars_Of(normalised);
  std::string text;
  text.reserve(200);
  ((text += "time \"") += token) += "\" carried to ";
  text += carried.View();
  if (seconds_text.empty()) return text;
  // The record holds the carried hour and minute, but the seconds as read
  // (at most seven characters of them): read back, they may say another time.
  const std::string_view written = seconds_text.substr(0, 7);
  Clock back = normalised;
  back.Second = static_cast<float>(Read_Real(written));
  Modify_Time(back.Year, back.Month, back.Day, back.Hour, back.Minute,
              back.Second);
  const Clock_Chars read_back = Clock_Chars_Of(back);
  if (read_back.View() == carried.View()) return text;
  // The carried hour and minute as the record has them: "HH:MM" of the time.
  Clock_Chars hour_minute;
  Add_Time(hour_minute, normalised);
  text += ", but written as ";
  text += hour_minute.View().substr(0, hour_minute.View().rfind(':'));
  ((text += " and seconds ") += written) += ", which reads as ";
  text += read_back.View();
  return text;
}

bool Is_Beyond_Calendar(const Clock& c) {
  return c.Month < 1 || c.Month > 12 || c.Day < 1 ||
         c.Day > Days_In_Month(c.Year, c.Month);
}
