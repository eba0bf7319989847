// Reasons of failures.  See the header.
#include "text/failure.h"

#include <cerrno>
#include <cstring>

std::string Reason_Of(int errnum) {
  return errnum != 0 ? std::strerror(errnum) : "input/output error";
}

int Last_Error() { return errno != 0 ? errno : EIO; }
