// Fields of sheet and mapping lines: white-space-separated tokens and single
// characters.
#ifndef TREMVERT_TEXT_FIELDS_H_
#define TREMVERT_TEXT_FIELDS_H_

#include <cassert>
#include <string_view>

// White space between fields: blank, tab, line end, carriage return, vertical
// tab, form feed, and the NUL byte (which a text line should not hold; it is
// read as a blank so that it can neither end a line early nor reach a field).
struct Field_Space_Table {
  bool space[256] = {};
  constexpr Field_Space_Table() {
    for (unsigned char c : {' ', '\t', '\n', '\r', '\v', '\f', '\0'})
      space[c] = true;
  }
};
inline constexpr Field_Space_Table kField_Space;

inline bool Is_Field_Space(char c) {
  // Every white space byte is a control character or the blank: one
  // comparison settles the printable bytes that make up most of a line.
  const unsigned char u = static_cast<unsigned char>(c);
  return u <= ' ' && kField_Space.space[u];
}

// A position in a line, moving forward as fields are taken.
struct Field_Cursor {
  const char* p;
  const char* end;
};

inline Field_Cursor Fields_Of(std::string_view line) {
  return {line.data(), line.data() + line.size()};
}

// The fields of a sheet line: the text from its third character on (the
// record letter and the character after it are skipped, whatever they are).
// The line ends with its line end, as the line reader gives every line.
inline Field_Cursor Fields_Of_Sheet_Line(std::string_view line) {
  assert(!line.empty() && line.back() == '\n');
  const char* end = line.data() + line.size();
  return {line.size() > 2 ? line.data() + 2 : end, end};
}

// The next token, or an empty view when the line has no more.
inline std::string_view Next_Field(Field_Cursor& c) {
  const char* p = c.p;
  while (p < c.end && Is_Field_Space(*p)) ++p;
  const char* start = p;
  if (p < c.end)
    while (!Is_Field_Space(*p)) ++p;  // the line end stops it at the latest
  c.p = p;
  return {start, static_cast<size_t>(p - start)};
}

// The next character that is not white space, or '\0' when there is none.
inline char Next_Char(Field_Cursor& c) {
  while (c.p < c.end && Is_Field_Space(*c.p)) ++c.p;
  if (c.p == c.end) return '\0';
  return *c.p++;
}

#endif  // TREMVERT_TEXT_FIELDS_H_
