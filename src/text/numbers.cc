// Lenient numbers.  See the header.
#include "text/numbers.h"

#include <charconv>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

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

// The exact value of a short plain decimal, which most sheet numbers are, or
// false.  With at most 2^53 as its digits' integer m and at most 22 digits
// after the point, m and 10^f are exact doubles and m / 10^f is one division,
// rounded correctly as strtod rounds: the same double, bit for bit.
bool Read_Short_Decimal(std::string_view text, double& value) {
  static const double kPowers[] = {
      1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
      1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  const char* p = text.data();
  const char* const end = p + text.size();
  const bool negative = p < end && *p == '-';
  if (p < end && (*p == '-' || *p == '+')) ++p;
  // The digits, in 64 bits: more than 19 of them may wrap around, and are
  // then left to the general path, as are the other forms.
  uint64_t m = 0;
  const char* const whole = p;
  for (unsigned d; p < end && (d = static_cast<unsigned char>(*p) - '0') < 10;
       ++p)
    m = m * 10 + d;
  size_t digits = p - whole, fraction = 0;
  if (p < end && *p == '.') {
    const char* const after_point = ++p;
    for (unsigned d; p < end && (d = static_cast<unsigned char>(*p) - '0') < 10;
         ++p)
      m = m * 10 + d;
    fraction = p - after_point;
    digits += fraction;
  }
  if (p != end || digits == 0 || digits > 19 || m > (uint64_t{1} << 53) ||
      fraction > 22)
    return false;
  value = static_cast<double>(m) / kPowers[fraction];
  if (negative) value = -value;
  return true;
}

}  // namespace

double Read_Real(std::string_view text, bool& plain) {
  double value;
  plain = Read_Short_Decimal(text, value);
  return plain ? value : Read_Real(text);
}

double Read_Real(std::string_view text) {
  double value;
  if (Read_Short_Decimal(text, value)) return value;
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

int Read_Any_Int(std::string_view text) {
  size_t i = 0;
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
