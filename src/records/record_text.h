// Catalog records built in memory with printf's conversions, then written
// with one fwrite.  Each Put_ function appends exactly what the printf
// conversion named beside it produces; the record writers keep their printf
// format as the reference beside the calls.
#ifndef TREMVERT_RECORDS_RECORD_TEXT_H_
#define TREMVERT_RECORDS_RECORD_TEXT_H_

#include <cstdio>
#include <string>
#include <string_view>

// "%s", and a literal.
inline void Put_Text(std::string& r, std::string_view s) { r.append(s); }

// "%c".
inline void Put_Char(std::string& r, char c) { r.push_back(c); }

// "%Ws": right-aligned, blank-filled to at least `width`.
void Put_Right(std::string& r, std::string_view s, size_t width);

// "%-Ws": left-aligned, blank-filled to at least `width`.
void Put_Left(std::string& r, std::string_view s, size_t width);

// "%.Ns": at most `max` characters.
inline void Put_Cut(std::string& r, std::string_view s, size_t max) {
  r.append(s.substr(0, max));
}

// "%Wd" with fill ' ', "%0Wd" with fill '0'.
void Put_Int(std::string& r, int value, size_t width, char fill);

// "%W.Pf", or "%+W.Pf" when `plus` is set.
void Put_Fixed(std::string& r, double value, size_t width, int precision,
               bool plus);

inline void Write_Record(const std::string& r, FILE* f) {
  std::fwrite(r.data(), 1, r.size(), f);
}

#endif  // TREMVERT_RECORDS_RECORD_TEXT_H_
