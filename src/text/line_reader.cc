// Whole-line reading.  See the header.
#include "text/line_reader.h"

#include <cassert>
#include <cerrno>
#include <cstring>

#include "text/failure.h"
#include "text/file_system.h"

void Open_Line_Reader(Line_Reader& r, int fd) {
  r = Line_Reader{};
  r.fd = fd;
  r.buffer.resize(1 << 18);
}

namespace {

constexpr char kByte_Order_Mark[] = "\xEF\xBB\xBF";

// Skips a byte-order mark at the start of the file; false while the bytes
// read so far begin one but end before its end.
bool Skip_Byte_Order_Mark(Line_Reader& r) {
  const size_t n = r.end - r.start;
  const bool begins = std::memcmp(r.buffer.data() + r.start, kByte_Order_Mark,
                                  n < 3 ? n : 3) == 0;
  if (begins && n < 3 && !r.at_end && r.read_error == 0) return false;
  if (begins && n >= 3) r.start += 3;
  r.start_known = true;
  return true;
}

}  // namespace

bool Read_Line(Line_Reader& r, std::string_view& line) {
  size_t searched = r.start;  // bytes before this hold no line end
  for (;;) {
    assert(r.start <= searched && searched <= r.end);
    assert(r.end <= r.buffer.size());
    if (!r.start_known && !Skip_Byte_Order_Mark(r)) searched = r.end;
    const char* base = r.buffer.data();
    const void* newline = std::memchr(base + searched, '\n', r.end - searched);
    if (newline != nullptr) {
      size_t stop = static_cast<const char*>(newline) - base + 1;
      assert(stop > r.start && stop <= r.end);
      line = std::string_view(base + r.start, stop - r.start);
      r.start = stop;
      return true;
    }
    if (r.read_error != 0) return false;
    if (r.at_end) {
      if (r.start == r.end) return false;
      // The last line has no line end: give it one.
      if (r.end == r.buffer.size()) r.buffer.resize(r.buffer.size() + 1);
      r.buffer[r.end++] = '\n';
      searched = r.end - 1;
      continue;
    }
    // Keep the unfinished line at the front, grow if it fills the buffer.
    if (r.start > 0) {
      std::memmove(r.buffer.data(), r.buffer.data() + r.start, r.end - r.start);
      r.end -= r.start;
      r.start = 0;
    }
    searched = r.end;
    if (r.end == r.buffer.size()) r.buffer.resize(r.buffer.size() * 2);
    const ssize_t n =
        System().Read(r.fd, r.buffer.data() + r.end, r.buffer.size() - r.end);
    if (n > 0) {
      assert(static_cast<size_t>(n) <= r.buffer.size() - r.end);
      r.end += static_cast<size_t>(n);
    } else if (n == 0)
      r.at_end = true;
    else if (errno != EINTR)  // what came before the failure is still given
      r.read_error = Last_Error();
  }
}
