// The unit tests' file system that fails chosen calls, and the files they
// read, write and count, shared by the tests of whole runs.
#ifndef TREMVERT_TESTS_UNIT_FAULTY_FILE_SYSTEM_H_
#define TREMVERT_TESTS_UNIT_FAULTY_FILE_SYSTEM_H_

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "text/file_system.h"

// Fails the `nth` call (0: every call) of one kind whose file's name holds
// `part` (is `part`, when `exact`), with `error`.  Names relative to a
// folder are seen as given.  Every call is counted, by kind and name.
struct Faulty_File_System : File_System {
  std::string kind, part;
  int nth = 1, error = EIO, seen = 0;
  bool exact = false;
  std::map<int, std::string> names;  // open descriptors

  std::map<std::string, int> calls;  // "KIND NAME": how many were made

  bool Fails(const char* call, const std::string& name) {
    ++calls[std::string(call) + " " + name];
    if (kind != call ||
        (exact ? name != part : name.find(part) == std::string::npos))
      return false;
    if (nth != 0 && ++seen != nth) return false;
    errno = error;
    return true;
  }
  int Opened(int fd, const char* path) {
    if (fd >= 0) names[fd] = path;
    return fd;
  }
  int Open(const char* path, int flags, mode_t mode) override {
    if (Fails("open", path)) return -1;
    return Opened(File_System::Open(path, flags, mode), path);
  }
  int Openat(int folder, const char* name, int flags, mode_t mode) override {
    if (Fails("open", name)) return -1;
    return Opened(File_System::Openat(folder, name, flags, mode), name);
  }
  ssize_t Read(int fd, void* data, size_t size) override {
    return Fails("read", names[fd]) ? -1 : File_System::Read(fd, data, size);
  }
  ssize_t Pread(int fd, void* data, size_t size, off_t at) override {
    return Fails("pread", names[fd]) ? -1
                                     : File_System::Pread(fd, data, size, at);
  }
  ssize_t Write(int fd, const void* data, size_t size) override {
    if (!Fails("write", names[fd])) return File_System::Write(fd, data, size);
    return error == 0 ? 0 : -1;  // error 0: a write that writes nothing
  }
  int Close(int fd) override {
    const std::string name = names[fd];
    names.erase(fd);
    const int result = File_System::Close(fd);
    return Fails("close", name) ? -1 : result;
  }
  int Fstat(int fd, struct stat* st) override {
    return Fails("fstat", names[fd]) ? -1 : File_System::Fstat(fd, st);
  }
  int Fstatat(int folder, const char* name, struct stat* st,
              int flags) override {
    return Fails("fstatat", name)
               ? -1
               : File_System::Fstatat(folder, name, st, flags);
  }
  ssize_t Readlinkat(int folder, const char* name, char* text,
                     size_t size) override {
    return Fails("readlink", name)
               ? -1
               : File_System::Readlinkat(folder, name, text, size);
  }
  int Renameat(int from_folder, const char* from, int to_folder,
               const char* to) override {
    return Fails("rename", std::string(from) + " > " + to)
               ? -1
               : File_System::Renameat(from_folder, from, to_folder, to);
  }
  int Linkat(int from_folder, const char* from, int to_folder,
             const char* to) override {
    return Fails("link", from)
               ? -1
               : File_System::Linkat(from_folder, from, to_folder, to);
  }
  int Unlinkat(int folder, const char* name) override {
    return Fails("unlink", name) ? -1 : File_System::Unlinkat(folder, name);
  }
  int Fchmod(int fd, mode_t mode) override {
    return Fails("fchmod", names[fd]) ? -1 : File_System::Fchmod(fd, mode);
  }
  int Fchown(int fd, uid_t owner, gid_t group) override {
    return Fails("fchown", names[fd]) ? -1
                                      : File_System::Fchown(fd, owner, group);
  }
  int Ftruncate(int fd, off_t length) override {
    return Fails("ftruncate", names[fd]) ? -1
                                         : File_System::Ftruncate(fd, length);
  }
  int Fcntl(int fd, int command, int argument) override {
    if (Fails("fcntl", names[fd])) return -1;
    const int result = File_System::Fcntl(fd, command, argument);
    if (command == F_DUPFD_CLOEXEC && result >= 0) names[result] = names[fd];
    return result;
  }
  int Flock(int fd, int operation) override {
    return Fails("flock", names[fd]) ? -1 : File_System::Flock(fd, operation);
  }
  ssize_t Flistxattr(int fd, char* list, size_t size) override {
    return Fails("flistxattr", names[fd])
               ? -1
               : File_System::Flistxattr(fd, list, size);
  }
  ssize_t Fgetxattr(int fd, const char* name, void* value,
                    size_t size) override {
    return Fails("fgetxattr", name)
               ? -1
               : File_System::Fgetxattr(fd, name, value, size);
  }
  int Fsetxattr(int fd, const char* name, const void* value,
                size_t size) override {
    return Fails("fsetxattr", name)
               ? -1
               : File_System::Fsetxattr(fd, name, value, size);
  }
  int Fremovexattr(int fd, const char* name) override {
    return Fails("fremovexattr", name) ? -1
                                       : File_System::Fremovexattr(fd, name);
  }
};

inline std::string Read_File(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline void Write_File(const std::string& name, const std::string& text) {
  std::ofstream(name, std::ios::binary) << text;
}

// A working folder of a test's own, made fresh under the temporary folder
// and entered, with mapping files that list the station and instrument
// "ABC"; left and removed by Leave().
struct Run_Folder {
  std::filesystem::path home, dir;
  void Enter(const std::string& prefix) {
    home = std::filesystem::current_path();
    dir = std::filesystem::temp_directory_path() /
          (prefix + std::to_string(getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    std::filesystem::current_path(dir);
    Write_File("station.mapping.out", "NN ABC\n");
    Write_File("instrument.mapping.out", "ABC 01 BH\n");
  }
  void Leave() {
    std::filesystem::current_path(home);
    std::filesystem::remove_all(dir);
  }
};

// The descriptors open in the process, as a text: a run must leave them as
// it found them.
inline std::string Open_Descriptors() {
  std::vector<int> fds;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
    fds.push_back(std::stoi(entry.path().filename().string()));
  std::sort(fds.begin(), fds.end());
  std::string text;
  for (int fd : fds) text += std::to_string(fd) + " ";
  return text;
}

#endif  // TREMVERT_TESTS_UNIT_FAULTY_FILE_SYSTEM_H_
