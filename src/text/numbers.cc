// Lenient numbers.  See the header.
#include "text/numbers.h"

#include <charconv>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include "text/fields.h"

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

// strtod of a terminated copy of the text (tokens hold no NUL bytes); `used`
// receives the length of the numeric prefix.
double Strtod(std::string_view text, size_t& used) {
  char small[64];
  std::string large;
  const char* copy = small;
  if (text.size() < sizeof small) {
    if (!text.empty()) std::memcpy(small, text.data(), text.size());
    small[text.size()] = '\0';
  } else {
    large.assign(text);
    copy = large.c_str();
  }
  char* end = nullptr;
  double value = std::strtod(copy, &end);
  used = end - copy;
  return value;
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
  size_t used;
  return Strtod(text, used);
}

size_t Real_Length(std::string_view text) {
  if (Is_Plain_Decimal(text)) return text.size();
  size_t used;
  Strtod(text, used);
  return used;
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

size_t Int_Length(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && Is_Field_Space(text[i])) ++i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  size_t digits = i;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
  return i > digits ? i : 0;
}
