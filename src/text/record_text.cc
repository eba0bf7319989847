// printf's conversions for records.  See the header.
#include "text/record_text.h"

#include <charconv>
#include <cstdarg>
#include <cstdio>

#include "text/fixed_point.h"

void Put_Int(Out_Buffer& r, int value, size_t width) {
  char digits[32];
  char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  Put_Right(r, std::string_view(digits, end - digits), width);
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
