// Catalog records and messages built with printf's conversions, straight
// into an output buffer.  Each Put_ function appends exactly what the printf
// conversion named beside it produces; the record writers keep their printf
// format as the reference beside the calls.
#ifndef TREMVERT_TEXT_RECORD_TEXT_H_
#define TREMVERT_TEXT_RECORD_TEXT_H_

#include <cstring>
#include <string_view>

#include "text/output_buffer.h"

// "%s", and a literal.
inline void Put_Text(Out_Buffer& r, std::string_view s) {
  if (s.empty()) return;  // an empty view may have no data pointer
  std::memcpy(Room(r, s.size()), s.data(), s.size());
  r.size += s.size();
}

// "%c".
inline void Put_Char(Out_Buffer& r, char c) {
  *Room(r, 1) = c;
  r.size += 1;
}

// n blanks.
inline void Put_Blanks(Out_Buffer& r, size_t n) {
  std::memset(Room(r, n), ' ', n);
  r.size += n;
}

// "%Ws": right-aligned, blank-filled to at least `width`.
inline void Put_Right(Out_Buffer& r, std::string_view s, size_t width) {
  if (s.size() < width) Put_Blanks(r, width - s.size());
  Put_Text(r, s);
}

// "%-Ws": left-aligned, blank-filled to at least `width`.
inline void Put_Left(Out_Buffer& r, std::string_view s, size_t width) {
  Put_Text(r, s);
  if (s.size() < width) Put_Blanks(r, width - s.size());
}

// "%.Ns": at most `max` characters.
inline void Put_Cut(Out_Buffer& r, std::string_view s, size_t max) {
  Put_Text(r, s.substr(0, max));
}

// "%Wd".
void Put_Int(Out_Buffer& r, int value, size_t width);

// "%02d".
void Put_Two_Digits(Out_Buffer& r, int value);

// "%W.Pf", or "%+W.Pf" when `plus` is set.
void Put_Fixed(Out_Buffer& r, double value, size_t width, int precision,
               bool plus);

// Any printf format, for the messages of the error log.
void Put_Format(Out_Buffer& r, const char* format, ...)
    __attribute__((format(printf, 2, 3)));

#endif  // TREMVERT_TEXT_RECORD_TEXT_H_
