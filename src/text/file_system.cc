// The operating system's calls.  See the header.
#include "text/file_system.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstdio>

int File_System::Open(const char* path, int flags, mode_t mode) {
  return open(path, flags, mode);
}
int File_System::Openat(int folder, const char* name, int flags, mode_t mode) {
  return openat(folder, name, flags, mode);
}
ssize_t File_System::Read(int fd, void* data, size_t size) {
  return read(fd, data, size);
}
ssize_t File_System::Write(int fd, const void* data, size_t size) {
  return write(fd, data, size);
}
ssize_t File_System::Pread(int fd, void* data, size_t size, off_t offset) {
  return pread(fd, data, size, offset);
}
int File_System::Close(int fd) { return close(fd); }
int File_System::Fstat(int fd, struct stat* st) { return fstat(fd, st); }
int File_System::Fstatat(int folder, const char* name, struct stat* st,
                         int flags) {
  return fstatat(folder, name, st, flags);
}
ssize_t File_System::Readlinkat(int folder, const char* name, char* text,
                                size_t size) {
  return readlinkat(folder, name, text, size);
}
int File_System::Renameat(int from_folder, const char* from, int to_folder,
                          const char* to) {
  return renameat(from_folder, from, to_folder, to);
}
int File_System::Linkat(int from_folder, const char* from, int to_folder,
                        const char* to) {
  return linkat(from_folder, from, to_folder, to, 0);
}
int File_System::Unlinkat(int folder, const char* name) {
  return unlinkat(folder, name, 0);
}
int File_System::Fchmod(int fd, mode_t mode) { return fchmod(fd, mode); }
int File_System::Fchown(int fd, uid_t owner, gid_t group) {
  return fchown(fd, owner, group);
}
int File_System::Ftruncate(int fd, off_t length) {
  return ftruncate(fd, length);
}
int File_System::Flock(int fd, int operation) { return flock(fd, operation); }
int File_System::Fcntl(int fd, int command, int argument) {
  return fcntl(fd, command, argument);
}

bool Clear_Nonblock(int fd) {
  const int flags = System().Fcntl(fd, F_GETFL, 0);
  return flags != -1 && System().Fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != -1;
}
ssize_t File_System::Flistxattr(int fd, char* list, size_t size) {
  return flistxattr(fd, list, size);
}
ssize_t File_System::Fgetxattr(int fd, const char* name, void* value,
                               size_t size) {
  return fgetxattr(fd, name, value, size);
}
int File_System::Fsetxattr(int fd, const char* name, const void* value,
                           size_t size) {
  return fsetxattr(fd, name, value, size, 0);
}
int File_System::Fremovexattr(int fd, const char* name) {
  return fremovexattr(fd, name);
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
