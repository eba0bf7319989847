// An output of a run (the catalog or the error log) and all that the run
// knows of it, in one owner: the folder that holds its name, the earlier
// file at that name, the new file it is written to, its buffer and
// descriptor, its first failure, and the second link that keeps the earlier
// file while the outputs are replaced.
//
// How an output is written is decided once, as it is prepared:
//   kReplace    a regular file, or none yet: written to a new file in its
//               folder, which takes the output's name when the run succeeds;
//   kTemporary  a regular file in a folder that refuses a new file (the user
//               may write the output but not the folder): written to a
//               temporary file in the system's temporary folder, copied
//               into the output in place once the run has succeeded;
//   kInPlace    a character device or a FIFO: written as the run goes.
// A failed or interrupted run thus leaves an earlier regular file exactly as
// it was.
#ifndef TREMVERT_DRIVER_OUTPUT_FILE_H_
#define TREMVERT_DRIVER_OUTPUT_FILE_H_

#include <sys/stat.h>

#include <cstddef>
#include <string>

#include "driver/file_identity.h"
#include "text/descriptor.h"
#include "text/output_buffer.h"

struct Output_File {
  enum Mode { kReplace, kTemporary, kInPlace };

  std::string name;  // as formed from the base name, for messages
  int slot = 0;      // its slot among the files an interruption removes
  Mode mode = kReplace;
  Descriptor folder;         // the folder that holds its name (O_PATH)
  std::string folder_path;   // its path ("" for "."), for messages only
  std::string final_name;    // its name there, symbolic links followed
  Descriptor earlier;        // the earlier file, open for writing, untouched
  bool exists = false;       // there is an earlier file
  struct stat status {};     // of the earlier file
  File_Identity identity;    // of the earlier file, or of the name to make
  std::string new_name;      // kReplace: the new file, while not in place
  std::string restore_name;  // the earlier file's second link, if kept
  Out_Buffer out;  // the buffer, on the new, temporary or earlier file
};

// A name for a file of the run in the folder of `o`: "<final>.Tremvert-
// <what>-XXXXXX", or "Tremvert-<what>-XXXXXX" when `shorter` (for a final
// name too long to take more).
std::string Name_Beside(const Output_File& o, const char* what, bool shorter);

// Finds the folder and the final name of the output, following symbolic
// links at its name one by one, each relative to the folder it is in.  False,
// with the reason, when that cannot be done for any reason other than "no
// such file" (too many links, a folder that cannot be opened).
bool Find_Output(Output_File& o, std::string* err);

// Opens the earlier file at the final name for writing, without changing it
// and without following a link, and looks at it by its descriptor: what
// that descriptor reaches is what the identity checks see.  No file there is
// no failure.  False, with the reason, when it cannot be opened, or is
// neither a regular file, a character device nor a FIFO ("not a regular
// file"), or is a FIFO that nobody reads.
bool Open_Earlier(Output_File& o, std::string* err);

// Makes the file that the run writes, with a buffer of `capacity` bytes: the
// new file beside the earlier one (with its owner, group, permission bits,
// access control list and extended attributes, as far as the system lets
// them be given), or a temporary file, or none (kInPlace).  False, with the
// reason, when that cannot be done; nothing has changed then.  Throws
// std::bad_alloc.
bool Make_Output(Output_File& o, size_t capacity, std::string* err);

// Writes out the buffer and closes the file it is on, unless it is a
// temporary file, which is copied into place later.  False when a write or
// the close failed: the buffer's first failure (o.out.failed) says why.
bool Close_Output(Output_File& o);

// Copies the temporary file of a kTemporary output into the earlier file, in
// place.  0, or the errno of the failure: the output is cut then.  Allocates
// nothing, as a step of the outputs' replacement (so it keeps the errno value
// rather than a reason's text).
int Copy_Into_Place(Output_File& o);

// Removes the new file of a run that did not succeed (and a second link to
// the earlier file, should one be left), and closes all that the output
// still has open.
void Discard_Output(Output_File& o);

#endif  // TREMVERT_DRIVER_OUTPUT_FILE_H_
