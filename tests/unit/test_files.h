// Files for the unit tests: a descriptor open on a nameless file that holds
// a given text, as a mapping file or a sheet would be open.
#ifndef TREMVERT_TESTS_UNIT_TEST_FILES_H_
#define TREMVERT_TESTS_UNIT_TEST_FILES_H_

#include <unistd.h>

#include <cstdio>
#include <string>

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

#endif  // TREMVERT_TESTS_UNIT_TEST_FILES_H_
