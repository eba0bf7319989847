// The two mapping files: opening them and reading them into the lookup's
// tables, for the converter and the sheet checker.  Their names are
// "station.mapping.out" and "instrument.mapping.out" in the working folder,
// unless the command line names others.
#ifndef TREMVERT_DRIVER_MAPPING_FILES_H_
#define TREMVERT_DRIVER_MAPPING_FILES_H_

#include <string>

#include "driver/input_file.h"
#include "reference/code_lookup.h"

inline constexpr const char* kInstrument_Mapping = "instrument.mapping.out";
inline constexpr const char* kStation_Mapping = "station.mapping.out";

// Both files and the tables read from them.
struct Mapping_Files {
  Input_File inst, stat;
  Mapping_Tables maps;
};

// Opens a mapping file for reading.  False, with the reason, when it cannot
// be opened or is neither a regular file nor a character device such as
// /dev/null (a FIFO or a socket would never end, or block).
bool Open_Mapping_File(Input_File& f, std::string* err);

// Reads the open instrument or station mapping file into its table.  False,
// with the reason, after a read error, or when the file is larger than
// memory ("out of memory") or than a table holds.
bool Read_Instrument_File(Mapping_Files& m, std::string* err);
bool Read_Station_File(Mapping_Files& m, std::string* err);

#endif  // TREMVERT_DRIVER_MAPPING_FILES_H_
