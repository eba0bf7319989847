// Catalog records and messages built with printf's conversions, straight
// into an output buffer.  Each Put_ function appends exactly what the printf
// conversion named beside it produces; the record writers keep their printf
// format as the reference beside the calls.
//
// The usual fields are a few bytes long, so the copies are done here in
// words rather than through calls to the C library.
#ifndef TREMVERT_TEXT_RECORD_TEXT_H_
#define TREMVERT_TEXT_RECORD_TEXT_H_

#include <cassert>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "text/digit_pairs.h"
#include "text/output_buffer.h"

// Copies n bytes (the ranges apart), in at most two overlapping moves of a
// word, half word or quarter word when n is at most 16.
[[gnu::always_inline]] inline void Copy_Bytes(char* to, const char* from,
                                              size_t n) {
  assert(n == 0 ||
         reinterpret_cast<uintptr_t>(to + n) <=
             reinterpret_cast<uintptr_t>(from) ||
         reinterpret_cast<uintptr_t>(from + n) <=
             reinterpret_cast<uintptr_t>(to));  // the ranges apart
  if (n > 16) {
    std::memcpy(to, from, n);
  } else if (n >= 8) {
    uint64_t a, b;
    std::memcpy(&a, from, 8);
    std::memcpy(&b, from + n - 8, 8);
    std::memcpy(to, &a, 8);
    std::memcpy(to + n - 8, &b, 8);
  } else if (n >= 4) {
    uint32_t a, b;
    std::memcpy(&a, from, 4);
    std::memcpy(&b, from + n - 4, 4);
    std::memcpy(to, &a, 4);
    std::memcpy(to + n - 4, &b, 4);
  } else if (n > 0) {
    to[0] = from[0];
    to[n / 2] = from[n / 2];
    to[n - 1] = from[n - 1];
  }
}

// n blanks at `to`.
inline void Fill_Blanks(char* to, size_t n) {
  static const char kBlanks[] = "                ";  // 16
  if (n > 16)
    std::memset(to, ' ', n);
  else
    Copy_Bytes(to, kBlanks, n);
}

// "%s", and a literal.
inline void Put_Text(Out_Buffer& r, std::string_view s) {
  Copy_Bytes(Room(r, s.size()), s.data(), s.size());
  r.size += s.size();
}

// "%c".
inline void Put_Char(Out_Buffer& r, char c) {
  *Room(r, 1) = c;
  r.size += 1;
}

// n blanks.
inline void Put_Blanks(Out_Buffer& r, size_t n) {
  Fill_Blanks(Room(r, n), n);
  r.size += n;
}

// "%Ws" of the text `a` followed by `b`.
inline void Put_Right(Out_Buffer& r, std::string_view a, std::string_view b,
                      size_t width) {
  const size_t n = a.size() + b.size();
  const size_t pad = n < width ? width - n : 0;
  char* p = Room(r, pad + n);
  Fill_Blanks(p, pad);
  Copy_Bytes(p + pad, a.data(), a.size());
  Copy_Bytes(p + pad + a.size(), b.data(), b.size());
  r.size += pad + n;
}

// "%Ws": right-aligned, blank-filled to at least `width`.
inline void Put_Right(Out_Buffer& r, std::string_view s, size_t width) {
  Put_Right(r, s, {}, width);
}

// "%-Ws" of the text `a` followed by `b`.
inline void Put_Left(Out_Buffer& r, std::string_view a, std::string_view b,
                     size_t width) {
  const size_t n = a.size() + b.size();
  const size_t pad = n < width ? width - n : 0;
  char* p = Room(r, pad + n);
  Copy_Bytes(p, a.data(), a.size());
  Copy_Bytes(p + a.size(), b.data(), b.size());
  Fill_Blanks(p + n, pad);
  r.size += pad + n;
}

// "%-Ws": left-aligned, blank-filled to at least `width`.
inline void Put_Left(Out_Buffer& r, std::string_view s, size_t width) {
  Put_Left(r, s, {}, width);
}

// "%.Ns": at most `max` characters.
inline void Put_Cut(Out_Buffer& r, std::string_view s, size_t max) {
  Put_Text(r, s.substr(0, max));
}

// "%Wd".
void Put_Int(Out_Buffer& r, int value, size_t width);

// "%02d".
inline void Put_Two_Digits(Out_Buffer& r, int value) {
  if (value >= 0 && value < 100) {
    Set_Two_Digits(Room(r, 2), value);
    r.size += 2;
  } else {
    Put_Int(r, value, 2);  // two characters or more: no zeros to add
  }
}

// "%4d" of a year of four digits, or "%Wd" of any value.
inline void Put_Year(Out_Buffer& r, int value) {
  if (value >= 1000 && value < 10000) {  // four digits exactly
    char* p = Room(r, 4);
    p[0] = static_cast<char>('0' + value / 1000);
    p[1] = static_cast<char>('0' + value / 100 % 10);
    p[2] = static_cast<char>('0' + value / 10 % 10);
    p[3] = static_cast<char>('0' + value % 10);
    r.size += 4;
  } else {
    Put_Int(r, value, 4);
  }
}

// For the records of the usual widths, written over a line of blanks at
// fixed columns: "%-Ws" and "%Ws" of a text that fits its `width` columns,
// and "%02d" and "%4d" of values of two and four digits.
[[gnu::always_inline]] inline void Set_Left(char* field, std::string_view s) {
  Copy_Bytes(field, s.data(), s.size());
}
[[gnu::always_inline]] inline void Set_Right(char* field, size_t width,
                                             std::string_view s) {
  assert(s.size() <= width);  // the caller checked that it fits
  Copy_Bytes(field + width - s.size(), s.data(), s.size());
}
inline void Set_Four_Digits(char* p, int value) {
  assert(value >= 0 && value < 10000);
  Set_Two_Digits(p, value / 100);
  Set_Two_Digits(p + 2, value % 100);
}

// A line of `n` blanks with room for n more bytes: the caller fills the
// columns and adds n to size.  The blanks go in blocks of 32 bytes (which
// may write up to 31 bytes past n, within the room taken), quicker than a
// string instruction for a line this short.
inline char* Room_Of_Blanks(Out_Buffer& r, size_t n) {
  struct Block {
    uint64_t word[4];
  };
  static constexpr uint64_t kBlanks = 0x2020202020202020u;
  static constexpr Block kBlock = {{kBlanks, kBlanks, kBlanks, kBlanks}};
  assert(n > 0 && n <= 128);  // a record's line, not a text of any length
  char* p = Room(r, n + sizeof(Block) - 1);
  for (size_t i = 0; i < n; i += sizeof(Block))
    std::memcpy(p + i, &kBlock, sizeof(Block));
  return p;
}

// "%W.Pf", or "%+W.Pf" when `plus` is set.
void Put_Fixed(Out_Buffer& r, double value, size_t width, int precision,
               bool plus);

// Any printf format, for the messages of the error log.
void Put_Format(Out_Buffer& r, const char* format, ...)
    __attribute__((format(printf, 2, 3)));

#endif  // TREMVERT_TEXT_RECORD_TEXT_H_
