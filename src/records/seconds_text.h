// The seconds text that event and phase records write: made from the seconds
// as read, before normalisation.
#ifndef TREMVERT_RECORDS_SECONDS_TEXT_H_
#define TREMVERT_RECORDS_SECONDS_TEXT_H_

#include <cstddef>
#include <string_view>

// "0%6.4f" below 10 (05.5000), else "%7.4f" (12.3400); a value that is not a
// number takes the second form.  The text is longer than seven characters for
// negative seconds, for seconds that round to 10.0000 from below and for 100
// and more; the records write at most its first seven characters.
//
// The text of any single-precision value holds at most 46 characters (39
// digits, a sign, the point, four decimals and the leading zero), so it is
// kept in place.
struct Seconds_Text {
  char text[48];
  size_t size = 0;
  operator std::string_view() const { return {text, size}; }
};

void Format_Seconds(float Second, Seconds_Text& C_Second);

#endif  // TREMVERT_RECORDS_SECONDS_TEXT_H_
