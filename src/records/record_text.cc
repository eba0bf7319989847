// printf's conversions for records.  See the header.
#include "records/record_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

void Put_Int(Record_Text& r, int value, size_t width, char fill) {
  if (value >= 0 && value < 100 && width == 2 && fill == '0') {  // "%02d"
    char* p = Room(r, 2);
    p[0] = static_cast<char>('0' + value / 10);
    p[1] = static_cast<char>('0' + value % 10);
    r.size += 2;
    return;
  }
  if (value >= 1000 && value < 10000 && width == 4) {  // a year, "%4d"
    char* p = Room(r, 4);
    p[0] = static_cast<char>('0' + value / 1000);
    p[1] = static_cast<char>('0' + value / 100 % 10);
    p[2] = static_cast<char>('0' + value / 10 % 10);
    p[3] = static_cast<char>('0' + value % 10);
    r.size += 4;
    return;
  }
  char digits[16];
  char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  std::string_view text(digits, end - digits);
  if (fill == ' ' || text.size() >= width) {
    Put_Right(r, text, width);
    return;
  }
  // Zero fill goes between the sign and the digits.
  if (value < 0) {
    Put_Char(r, '-');
    text.remove_prefix(1);
  }
  size_t zeros = width - text.size() - (value < 0 ? 1 : 0);
  std::memset(Room(r, zeros), '0', zeros);
  r.size += zeros;
  Put_Text(r, text);
}

namespace {

// The fixed-point text of a single-precision value with at most five
// decimals, or 0 when the value is not one.  value * 10^precision is then
// exact in double precision (24 + 12 significant bits), so rounding it to
// the nearest integer, ties to even, is what printf does with the exact
// decimal expansion; the sign is the value's sign bit, as printf writes
// -0.00000 for negative zero and for negative values that round to zero.
size_t Fixed_Text_Of_Float(double value, int precision, bool plus,
                           char (&text)[32]) {
  static const double kScale[] = {1, 10, 100, 1000, 10000, 100000};
  if (precision < 0 || precision > 5 || !(std::fabs(value) < 1e9) ||
      static_cast<double>(static_cast<float>(value)) != value)
    return 0;
  double scaled = std::nearbyint(std::fabs(value) * kScale[precision]);
  uint64_t q = static_cast<uint64_t>(scaled);
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
  if (n == 0 && std::isfinite(value)) {
    // to_chars gives exactly what printf's %.Pf gives, sign of zero included.
    char* start = text + 1;
    char* end = std::to_chars(start, text + 360, value,
                              std::chars_format::fixed, precision)
                    .ptr;
    if (plus && *start != '-') *--start = '+';
    n = end - start;
    size_t pad = n < width ? width - n : 0;
    std::memmove(text + pad, start, n);
    std::memset(text, ' ', pad);
    return pad + n;
  }
  if (n == 0)  // not finite: printf's own spelling (nan, -nan, inf)
    return std::snprintf(text, kFixed_Room, plus ? "%+*.*f" : "%*.*f",
                         static_cast<int>(width), precision, value);
  size_t pad = n < width ? width - n : 0;
  std::memset(text, ' ', pad);
  std::memcpy(text + pad, quick, n);
  return pad + n;
}

void Put_Fixed(Record_Text& r, double value, size_t width, int precision,
               bool plus) {
  char text[kFixed_Room];
  Put_Text(r, std::string_view(
                  text, Format_Fixed(text, value, width, precision, plus)));
}
