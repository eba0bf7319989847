// printf's conversions for records.  See the header.
#include "records/record_text.h"

#include <charconv>
#include <cmath>

void Put_Right(std::string& r, std::string_view s, size_t width) {
  if (s.size() < width) r.append(width - s.size(), ' ');
  r.append(s);
}

void Put_Left(std::string& r, std::string_view s, size_t width) {
  r.append(s);
  if (s.size() < width) r.append(width - s.size(), ' ');
}

void Put_Int(std::string& r, int value, size_t width, char fill) {
  char digits[16];
  char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  std::string_view text(digits, end - digits);
  if (fill == ' ' || text.size() >= width) {
    Put_Right(r, text, width);
    return;
  }
  // Zero fill goes between the sign and the digits.
  if (value < 0) {
    r.push_back('-');
    text.remove_prefix(1);
  }
  r.append(width - text.size() - (value < 0 ? 1 : 0), '0');
  r.append(text);
}

void Put_Fixed(std::string& r, double value, size_t width, int precision,
               bool plus) {
  char text[400];  // the largest double has 309 digits before the point
  size_t n;
  if (std::isfinite(value)) {
    // to_chars gives exactly what printf's %.Pf gives, sign of zero included.
    char* start = text + 1;
    char* end = std::to_chars(start, text + sizeof text, value,
                              std::chars_format::fixed, precision)
                    .ptr;
    if (plus && *start != '-') *--start = '+';
    n = end - start;
    if (n < width) r.append(width - n, ' ');
    r.append(start, n);
    return;
  }
  n = std::snprintf(text, sizeof text, plus ? "%+*.*f" : "%*.*f",
                    static_cast<int>(width), precision, value);
  r.append(text, n);
}
