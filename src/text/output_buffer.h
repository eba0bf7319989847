// Text on its way to a file, or kept in memory: records and messages are
// formatted straight into the buffer, which is written out when it fills.
// Writes stop at the first failure, which is kept with its errno: no byte
// after a lost one ever reaches the file, and the run can say why.
#ifndef TREMVERT_TEXT_OUTPUT_BUFFER_H_
#define TREMVERT_TEXT_OUTPUT_BUFFER_H_

#include <cassert>
#include <cstddef>
#include <memory>
#include <string_view>

struct Out_Buffer {
  Out_Buffer() = default;
  Out_Buffer(const Out_Buffer&) = delete;
  Out_Buffer& operator=(const Out_Buffer&) = delete;

  std::unique_ptr<char[]> data;  // the buffer's one owner
  size_t size = 0;               // bytes held, not yet written
  size_t capacity = 0;           // bytes the buffer can hold
  int fd = -1;     // the file written; -1 keeps the text in memory
  int failed = 0;  // errno of the first failed write, 0 while none
};

// Gives the buffer room for `capacity` bytes and ties it to `fd` (-1: the
// text stays in memory and the buffer grows as needed).  Throws
// std::bad_alloc.
void Open_Out_Buffer(Out_Buffer& b, int fd, size_t capacity);

// Writes what the buffer holds to its file and empties it; a memory buffer
// keeps its text.  False once a write has failed; what is held then is
// dropped.
bool Flush_Out(Out_Buffer& b);

// Makes room for n more bytes: writes the buffer out, or grows it.
void Make_Room(Out_Buffer& b, size_t n);

// Room for n more bytes at data + size; the caller fills them and adds n to
// size.
inline char* Room(Out_Buffer& b, size_t n) {
  assert(b.size <= b.capacity);
  if (b.capacity - b.size < n) Make_Room(b, n);
  assert(b.capacity - b.size >= n);
  return b.data.get() + b.size;
}

// The text a memory buffer holds.
inline std::string_view Text_Of(const Out_Buffer& b) {
  return {b.data.get(), b.size};
}

#endif  // TREMVERT_TEXT_OUTPUT_BUFFER_H_
