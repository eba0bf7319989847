// Tokens and lenient numbers.  See the header.
#include "records/sheet_fields.h"

#include <charconv>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

Field_Cursor Fields_Of_Sheet_Line(std::string_view line) {
  const char* end = line.data() + line.size();
  const char* p = line.size() > 2 ? line.data() + 2 : end;
  return {p, end};
}

std::string_view Next_Field(Field_Cursor& c) {
  while (c.p < c.end && Is_Field_Space(*c.p)) ++c.p;
  const char* start = c.p;
  while (c.p < c.end && !Is_Field_Space(*c.p)) ++c.p;
  return {start, static_cast<size_t>(c.p - start)};
}

char Next_Char(Field_Cursor& c) {
  while (c.p < c.end && Is_Field_Space(*c.p)) ++c.p;
  if (c.p == c.end) return '\0';
  return *c.p++;
}

namespace {

// An optional sign, then digits with at most one decimal point, and at least
// one digit: the common form of sheet numbers.
bool Is_Plain_Decimal(std::string_view text) {
  size_t i = (!text.empty() && (text[0] == '+' || text[0] == '-')) ? 1 : 0;
  bool digit = false, point = false;
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (c >= '0' && c <= '9')
      digit = true;
    else if (c == '.' && !point)
      point = true;
    else
      return false;
  }
  return digit;
}

}  // namespace

double Read_Real(std::string_view text) {
  if (Is_Plain_Decimal(text)) {
    // from_chars rounds correctly, as strtod does, but takes no plus sign.
    // Out of range (overflow, or underflow to zero) it leaves the value to
    // strtod, which gives infinity or zero.
    std::string_view digits = text[0] == '+' ? text.substr(1) : text;
    double value = 0;
    if (std::from_chars(digits.data(), digits.data() + digits.size(), value)
            .ec == std::errc())
      return value;
  }
  // strtod needs a terminated copy; tokens hold no NUL bytes.
  char small[64];
  if (text.size() < sizeof small) {
    std::memcpy(small, text.data(), text.size());
    small[text.size()] = '\0';
    return std::strtod(small, nullptr);
  }
  std::string copy(text);
  return std::strtod(copy.c_str(), nullptr);
}

int Read_Int(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && Is_Field_Space(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) break;
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}
