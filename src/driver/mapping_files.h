// The two mapping files of the working directory: opening them and reading
// them into the lookup's tables, for the converter and the sheet checker.
#ifndef TREMVERT_DRIVER_MAPPING_FILES_H_
#define TREMVERT_DRIVER_MAPPING_FILES_H_

#include <string>

#include "driver/file_identity.h"
#include "reference/code_lookup.h"

inline constexpr const char* kInstrument_Mapping = "instrument.mapping.out";
inline constexpr const char* kStation_Mapping = "station.mapping.out";

// A file that a run reads, open on `fd` (or -1), and which file it is.
struct Input_File {
  std::string name;
  int fd = -1;
  File_Identity identity;
};

// Opens a mapping file for reading.  False, with the reason, when it cannot
// be opened or is neither a regular file nor a character device such as
// /dev/null (a FIFO or a socket would never end, or block).
bool Open_Mapping_File(Input_File& f, std::string* err);

// Reads the instrument mapping file, then the station mapping file, into the
// tables.  nullptr, or the name of the file that could not be read (a read
// error, or more than memory holds) with the reason set.
const char* Load_Mapping_Files(const Input_File& inst, const Input_File& stat,
                               Mapping_Tables& maps, std::string* err);

// Closes the file, if open.
void Close_Input(Input_File& f);

#endif  // TREMVERT_DRIVER_MAPPING_FILES_H_
