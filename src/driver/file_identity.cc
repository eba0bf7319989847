// File identities.  See the header.
#include "driver/file_identity.h"

#include <sys/stat.h>

namespace {

// A character device (/dev/null, /dev/full, a terminal) stores nothing that
// a write could destroy, so it may stand for several files of a run.
File_Identity Identity_Of_Status(int result, const struct stat& st) {
  if (result != 0 || S_ISCHR(st.st_mode)) return {};
  return {true, st.st_dev, st.st_ino};
}

}  // namespace

File_Identity Identity_Of(const std::string& name) {
  struct stat st;
  return Identity_Of_Status(stat(name.c_str(), &st), st);
}

File_Identity Identity_Of(int fd) {
  struct stat st;
  return Identity_Of_Status(fstat(fd, &st), st);
}

std::string Same_File_Among(const File_Identity& file,
                            std::initializer_list<Named_Identity> others) {
  if (!file.known) return {};
  for (const Named_Identity& other : others)
    if (other.identity.known && other.identity.device == file.device &&
        other.identity.inode == file.inode)
      return other.name;
  return {};
}
