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

#endif  // TREMVERT_TEXT_FIXED_POINT_H_
