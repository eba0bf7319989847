// Which file a name or an open descriptor stands for, so that no output of a
// run is ever one of its inputs, the other output, or the run's own standard
// output or error.
#ifndef TREMVERT_DRIVER_FILE_IDENTITY_H_
#define TREMVERT_DRIVER_FILE_IDENTITY_H_

#include <sys/stat.h>
#include <sys/types.h>

#include <string>

struct File_Identity {
  // kNone: nothing to compare: a character device (/dev/null, a terminal),
  // which stores nothing that a write could destroy and may stand for several
  // files of a run, or a name whose directory does not exist.
  // kFile: an existing file.  kNew: a file that does not exist yet, known by
  // its directory and its name in it.
  enum Kind { kNone, kFile, kNew } kind = kNone;
  dev_t device = 0;  // of the file, or of the directory of a new one
  ino_t inode = 0;
  std::string name;  // kNew: the name in that directory
};

// The identity of an existing file from its status.
File_Identity Identity_Of_Status(const struct stat& st);

// The identity of a file that does not exist yet: that of the folder open on
// `folder`, and its name there.  kNone when the folder cannot be looked at.
File_Identity Identity_Of_New(int folder, const std::string& name);

bool Same_File(const File_Identity& a, const File_Identity& b);

// The directory part of a path, with its final slash ("a/b/" of "a/b/c"),
// or the empty text for a name without one; and the name after it.
std::string Directory_Of(const std::string& path);
std::string Name_Of(const std::string& path);

#endif  // TREMVERT_DRIVER_FILE_IDENTITY_H_
