// Fixed-point text.  See the header.
#include "text/fixed_point.h"

#include <cassert>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "text/digit_pairs.h"

// A finite single-precision value below 1e9 times 10^precision (at most
// 10^5) is exact in double precision (24 + 17 significant bits), so rounding
// it to the nearest integer, ties to even, is what printf does with the
// exact decimal expansion; the sign is the value's sign bit, as printf
// writes -0.00000 for negative zero and for negative values that round to
// zero.
char* Fixed_Digits(double value, int precision, bool plus, char* end) {
  static const double kScale[] = {1, 10, 100, 1000, 10000, 100000};
  const double magnitude = std::fabs(value);
  if (precision < 0 || precision > 5 || !(magnitude < 1e9) ||
      static_cast<double>(static_cast<float>(value)) != value)
    return nullptr;
  const double scaled = magnitude * kScale[precision];  // exact
  uint64_t q = static_cast<uint64_t>(scaled);
  const double rest = scaled - static_cast<double>(q);  // exact too
  q += (rest > 0.5) | ((rest == 0.5) & q);  // no branch on the digits
  assert(q <= 100000000000000u);            // at most 9 + 5 digits
  // Two digits at a time, from the right.
  char* p = end;
  int fraction = precision;
  for (; fraction >= 2; fraction -= 2, q /= 100) {
    p -= 2;
    Set_Two_Digits(p, static_cast<int>(q % 100));
  }
  if (fraction == 1) {
    *--p = static_cast<char>('0' + q % 10);
    q /= 10;
  }
  if (precision > 0) *--p = '.';
  for (; q >= 100; q /= 100) {
    p -= 2;
    Set_Two_Digits(p, static_cast<int>(q % 100));
  }
  if (q >= 10) {
    p -= 2;
    Set_Two_Digits(p, static_cast<int>(q));
  } else {
    *--p = static_cast<char>('0' + q);
  }
  if (std::signbit(value))
    *--p = '-';
  else if (plus)
    *--p = '+';
  assert(end - p <= 24);  // nine digits, the point, five decimals, a sign
  return p;
}

size_t Format_Fixed(char (&text)[kFixed_Room], double value, size_t width,
                    int precision, bool plus) {
  // The room that the text is promised: the widest field of a record, and
  // the 309 digits of the largest double.
  assert(width <= 32 && precision >= 0 && precision <= 5);
  char quick[32];
  char* const end = quick + sizeof quick;
  const char* start = Fixed_Digits(value, precision, plus, end);
  if (start == nullptr) {
    const int n = std::snprintf(text, kFixed_Room, plus ? "%+*.*f" : "%*.*f",
                                static_cast<int>(width), precision, value);
    assert(n > 0 && static_cast<size_t>(n) < kFixed_Room);  // never cut
    return static_cast<size_t>(n);
  }
  const size_t n = end - start;
  assert(n <= 24 && n < sizeof quick);
  const size_t pad = n < width ? width - n : 0;
  std::memset(text, ' ', pad);
  std::memcpy(text + pad, start, n);
  assert(pad + n >= width && pad + n <= 32);
  return pad + n;
}
