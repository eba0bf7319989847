// Misreadings in words.  See the header.
#include "records/misreadings.h"

#include <cstdio>

#include "reference/time_normalisation.h"
#include "text/numbers.h"

bool Is_Whole_Real(std::string_view token) {
  return Real_Length(token) == token.size();
}

bool Is_Whole_Int(std::string_view token) {
  return Int_Length(token) == token.size();
}

bool Is_Whole_Time(std::string_view token) {
  return token.size() >= 4 && Is_Whole_Int(token.substr(0, 2)) &&
         Is_Whole_Int(token.substr(2, 2)) && Is_Whole_Real(token.substr(4));
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

bool Is_Carried(const Clock& read, const Clock& normalised) {
  return (read.Hour < 0 || read.Hour > 24 || read.Minute < 0 ||
          read.Minute > 60 || read.Second < 0.0f || read.Second >= 61.0f) &&
         Clock_Text(read) != Clock_Text(normalised);
}

bool Is_Beyond_Calendar(const Clock& c) {
  Clock date{c.Year, c.Month, c.Day, 0, 0, 0.0f};
  Modify_Time(date.Year, date.Month, date.Day, date.Hour, date.Minute,
              date.Second);
  return Date_Text(date) != Date_Text(c);
}
