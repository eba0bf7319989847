// Small helpers for tests that hand a converter or check a stream and then
// read back what it wrote.
#ifndef TREMVERT_TESTS_UNIT_TEST_FILES_H_
#define TREMVERT_TESTS_UNIT_TEST_FILES_H_

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "reference/time_normalisation.h"

// An anonymous temporary file holding `content`, positioned at its start.
inline FILE* File_With(const std::string& content) {
  FILE* f = std::tmpfile();
  std::fwrite(content.data(), 1, content.size(), f);
  std::rewind(f);
  return f;
}

// Everything written to `f` so far.
inline std::string Content_Of(FILE* f) {
  std::fflush(f);
  std::rewind(f);
  std::string text;
  char chunk[4096];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) text.append(chunk, n);
  return text;
}

inline void Use_Time_Zone(const char* tz) {
  setenv("TZ", tz, 1);
  Reset_Time_Zone();
}

#endif  // TREMVERT_TESTS_UNIT_TEST_FILES_H_
