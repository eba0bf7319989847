// The two-digit texts "00" to "99" in one table, for "%02d" and for the
// digits of numbers written two at a time.
#ifndef TREMVERT_TEXT_DIGIT_PAIRS_H_
#define TREMVERT_TEXT_DIGIT_PAIRS_H_

#include <cassert>
#include <cstring>

inline constexpr char kDigit_Pairs[] =
    "0001020304050607080910111213141516171819"
    "2021222324252627282930313233343536373839"
    "4041424344454647484950515253545556575859"
    "6061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// "%02d" of a value from 0 to 99, into two characters at p.
inline void Set_Two_Digits(char* p, int value) {
  assert(value >= 0 && value < 100);
  std::memcpy(p, kDigit_Pairs + 2 * value, 2);
}

#endif  // TREMVERT_TEXT_DIGIT_PAIRS_H_
