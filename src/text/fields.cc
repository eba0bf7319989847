// Fields of a line.  See the header.
#include "text/fields.h"

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
