// Files for the unit tests: a descriptor open on a nameless file that holds
// a given text, as a mapping file or a sheet would be open, and mapping
// tables loaded from such files.
#ifndef TREMVERT_TESTS_UNIT_TEST_FILES_H_
#define TREMVERT_TESTS_UNIT_TEST_FILES_H_

#include <unistd.h>

#include <cstdio>
#include <string>

#include "reference/code_lookup.h"

// A descriptor at the start of a file that holds `content`; the caller
// closes it.
inline int File_With(const std::string& content) {
  FILE* f = std::tmpfile();
  std::fwrite(content.data(), 1, content.size(), f);
  std::fflush(f);
  const int fd = dup(fileno(f));
  std::fclose(f);
  lseek(fd, 0, SEEK_SET);
  return fd;
}

// Loads both mapping tables from the texts of their files.  False, with the
// reason, when one cannot be read.
inline bool Load_Tables(const std::string& stations,
                        const std::string& instruments, Mapping_Tables& t,
                        std::string* err) {
  const int s = File_With(stations), i = File_With(instruments);
  const bool loaded =
      Load_Station_Mapping(s, t, err) && Load_Instrument_Mapping(i, t, err);
  close(s);
  close(i);
  return loaded;
}

#endif  // TREMVERT_TESTS_UNIT_TEST_FILES_H_
