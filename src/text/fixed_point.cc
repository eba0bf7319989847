// Fixed-point text.  See the header.
#include "text/fixed_point.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

// The text of a finite single-precision value below 1e9 with at most five
// decimals, or 0 for any other value.  value * 10^precision is then exact in
// double precision (24 + 12 significant bits), so rounding it to the nearest
// integer, ties to even, is what printf does with the exact decimal
// expansion; the sign is the value's sign bit, as printf writes -0.00000 for
// negative zero and for negative values that round to zero.
size_t Fixed_Text_Of_Float(double value, int precision, bool plus,
                           char (&text)[32]) {
  static const double kScale[] = {1, 10, 100, 1000, 10000, 100000};
  if (precision < 0 || precision > 5 || !(std::fabs(value) < 1e9) ||
      static_cast<double>(static_cast<float>(value)) != value)
    return 0;
  uint64_t q = static_cast<uint64_t>(
      std::nearbyint(std::fabs(value) * kScale[precision]));
  char digits[24];
  char* end = digits + sizeof digits;
  char* p = end;
  for (int i = 0; i < precision; ++i, q /= 10)
    *--p = static_cast<char>('0' + q % 10);
  if (precision > 0) *--p = '.';
  do {
    *--p = static_cast<char>('0' + q % 10);
    q /= 10;
  } while (q != 0);
  if (std::signbit(value))
    *--p = '-';
  else if (plus)
    *--p = '+';
  size_t n = end - p;
  std::memcpy(text, p, n);
  return n;
}

}  // namespace

size_t Format_Fixed(char (&text)[kFixed_Room], double value, size_t width,
                    int precision, bool plus) {
  char quick[32];
  size_t n = Fixed_Text_Of_Float(value, precision, plus, quick);
  if (n == 0)
    return std::snprintf(text, kFixed_Room, plus ? "%+*.*f" : "%*.*f",
                         static_cast<int>(width), precision, value);
  size_t pad = n < width ? width - n : 0;
  std::memset(text, ' ', pad);
  std::memcpy(text + pad, quick, n);
  return pad + n;
}
