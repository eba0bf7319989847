// The calls to the operating system that open, read, write, inspect and
// replace files, behind one interface, so that tests can make any of them
// fail and run the failure paths in-process.
#ifndef TREMVERT_TEXT_FILE_SYSTEM_H_
#define TREMVERT_TEXT_FILE_SYSTEM_H_

#include <sys/stat.h>
#include <sys/types.h>

#include <climits>
#include <cstddef>

// The room that the system's longest path takes, and its longest name in a
// folder, each with a final NUL (PATH_MAX and NAME_MAX + 1, on the systems
// this runs on).
inline constexpr size_t kPath_Room = PATH_MAX;
inline constexpr size_t kName_Room = NAME_MAX + 1;

struct File_System {
  virtual ~File_System() = default;
  // Each is the system call of the same name: -1 with errno set on failure.
  // Names are relative to a folder's descriptor (or AT_FDCWD), so that a
  // folder is looked up once, however long its path, and cannot be swapped
  // under a run.
  virtual int Open(const char* path, int flags, mode_t mode);
  virtual int Openat(int folder, const char* name, int flags, mode_t mode);
  virtual ssize_t Read(int fd, void* data, size_t size);
  virtual ssize_t Write(int fd, const void* data, size_t size);
  virtual ssize_t Pread(int fd, void* data, size_t size, off_t offset);
  virtual int Close(int fd);
  virtual int Fstat(int fd, struct stat* st);
  virtual int Fstatat(int folder, const char* name, struct stat* st, int flags);
  virtual ssize_t Readlinkat(int folder, const char* name, char* text,
                             size_t size);
  virtual int Renameat(int from_folder, const char* from, int to_folder,
                       const char* to);
  virtual int Linkat(int from_folder, const char* from, int to_folder,
                     const char* to);
  virtual int Unlinkat(int folder, const char* name);
  virtual int Fchmod(int fd, mode_t mode);
  virtual int Fchown(int fd, uid_t owner, gid_t group);
  virtual int Ftruncate(int fd, off_t length);
  virtual int Flock(int fd, int operation);
  virtual int Fcntl(int fd, int command, int argument);
  virtual ssize_t Flistxattr(int fd, char* list, size_t size);
  virtual ssize_t Fgetxattr(int fd, const char* name, void* value, size_t size);
  virtual int Fsetxattr(int fd, const char* name, const void* value,
                        size_t size);
  virtual int Fremovexattr(int fd, const char* name);
};

// Clears O_NONBLOCK, which opens a FIFO without waiting, so that reads and
// writes wait as usual.  False, with errno set, when fcntl fails.
bool Clear_Nonblock(int fd);

// The file system in use: the operating system's, unless a test put another
// in its place.
File_System& System();

// Puts `fs` in place (nullptr: the operating system's again) and returns the
// one that was in use.
File_System* Use_File_System(File_System* fs);

#endif  // TREMVERT_TEXT_FILE_SYSTEM_H_
