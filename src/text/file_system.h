// The calls to the operating system that open, read, write, inspect and
// replace files, behind one interface, so that tests can make any of them
// fail and run the failure paths in-process.
#ifndef TREMVERT_TEXT_FILE_SYSTEM_H_
#define TREMVERT_TEXT_FILE_SYSTEM_H_

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>

struct File_System {
  virtual ~File_System() = default;
  // Each is the system call of the same name: -1 with errno set on failure.
  virtual int Open(const char* path, int flags, mode_t mode);
  virtual ssize_t Read(int fd, void* data, size_t size);
  virtual ssize_t Write(int fd, const void* data, size_t size);
  virtual int Close(int fd);
  virtual int Stat(const char* path, struct stat* st);
  virtual int Lstat(const char* path, struct stat* st);
  virtual int Fstat(int fd, struct stat* st);
  virtual ssize_t Readlink(const char* path, char* text, size_t size);
  virtual int Rename(const char* from, const char* to);
  virtual int Unlink(const char* path);
  virtual int Fchmod(int fd, mode_t mode);
  virtual int Fchown(int fd, uid_t owner, gid_t group);
  virtual int Ftruncate(int fd, off_t length);
};

// The file system in use: the operating system's, unless a test put another
// in its place.
File_System& System();

// Puts `fs` in place (nullptr: the operating system's again) and returns the
// one that was in use.
File_System* Use_File_System(File_System* fs);

#endif  // TREMVERT_TEXT_FILE_SYSTEM_H_
