// Whether two names or open files are the same file (device and inode), so
// that no output of a run is ever one of its inputs or the other output.
#ifndef TREMVERT_DRIVER_FILE_IDENTITY_H_
#define TREMVERT_DRIVER_FILE_IDENTITY_H_

#include <sys/types.h>

#include <cstdio>
#include <initializer_list>
#include <string>

struct File_Identity {
  bool known = false;  // false: no such file (yet), or a character device
  dev_t device = 0;
  ino_t inode = 0;
};

// The file that a name leads to, links followed.
File_Identity Identity_Of(const std::string& name);

// The file of an open descriptor, or of an open stream that has one.
File_Identity Identity_Of(int fd);
inline File_Identity Identity_Of(FILE* f) { return Identity_Of(fileno(f)); }

struct Named_Identity {
  std::string name;
  File_Identity identity;
};

// The name of the first of `others` that is the same file as `file`, or the
// empty text when none is.
std::string Same_File_Among(const File_Identity& file,
                            std::initializer_list<Named_Identity> others);

#endif  // TREMVERT_DRIVER_FILE_IDENTITY_H_
