// Catalog text built in memory with printf's conversions, then written with
// one fwrite.  Each Put_ function appends exactly what the printf conversion
// named beside it produces; the record writers keep their printf format as
// the reference beside the calls.
#ifndef TREMVERT_TEXT_RECORD_TEXT_H_
#define TREMVERT_TEXT_RECORD_TEXT_H_

#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>

// A text buffer that lives where the record is built: records of the usual
// widths stay in `small`, a wider one moves to the heap.
struct Record_Text {
  Record_Text() = default;
  Record_Text(const Record_Text&) = delete;
  Record_Text& operator=(const Record_Text&) = delete;

  char* data = small;
  size_t size = 0;
  size_t capacity = sizeof small;
  char small[512];
  std::unique_ptr<char[]> large;
};

inline void Clear(Record_Text& r) { r.size = 0; }

inline std::string_view Text_Of(const Record_Text& r) {
  return {r.data, r.size};
}

// Makes room for n more characters than `size`.
void Grow(Record_Text& r, size_t n);

// Room for n more characters; the caller fills them and adds n to size.
inline char* Room(Record_Text& r, size_t n) {
  if (r.capacity - r.size < n) Grow(r, n);
  return r.data + r.size;
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

// "%W.Pf", or "%+W.Pf" when `plus` is set.
void Put_Fixed(Record_Text& r, double value, size_t width, int precision,
               bool plus);

// Appends the text to the file; a failed write leaves the file's error flag
// set, which the run looks at after each line.
inline void Write_Record(const Record_Text& r, FILE* f) {
  std::fwrite(r.data, 1, r.size, f);
}

#endif  // TREMVERT_TEXT_RECORD_TEXT_H_
