// printf's conversions for records.  See the header.
#include "text/record_text.h"

#include <charconv>
#include <cstdarg>
#include <cstdio>

#include "text/fixed_point.h"

void Put_Int(Out_Buffer& r, int value, size_t width) {
  if (value >= 1000 && value < 10000 && width == 4) {  // a year
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
  Put_Right(r, std::string_view(digits, end - digits), width);
}

void Put_Two_Digits(Out_Buffer& r, int value) {
  if (value >= 0 && value < 100) {
    char* p = Room(r, 2);
    p[0] = static_cast<char>('0' + value / 10);
    p[1] = static_cast<char>('0' + value % 10);
    r.size += 2;
    return;
  }
  // Any other value has two characters or more: no zeros to add.
  char digits[16];
  char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  Put_Text(r, std::string_view(digits, end - digits));
}

void Put_Fixed(Out_Buffer& r, double value, size_t width, int precision,
               bool plus) {
  char text[kFixed_Room];
  Put_Text(r, std::string_view(
                  text, Format_Fixed(text, value, width, precision, plus)));
}

void Put_Format(Out_Buffer& r, const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int n = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  if (n > 0) {
    // vsnprintf writes a terminating NUL after the text: room for it too.
    std::vsnprintf(Room(r, n + 1), n + 1, format, again);
    r.size += n;
  }
  va_end(again);
}
