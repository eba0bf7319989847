// check/: the sheet checker, a second program over the same code: it runs
// the converters on every line of a sheet and says what is wrong with each
// line, and where.  It uses driver/ and everything below it.
//
// One run of Tremvert-check: the command line, the mapping files, the sheets
// in turn and the exit status.  Callable in-process; it never exits.
#ifndef TREMVERT_CHECK_CHECK_RUN_H_
#define TREMVERT_CHECK_CHECK_RUN_H_

#include "text/output_buffer.h"

// Checks the sheets that the command line names.  Writes the problems and
// summaries (or the help and version texts) to `out`, usage errors and a
// line for each file that cannot be read to `err`.  Returns 0 when no sheet
// has an error, 1 when one has, 2 after a usage error or a file that could
// not be read.
int Run_Check(int argc, const char* const* argv, Out_Buffer& out,
              Out_Buffer& err);

#endif  // TREMVERT_CHECK_CHECK_RUN_H_
