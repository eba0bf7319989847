// A file that a run reads (the sheet, a mapping file): its name, its
// descriptor while it is open, and which file it is, so that no output is
// ever one of them.
#ifndef TREMVERT_DRIVER_INPUT_FILE_H_
#define TREMVERT_DRIVER_INPUT_FILE_H_

#include <string>

#include "driver/file_identity.h"
#include "text/descriptor.h"

struct Input_File {
  std::string name;  // as the command line gave it, for messages
  Descriptor fd;     // while it is open
  File_Identity identity;
};

// Opens the file for reading and looks at it by its descriptor.  False,
// with the reason, when it cannot be opened or looked at; it is closed then.
bool Open_Input(Input_File& f, std::string* err);

// Closes the file, if open.
void Close_Input(Input_File& f);

#endif  // TREMVERT_DRIVER_INPUT_FILE_H_
