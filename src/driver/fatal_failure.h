// The line that a fatal failure writes on standard error, in the usual form
// "PROGRAM: FILE: REASON", beside the program's own message.
#ifndef TREMVERT_DRIVER_FATAL_FAILURE_H_
#define TREMVERT_DRIVER_FATAL_FAILURE_H_

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

// Why a file operation failed: the system's text for the errno value, or
// "input/output error" when the C library set none.
inline std::string Reason_Of(int errnum) {
  return errnum != 0 ? std::strerror(errnum) : "input/output error";
}

inline void Report_Fatal(FILE* err, const char* program,
                         const std::string& file, const std::string& reason) {
  std::fprintf(err, "%s: %s: %s\n", program, file.c_str(), reason.c_str());
}

// Writes out what is left of standard output; false, with its line on `err`,
// when standard output could not be written.
inline bool Flush_Output(FILE* out, FILE* err, const char* program) {
  errno = 0;
  if (std::fflush(out) == 0 && !std::ferror(out)) return true;
  Report_Fatal(err, program, "standard output", Reason_Of(errno));
  return false;
}

#endif  // TREMVERT_DRIVER_FATAL_FAILURE_H_
