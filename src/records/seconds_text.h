// The seconds text that event and phase records write: made from the seconds
// as read, before normalisation.
#ifndef TREMVERT_RECORDS_SECONDS_TEXT_H_
#define TREMVERT_RECORDS_SECONDS_TEXT_H_

#include <string>

// "0%6.4f" below 10 (05.5000), else "%7.4f" (12.3400); a value that is not a
// number takes the second form.  The text is longer than seven characters for
// negative seconds, for seconds that round to 10.0000 from below and for 100
// and more; the records write at most its first seven characters.
// Replaces the content of C_Second.
void Format_Seconds(float Second, std::string& C_Second);

#endif  // TREMVERT_RECORDS_SECONDS_TEXT_H_
