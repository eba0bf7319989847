// Reading fields from sheet and mapping lines: white-space-separated tokens,
// single characters, and the lenient number conversions (atoi and atof
// semantics: leading white space skipped, the longest numeric prefix counts,
// text without one reads as 0, nothing reported).
#ifndef TREMVERT_RECORDS_SHEET_FIELDS_H_
#define TREMVERT_RECORDS_SHEET_FIELDS_H_

#include <string_view>

// White space between fields: blank, tab, line end, carriage return, vertical
// tab, form feed, and the NUL byte (which a text line should not hold; it is
// read as a blank so that it can neither end a line early nor reach a record).
struct Field_Space_Table {
  bool space[256] = {};
  constexpr Field_Space_Table() {
    for (unsigned char c : {' ', '\t', '\n', '\r', '\v', '\f', '\0'})
      space[c] = true;
  }
};
inline constexpr Field_Space_Table kFieldSpace;

inline bool Is_Field_Space(char c) {
  return kFieldSpace.space[static_cast<unsigned char>(c)];
}

// A position in a line, moving forward as fields are taken.
struct Field_Cursor {
  const char* p;
  const char* end;
};

// The fields of a sheet line: the text from its third character on (the
// record letter and the character after it are skipped, whatever they are).
Field_Cursor Fields_Of_Sheet_Line(std::string_view line);

// The next token, or an empty view when the line has no more.
std::string_view Next_Field(Field_Cursor& c);

// The next character that is not white space, or '\0' when there is none.
char Next_Char(Field_Cursor& c);

// atof of the text: double precision, 0 when there is no numeric prefix.
double Read_Real(std::string_view text);

// atoi of the text, saturated to the int range.
int Read_Int(std::string_view text);

#endif  // TREMVERT_RECORDS_SHEET_FIELDS_H_
