// Outputs that stop at their first failed write.  See the header.
#include "driver/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "driver/fatal_failure.h"

namespace {

ssize_t Write_Output(void* cookie, const char* data, size_t size) {
  Output_File& file = *static_cast<Output_File*>(cookie);
  size_t done = 0;
  while (file.failed == 0 && done < size) {
    ssize_t n = write(file.fd, data + done, size - done);
    if (n > 0)
      done += n;
    else if (n < 0 && errno != EINTR)
      file.failed = errno;
    else if (n == 0)
      file.failed = EIO;
  }
  return file.failed == 0 ? static_cast<ssize_t>(size) : 0;
}

int Close_Output(void* cookie) {
  Output_File& file = *static_cast<Output_File*>(cookie);
  if (close(file.fd) != 0 && file.failed == 0) file.failed = errno;
  file.fd = -1;
  return file.failed == 0 ? 0 : -1;
}

}  // namespace

FILE* Open_Output(const std::string& name, Output_File& file,
                  std::string& reason) {
  struct stat st;
  const bool fifo = stat(name.c_str(), &st) == 0 && S_ISFIFO(st.st_mode);
  file = Output_File{};
  file.fd = fifo ? open(name.c_str(), O_WRONLY | O_NONBLOCK)
                 : open(name.c_str(), O_RDWR | O_CREAT, 0666);
  if (file.fd < 0) {
    reason =
        fifo && errno == ENXIO ? "a FIFO that nobody reads" : Reason_Of(errno);
    return nullptr;
  }
  if (fifo) fcntl(file.fd, F_SETFL, fcntl(file.fd, F_GETFL) & ~O_NONBLOCK);
  // The stream first, so that a lack of memory empties nothing; then the
  // file is emptied, as "w+" does (a device has nothing to empty).
  FILE* f =
      fopencookie(&file, "w", {nullptr, Write_Output, nullptr, Close_Output});
  if (f == nullptr) {
    reason = Reason_Of(errno);
    close(file.fd);
    return nullptr;
  }
  if (fstat(file.fd, &st) == 0 && S_ISREG(st.st_mode) &&
      ftruncate(file.fd, 0) != 0) {
    reason = Reason_Of(errno);
    std::fclose(f);
    return nullptr;
  }
  return f;
}
