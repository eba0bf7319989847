// Misreadings in words.  See the header.
#include "records/misreadings.h"

#include <cstdio>

#include "reference/time_normalisation.h"
#include "text/numbers.h"

bool Is_Decimal(std::string_view token) {
  if (Real_Length(token) != token.size()) return false;
  // What strtod reads whole besides decimals spells itself with these.
  return token.find_first_of("xXnNiI") == std::string_view::npos;
}

bool Is_Whole_Int(std::string_view token) {
  return Int_Length(token) == token.size();
}

bool Is_Whole_Time(std::string_view token) {
  return token.size() >= 4 && Is_Whole_Int(token.substr(0, 2)) &&
         Is_Whole_Int(token.substr(2, 2)) &&
         (token.size() == 4 || Is_Decimal(token.substr(4)));
}

std::string Quoted(std::string_view field, std::string_view token) {
  std::string text(field);
  text += " \"";
  text += token;
  text += '"';
  return text;
}

std::string Fixed_Text(double value, int precision, bool plus) {
  char text[400];
  std::snprintf(text, sizeof text, plus ? "%+.*f" : "%.*f", precision, value);
  return text;
}

std::string Date_Text(const Clock& c) {
  char text[48];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", c.Year, c.Month, c.Day);
  return text;
}

std::string Time_Text(const Clock& c) {
  char text[400];
  std::snprintf(text, sizeof text, "%02d:%02d:%07.4f", c.Hour, c.Minute,
                static_cast<double>(c.Second));
  return text;
}

std::string Clock_Text(const Clock& c) {
  return Date_Text(c) + " " + Time_Text(c);
}

std::string Carry_Warning(std::string_view token, const Clock& read,
                          const Clock& normalised,
                          std::string_view seconds_text) {
  const bool beyond = read.Hour < 0 || read.Hour > 24 || read.Minute < 0 ||
                      read.Minute > 60 || read.Second < 0.0f ||
                      read.Second >= 60.0f;
  const std::string carried = Clock_Text(normalised);
  if (!beyond || carried == Clock_Text(read)) return {};
  std::string text = Quoted("time", token) + " carried to " + carried;
  if (seconds_text.empty()) return text;
  // The record holds the carried hour and minute, but the seconds as read
  // (at most seven characters of them): read back, they may say another time.
  const std::string written(seconds_text.substr(0, 7));
  Clock back = normalised;
  back.Second = static_cast<float>(Read_Real(written));
  Modify_Time(back.Year, back.Month, back.Day, back.Hour, back.Minute,
              back.Second);
  if (Clock_Text(back) == carried) return text;
  char hour_minute[32];
  std::snprintf(hour_minute, sizeof hour_minute, "%02d:%02d", normalised.Hour,
                normalised.Minute);
  return text + ", but written as " + hour_minute + " and seconds " + written +
         ", which reads as " + Clock_Text(back);
}

bool Is_Beyond_Calendar(const Clock& c) {
  Clock date{c.Year, c.Month, c.Day, 0, 0, 0.0f};
  Modify_Time(date.Year, date.Month, date.Day, date.Hour, date.Minute,
              date.Second);
  return Date_Text(date) != Date_Text(c);
}
