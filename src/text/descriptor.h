// An open file descriptor with one owner, closed through the file-system seam
// when the owner goes, whichever way it goes (a failure, memory that runs
// out), so that no path of a run leaves a descriptor open.
#ifndef TREMVERT_TEXT_DESCRIPTOR_H_
#define TREMVERT_TEXT_DESCRIPTOR_H_

#include <utility>

#include "text/file_system.h"

class Descriptor {
 public:
  Descriptor() = default;
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(Descriptor&& other) noexcept : fd_(other.Release()) {}
  Descriptor& operator=(Descriptor&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() { Close(); }

  int get() const { return fd_; }
  bool is_open() const { return fd_ >= 0; }

  // Gives the descriptor up to the caller, which then closes it.
  int Release() { return std::exchange(fd_, -1); }

  // Closes the descriptor held, if any, and holds `fd` instead.
  void Reset(int fd = -1) {
    Close();
    fd_ = fd;
  }

  // Closes the descriptor now.  False, with errno set, when close failed
  // (the descriptor is gone all the same); true when none was open.
  bool Close() {
    if (fd_ < 0) return true;
    return System().Close(std::exchange(fd_, -1)) == 0;
  }

 private:
  int fd_ = -1;
};

#endif  // TREMVERT_TEXT_DESCRIPTOR_H_
