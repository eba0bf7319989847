// The two mapping files of the working directory: opening them and reading
// them into the lookup's tables, for the converter and the sheet checker.
#ifndef TREMVERT_DRIVER_MAPPING_FILES_H_
#define TREMVERT_DRIVER_MAPPING_FILES_H_

#include <cstdio>
#include <string>

#include "reference/code_lookup.h"

inline constexpr const char* kInstrument_Mapping = "instrument.mapping.out";
inline constexpr const char* kStation_Mapping = "station.mapping.out";

// Opens a mapping file for update (as the converter does, so that a file the
// user may not write fails) or for reading only.  nullptr, with the reason
// set, when it cannot be opened or is neither a regular file nor a character
// device such as /dev/null: a FIFO opened for update would never end, the
// program being one of its writers.
FILE* Open_Mapping_File(const char* name, bool for_update, std::string& reason);

// Reads the instrument mapping file, then the station mapping file, into the
// tables.  nullptr, or the name of the file that could not be read (a read
// error, or more than memory holds) with the reason set.
const char* Load_Mapping_Files(FILE* f_inst, FILE* f_stat, Mapping_Tables& maps,
                               std::string& reason);

#endif  // TREMVERT_DRIVER_MAPPING_FILES_H_
