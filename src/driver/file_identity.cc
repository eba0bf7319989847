// File identities.  See the header.
#include "driver/file_identity.h"

#include "text/file_system.h"

File_Identity Identity_Of_Status(const struct stat& st) {
  File_Identity id;
  if (S_ISCHR(st.st_mode)) return id;
  id.kind = File_Identity::kFile;
  id.device = st.st_dev;
  id.inode = st.st_ino;
  return id;
}

File_Identity Identity_Of_New(int folder, const std::string& name) {
  struct stat st;
  File_Identity id;
  if (System().Fstat(folder, &st) != 0) return id;
  id.kind = File_Identity::kNew;
  id.device = st.st_dev;
  id.inode = st.st_ino;
  id.name = name;
  return id;
}

bool Same_File(const File_Identity& a, const File_Identity& b) {
  return a.kind != File_Identity::kNone && a.kind == b.kind &&
         a.device == b.device && a.inode == b.inode && a.name == b.name;
}

std::string Directory_Of(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string Name_Of(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}
