// printf's fixed-point conversion "%W.Pf" / "%+W.Pf" of a number, with a
// fast path for the single-precision values that records carry.
#ifndef TREMVERT_TEXT_FIXED_POINT_H_
#define TREMVERT_TEXT_FIXED_POINT_H_

#include <cstddef>

// Room for any "%W.Pf" text with a width up to 32 and a precision up to 5:
// the largest double has 309 digits before the point.
constexpr size_t kFixed_Room = 400;

// Writes the text into `text` and returns its length.
size_t Format_Fixed(char (&text)[kFixed_Room], double value, size_t width,
                    int precision, bool plus);

// The fast path alone: writes "%.Pf" / "%+.Pf" of the value so that it ends
// at `end`, and returns where it starts; nullptr for a value that the fast
// path does not take (not single precision, 1e9 or more, not finite) or a
// precision above 5.  Room for 24 characters before `end` is needed.
char* Fixed_Digits(double value, int precision, bool plus, char* end);

#endif  // TREMVERT_TEXT_FIXED_POINT_H_
