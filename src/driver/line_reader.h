// Whole-line reading of the sheet: every line is returned whole, whatever
// its length, with its line end; a last line without one gets one, so that
// it is converted like every other line.
#ifndef TREMVERT_DRIVER_LINE_READER_H_
#define TREMVERT_DRIVER_LINE_READER_H_

#include <cstdio>
#include <string_view>
#include <vector>

struct Line_Reader {
  FILE* f = nullptr;
  std::vector<char> buffer;  // grows to hold the longest line
  size_t start = 0;          // first byte not yet returned
  size_t end = 0;            // end of the bytes read
  bool at_end = false;       // the file gave its last byte
  bool read_error = false;   // reading failed: the loop must end
};

void Open_Line_Reader(Line_Reader& r, FILE* f);

// The next line, valid until the next call; false at the end of the file or
// after a read error (then `read_error` is set and no partial line is given).
bool Read_Line(Line_Reader& r, std::string_view& line);

#endif  // TREMVERT_DRIVER_LINE_READER_H_
