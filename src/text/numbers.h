// The lenient number conversions of sheet fields, with atof and atoi
// semantics: the longest numeric prefix counts, text without one reads as 0,
// nothing is reported.  The texts are tokens, or parts of tokens, which hold
// no white space.
#ifndef TREMVERT_TEXT_NUMBERS_H_
#define TREMVERT_TEXT_NUMBERS_H_

#include <cstddef>
#include <string_view>

// atof of the text: double precision, 0 when there is no numeric prefix.
double Read_Real(std::string_view text);

// The same, and whether the text was a short plain decimal, read whole
// (false says nothing: the text may still be a number read whole).
double Read_Real(std::string_view text, bool& plain);

// atoi of the text, saturated to the int range.
int Read_Any_Int(std::string_view text);

// The same, quickly for the two digits of a date or clock field.
inline int Read_Int(std::string_view text) {
  if (text.size() == 2) {
    const unsigned tens = static_cast<unsigned char>(text[0]) - '0';
    const unsigned ones = static_cast<unsigned char>(text[1]) - '0';
    if (tens < 10 && ones < 10) return static_cast<int>(tens * 10 + ones);
  }
  return Read_Any_Int(text);
}

#endif  // TREMVERT_TEXT_NUMBERS_H_
