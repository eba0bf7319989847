// Buffered output.  See the header.
#include "text/output_buffer.h"

#include <cassert>
#include <cerrno>
#include <cstring>

#include "text/failure.h"
#include "text/file_system.h"

void Open_Out_Buffer(Out_Buffer& b, int fd, size_t capacity) {
  assert(fd < 0 || capacity > 0);  // a file's buffer holds something
  b.data.reset(new char[capacity]);
  b.size = 0;
  b.capacity = capacity;
  b.fd = fd;
  b.failed = 0;
}

bool Flush_Out(Out_Buffer& b) {
  assert(b.size <= b.capacity);
  if (b.fd < 0) return true;
  size_t done = 0;
  while (b.failed == 0 && done < b.size) {
    const ssize_t n = System().Write(b.fd, b.data.get() + done, b.size - done);
    if (n > 0) {
      assert(static_cast<size_t>(n) <= b.size - done);  // no more than asked
      done += static_cast<size_t>(n);
    } else if (n < 0 && errno != EINTR)
      b.failed = Last_Error();
    else if (n == 0)
      b.failed = EIO;
  }
  b.size = 0;
  return b.failed == 0;
}

void Make_Room(Out_Buffer& b, size_t n) {
  if (b.fd >= 0) {
    Flush_Out(b);
    assert(b.size == 0);  // written out, or dropped after a failure
    if (b.capacity >= n) return;
  }
  // A memory buffer, or a record wider than the whole buffer: grow.
  const size_t capacity = 2 * (b.size + n);
  std::unique_ptr<char[]> larger(new char[capacity]);
  if (b.size > 0) std::memcpy(larger.get(), b.data.get(), b.size);
  b.data = std::move(larger);
  b.capacity = capacity;
  assert(b.capacity - b.size >= n);
}
