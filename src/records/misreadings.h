// What a converter reads but probably misreads, said in words for the sheet
// checker: numbers read only in part or not at all, and dates and times
// beyond the ranges that sheets use, which the normalisation carries into the
// next unit.  The converters call these only when the conversion state has
// somewhere to put the words (Conversion_State::Warnings).
#ifndef TREMVERT_RECORDS_MISREADINGS_H_
#define TREMVERT_RECORDS_MISREADINGS_H_

#include <cstdint>
#include <string>
#include <string_view>

// Whether the lenient reading takes every character of the token.
bool Is_Whole_Real(std::string_view token);
bool Is_Whole_Int(std::string_view token);

// Whether a time token reads whole: two characters of hour and of minute,
// each read whole, then seconds that read whole or nothing.
bool Is_Whole_Time(std::string_view token);

// `field "token"`.
std::string Quoted(std::string_view field, std::string_view token);

// "%.Pf" / "%+.Pf" of a value as the records write it.
std::string Fixed_Text(double value, int precision, bool plus = false);

// A date and clock time, as read or as normalised.
struct Clock {
  int32_t Year, Month, Day, Hour, Minute;
  float Second;
};

// "1975-07-02", "01:01:05.0000" and "1975-07-02 01:01:05.0000".
std::string Date_Text(const Clock& c);
std::string Time_Text(const Clock& c);
std::string Clock_Text(const Clock& c);

// A clock time beyond what sheets use (an hour above 24, a minute above 60,
// seconds of 61 or more, or any of them below zero) that the normalisation
// carried into another unit.
bool Is_Carried(const Clock& read, const Clock& normalised);

// A month outside 1 to 12, or a day outside its month.
bool Is_Beyond_Calendar(const Clock& c);

#endif  // TREMVERT_RECORDS_MISREADINGS_H_
