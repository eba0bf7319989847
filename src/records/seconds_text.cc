// The seconds text.  See the header.
#include "records/seconds_text.h"

#include <cassert>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "text/fixed_point.h"

void Format_Seconds(float Second, Seconds_Text& C_Second) {
  // Seconds from 0 to under 100 that round below 10 with those below 10,
  // and from 10 on below 100: both formats give two digits, the point and
  // four decimals (05.5000, 12.3400).  The value times 10^4 is exact (24 +
  // 14 bits), so its rounding, ties to even, is printf's.
  if (Second >= 0.0f && Second < 100.0f && !std::signbit(Second)) {
    const double scaled = static_cast<double>(Second) * 10000;
    uint32_t q = static_cast<uint32_t>(scaled);
    const double rest = scaled - q;
    q += (rest > 0.5) | ((rest == 0.5) & q);  // no branch on the digits
    if (q < (Second < 10.0f ? 100000u : 1000000u)) {
      assert(q < 1000000u);  // two digits before the point, four after
      char* text = C_Second.text;
      text[0] = static_cast<char>('0' + q / 100000);
      text[1] = static_cast<char>('0' + q / 10000 % 10);
      text[2] = '.';
      text[3] = static_cast<char>('0' + q / 1000 % 10);
      text[4] = static_cast<char>('0' + q / 100 % 10);
      text[5] = static_cast<char>('0' + q / 10 % 10);
      text[6] = static_cast<char>('0' + q % 10);
      C_Second.size = 7;
      return;
    }
  }
  // "0%6.4f" below 10 (a zero, then the width of 6), else "%7.4f".
  const bool below_ten = Second < 10.0f;
  const size_t width = below_ten ? 6 : 7;
  char quick[40];
  char* const end = quick + sizeof quick;
  char* start = Fixed_Digits(Second, 4, false, end);
  if (start == nullptr) {  // not finite, or 1e9 and more
    char text[kFixed_Room];
    const size_t n = Format_Fixed(text, Second, width, 4, false);
    assert(below_ten + n <= sizeof C_Second.text);  // 46 characters at most
    C_Second.text[0] = '0';
    std::memcpy(C_Second.text + below_ten, text, n);
    C_Second.size = below_ten + n;
    return;
  }
  for (size_t n = end - start; n < width; ++n) *--start = ' ';
  if (below_ten) *--start = '0';
  assert(start >= quick);
  C_Second.size = end - start;
  assert(C_Second.size >= 7 && C_Second.size <= sizeof C_Second.text);
  std::memcpy(C_Second.text, start, C_Second.size);
}
