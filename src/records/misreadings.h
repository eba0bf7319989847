// What a converter reads but probably misreads, said in words for the sheet
// checker: numbers read only in part, not at all, or in a form that sheets
// do not use (nan, inf, hexadecimal), and dates and times beyond the ranges
// that sheets use, which the normalisation carries into the next unit.  The
// converters call these only when the conversion state has somewhere to put
// the words (Conversion_State::Warnings).
#ifndef TREMVERT_RECORDS_MISREADINGS_H_
#define TREMVERT_RECORDS_MISREADINGS_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "records/conversion_state.h"

// Whether the token is a decimal number that the lenient reading takes
// whole: an optional sign, digits with at most one point, an optional
// exponent; or empty (a missing field, read as 0 as documented).  "nan",
// "inf" and hexadecimal numbers read whole too, but are no sheet's numbers.
bool Is_Decimal(std::string_view token);

// Whether the lenient integer reading takes every character of the token.
inline bool Is_Whole_Int(std::string_view token) {
  size_t i = !token.empty() && (token[0] == '+' || token[0] == '-');
  const size_t digits = i;
  while (i < token.size() && token[i] >= '0' && token[i] <= '9') ++i;
  return i == token.size() && i > digits;
}

// Whether the token is decimal digits alone (no sign), one at least.
inline bool Is_Digits(std::string_view token) {
  for (char c : token)
    if (c < '0' || c > '9') return false;
  return !token.empty();
}

// Whether a time token reads whole: two digits of hour and two of minute
// (a sign there would be read as part of the hour), then decimal seconds or
// nothing.  The usual seconds, digits with at most one point, are judged
// here; any other text by Is_Decimal.
inline bool Is_Whole_Time(std::string_view token) {
  const size_t n = token.size();
  if (n < 4) return false;
  const char* p = token.data();
  for (size_t k = 0; k < 4; ++k)
    if (static_cast<unsigned char>(p[k] - '0') > 9) return false;
  size_t i = 4, point = 0;
  for (; i < n; ++i) {
    if (static_cast<unsigned char>(p[i] - '0') <= 9) continue;
    if (p[i] != '.' || point != 0) break;
    point = i;
  }
  // Digits with at most one point, and a digit among them.
  if (i == n && (n == 4 || n > 5 || point == 0)) return true;
  return Is_Decimal(token.substr(4));
}

// `field "token"`, the token as the sheet has it.
std::string Quoted(std::string_view field, std::string_view token);

// "%.Pf" / "%+.Pf" of a value as the records write it.
std::string Fixed_Text(double value, int precision, bool plus = false);

// "1975-07-02" and "01:01:05.0000".
std::string Date_Text(const Clock& c);
std::string Time_Text(const Clock& c);

// A clock time beyond what sheets use: an hour above 24, a minute above 60,
// seconds of 60 or more, or any of them below zero.
inline bool Is_Beyond_Clock(const Clock& c) {
  return c.Hour < 0 || c.Hour > 24 || c.Minute < 0 || c.Minute > 60 ||
         c.Second < 0.0f || c.Second >= 60.0f;
}

// The warning for a clock time beyond what sheets use that the
// normalisation carried, or the empty text.  It says where the time was
// carried and, when a record was written (`seconds_text`, the record's
// seconds text, is then not empty), what the record holds when its seconds
// are not those of the carried time, and what that reads as.
std::string Carry_Warning(std::string_view token, const Clock& read,
                          const Clock& normalised,
                          std::string_view seconds_text);

// A month outside 1 to 12, or a day outside its month.
bool Is_Beyond_Calendar(const Clock& c);

#endif  // TREMVERT_RECORDS_MISREADINGS_H_
