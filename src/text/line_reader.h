// Whole-line reading of a file: every line is returned whole, whatever its
// length, with its line end; a last line without one gets one, so that it is
// read like every other line.
#ifndef TREMVERT_TEXT_LINE_READER_H_
#define TREMVERT_TEXT_LINE_READER_H_

#include <cstddef>
#include <string_view>
#include <vector>

struct Line_Reader {
  int fd = -1;
  std::vector<char> buffer;  // grows to hold the longest line
  size_t start = 0;          // first byte not yet returned
  size_t end = 0;            // end of the bytes read
  bool at_end = false;       // the file gave its last byte
  int read_error = 0;        // errno of a failed read: the lines end there
  bool start_known = false;  // whether a byte-order mark was looked for
};

// Reads the file open on `fd` from where it stands.  A UTF-8 byte-order mark
// (EF BB BF, as some editors save it) at the very start is no part of the
// text and is skipped; anywhere else its bytes stay as they are.  Throws
// std::bad_alloc.
void Open_Line_Reader(Line_Reader& r, int fd);

// The next line, valid until the next call; false at the end of the file or
// after a read error (then `read_error` is set and no partial line is given).
// A line larger than memory throws std::bad_alloc.
bool Read_Line(Line_Reader& r, std::string_view& line);

#endif  // TREMVERT_TEXT_LINE_READER_H_
