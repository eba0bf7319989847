// driver/: the runs themselves: the command line, the files and their
// failures, the line loop with the dispatch on the record letter, and the
// conversion state's definition.  It uses records/, reference/ and text/.
//
// One run of the converter: the command line, the five files, the line loop
// and the shutdown.  Callable in-process; it never exits the process.
#ifndef TREMVERT_DRIVER_CONVERSION_RUN_H_
#define TREMVERT_DRIVER_CONVERSION_RUN_H_

#include <cstdio>

#include "driver/conversion_state.h"
#include "reference/code_lookup.h"

// What the converters are handed: the conversion state, the mapping tables
// and the open files.
struct Conversion_Run {
  Conversion_State state;
  Mapping_Tables maps;
  FILE* f_inst = nullptr;  // "instrument.mapping.out"
  FILE* f_stat = nullptr;  // "station.mapping.out"
  FILE* f_err = nullptr;   // <base>.error.log
  FILE* f_cnss = nullptr;  // <base>.vrn.cnss
  FILE* f_cat = nullptr;   // <base>.sheet
};

// Converts the sheet that argv[1] names (argv[2], if present, selects the
// alternate phase layout).  Writes the usage text, banner and failure
// messages to `out`, one line "Tremvert: FILE: REASON" for each fatal
// failure to `err`, and returns the exit status.
int Run_Conversion(int argc, const char* const* argv, FILE* out, FILE* err);

#endif  // TREMVERT_DRIVER_CONVERSION_RUN_H_
