// The line that a fatal failure writes on standard error, in the usual form
// "PROGRAM: FILE: REASON", beside the program's own message.
#ifndef TREMVERT_DRIVER_FATAL_FAILURE_H_
#define TREMVERT_DRIVER_FATAL_FAILURE_H_

#include <string>
#include <string_view>

#include "text/failure.h"
#include "text/output_buffer.h"

// Writes "PROGRAM: FILE: REASON" on `err` at once, after what `out` holds (so
// that a terminal shows both in order).  The file name and the reason are
// escaped, so the line stays one line whatever the name holds.
void Report_Fatal(Out_Buffer& out, Out_Buffer& err, const char* program,
                  std::string_view file, std::string_view reason);

// Writes out what is left of standard output; false, with its line on `err`
// giving the reason of the first failed write, when it could not be written.
bool Flush_Output(Out_Buffer& out, Out_Buffer& err, const char* program);

#endif  // TREMVERT_DRIVER_FATAL_FAILURE_H_
