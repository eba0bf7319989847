// Catalog records built in memory with printf's conversions, then written
// with one fwrite.  Each Put_ function appends exactly what the printf
// conversion named beside it produces; the record writers keep their printf
// format as the reference beside the calls.
#ifndef TREMVERT_RECORDS_RECORD_TEXT_H_
#define TREMVERT_RECORDS_RECORD_TEXT_H_

#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

// A growing text buffer; a record of any width fits.
struct Record_Text {
  std::vector<char> buffer = std::vector<char>(512);
  size_t size = 0;
};

inline void Clear(Record_Text& r) { r.size = 0; }

inline std::string_view Text_Of(const Record_Text& r) {
  return {r.buffer.data(), r.size};
}

// Room for n more characters; the caller fills them and adds n to size.
inline char* Room(Record_Text& r, size_t n) {
  if (r.buffer.size() - r.size < n) r.buffer.resize(2 * (r.size + n));
  return r.buffer.data() + r.size;
}

// "%s", and a literal.
inline void Put_Text(Record_Text& r, std::string_view s) {
  if (s.empty()) return;  // an empty view may have no data pointer
  std::memcpy(Room(r, s.size()), s.data(), s.size());
  r.size += s.size();
}

// "%c".
inline void Put_Char(Record_Text& r, char c) {
  *Room(r, 1) = c;
  r.size += 1;
}

// n blanks.
inline void Put_Blanks(Record_Text& r, size_t n) {
  std::memset(Room(r, n), ' ', n);
  r.size += n;
}

// "%Ws": right-aligned, blank-filled to at least `width`.
inline void Put_Right(Record_Text& r, std::string_view s, size_t width) {
  if (s.size() < width) Put_Blanks(r, width - s.size());
  Put_Text(r, s);
}

// "%-Ws": left-aligned, blank-filled to at least `width`.
inline void Put_Left(Record_Text& r, std::string_view s, size_t width) {
  Put_Text(r, s);
  if (s.size() < width) Put_Blanks(r, width - s.size());
}

// "%.Ns": at most `max` characters.
inline void Put_Cut(Record_Text& r, std::string_view s, size_t max) {
  Put_Text(r, s.substr(0, max));
}

// "%Wd" with fill ' ', "%0Wd" with fill '0'.
void Put_Int(Record_Text& r, int value, size_t width, char fill);

// "%4d%02d%02d": the date columns of $loc, $pic and $amp.
inline void Put_Date(Record_Text& r, int Year, int Month, int Day) {
  Put_Int(r, Year, 4, ' ');
  Put_Int(r, Month, 2, '0');
  Put_Int(r, Day, 2, '0');
}

// "%W.Pf", or "%+W.Pf" when `plus` is set (width at most 32), into `text`;
// returns the length.  The largest double has 309 digits before the point.
constexpr size_t kFixed_Room = 400;
size_t Format_Fixed(char (&text)[kFixed_Room], double value, size_t width,
                    int precision, bool plus);

// "%W.Pf", or "%+W.Pf" when `plus` is set.
void Put_Fixed(Record_Text& r, double value, size_t width, int precision,
               bool plus);

inline void Write_Record(const Record_Text& r, FILE* f) {
  std::fwrite(r.buffer.data(), 1, r.size, f);
}

#endif  // TREMVERT_RECORDS_RECORD_TEXT_H_
