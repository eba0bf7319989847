// The text that snprintf makes of a format, the oracle of the unit tests
// that compare the project's own conversions with the C library's.
#ifndef TREMVERT_TESTS_UNIT_TEST_PRINTF_H_
#define TREMVERT_TESTS_UNIT_TEST_PRINTF_H_

#include <cstdarg>
#include <cstdio>
#include <string>

inline std::string Printf(const char* format, ...)
    __attribute__((format(printf, 1, 2)));
inline std::string Printf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int n = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string text(n > 0 ? n + 1 : 1, '\0');
  std::vsnprintf(text.data(), text.size(), format, again);
  va_end(again);
  text.resize(n > 0 ? n : 0);
  return text;
}

#endif  // TREMVERT_TESTS_UNIT_TEST_PRINTF_H_
