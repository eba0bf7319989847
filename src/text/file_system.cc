// The operating system's calls.  See the header.
#include "text/file_system.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

int File_System::Open(const char* path, int flags, mode_t mode) {
  return open(path, flags, mode);
}
ssize_t File_System::Read(int fd, void* data, size_t size) {
  return read(fd, data, size);
}
ssize_t File_System::Write(int fd, const void* data, size_t size) {
  return write(fd, data, size);
}
int File_System::Close(int fd) { return close(fd); }
int File_System::Stat(const char* path, struct stat* st) {
  return stat(path, st);
}
int File_System::Lstat(const char* path, struct stat* st) {
  return lstat(path, st);
}
int File_System::Fstat(int fd, struct stat* st) { return fstat(fd, st); }
ssize_t File_System::Readlink(const char* path, char* text, size_t size) {
  return readlink(path, text, size);
}
int File_System::Rename(const char* from, const char* to) {
  return std::rename(from, to);
}
int File_System::Unlink(const char* path) { return unlink(path); }
int File_System::Fchmod(int fd, mode_t mode) { return fchmod(fd, mode); }
int File_System::Fchown(int fd, uid_t owner, gid_t group) {
  return fchown(fd, owner, group);
}
int File_System::Ftruncate(int fd, off_t length) {
  return ftruncate(fd, length);
}

namespace {
File_System operating_system;
File_System* in_use = &operating_system;
}  // namespace

File_System& System() { return *in_use; }

File_System* Use_File_System(File_System* fs) {
  File_System* before = in_use;
  in_use = fs != nullptr ? fs : &operating_system;
  return before;
}
