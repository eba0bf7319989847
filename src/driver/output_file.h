// An output of a run (the catalog or the error log) and all that the run
// knows of it: the file it replaces, the new file it is written to beside
// that one, its buffer and descriptor, and its first failure.
//
// A regular file (or one that does not exist yet) is written to a new file
// in the same directory, which takes its name only when the run succeeds: a
// failed or interrupted run leaves the earlier output exactly as it was.  A
// character device or a FIFO is written in place, and so is a file beside
// which no new file can be made (a directory the user may not write).
#ifndef TREMVERT_DRIVER_OUTPUT_FILE_H_
#define TREMVERT_DRIVER_OUTPUT_FILE_H_

#include <sys/stat.h>

#include <cstddef>
#include <string>

#include "driver/file_identity.h"
#include "text/output_buffer.h"

struct Output_File {
  std::string name;    // as formed from the base name, for messages
  int slot = 0;        // its place among the run's new files (0 or 1)
  std::string target;  // the name with symbolic links followed
  bool exists = false;
  bool in_place = false;  // written in place: a device, a FIFO
  struct stat status {};  // of an existing target
  File_Identity identity;
  std::string new_file;  // the file written, while it is not in place yet
  Out_Buffer out;        // its buffer and descriptor
};

// Follows the name's symbolic links and looks at the file it leads to.
// False, with the reason, when that cannot be done for any reason other than
// "no such file", or when the file is neither a regular file, a character
// device nor a FIFO ("not a regular file").
bool Prepare_Output(Output_File& o, std::string* err);

// Makes the new file (or opens the target to be written in place), with a
// buffer of `capacity` bytes.  False, with the reason, when neither can be
// done; nothing has changed then.  Throws std::bad_alloc.
bool Open_Output(Output_File& o, size_t capacity, std::string* err);

// Writes out the buffer and closes the file.  0, or the errno of the first
// failed write or of the close.
int Close_Output(Output_File& o);

// Gives the new file the target's name, replacing the earlier output (whose
// permission bits it has).  False, with the reason, when that fails.
bool Replace_Output(Output_File& o, std::string* err);

// Removes the new file of a run that did not succeed.
void Discard_Output(Output_File& o);

#endif  // TREMVERT_DRIVER_OUTPUT_FILE_H_
