// One run of the converter: the command line, the five files, the line loop
// and the shutdown.  Callable in-process; it never exits the process.
#ifndef TREMVERT_DRIVER_CONVERSION_RUN_H_
#define TREMVERT_DRIVER_CONVERSION_RUN_H_

#include "text/output_buffer.h"

// Converts the sheet that the command line names.  Writes the usage text,
// banner and failure messages to `out`, one line "Tremvert: FILE: REASON" for
// each fatal failure to `err`, and returns the exit status.  `out` and `err`
// are written out as the run goes when they have a descriptor, which is then
// also checked against the run's files.
int Run_Conversion(int argc, const char* const* argv, Out_Buffer& out,
                   Out_Buffer& err);

#endif  // TREMVERT_DRIVER_CONVERSION_RUN_H_
