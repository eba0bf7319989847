// An output of a run (the catalog or the error log), written through a stream
// whose writes stop at the first failure, which is kept with its errno: no
// byte after a lost one ever reaches the file, and the run can say why.
#ifndef TREMVERT_DRIVER_OUTPUT_FILE_H_
#define TREMVERT_DRIVER_OUTPUT_FILE_H_

#include <cstdio>
#include <string>

struct Output_File {
  int fd = -1;
  int failed = 0;  // errno of the first failed write, or of the close
};

// Creates the file, or empties it if it exists, for reading and writing (as
// fopen's "w+" does).  An existing FIFO is opened for writing only, and only
// when a reader is there: written with nobody reading, it would hold the
// catalog until it blocked.  nullptr, with the reason set, when the file
// cannot be opened.  `file` must outlive the stream.
FILE* Open_Output(const std::string& name, Output_File& file,
                  std::string& reason);

#endif  // TREMVERT_DRIVER_OUTPUT_FILE_H_
