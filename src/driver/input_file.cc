// Files a run reads.  See the header.
#include "driver/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>

#include "text/failure.h"
#include "text/file_system.h"

bool Open_Input(Input_File& f, std::string* err) {
  f.fd.Reset(System().Open(f.name.c_str(), O_RDONLY | O_CLOEXEC, 0));
  struct stat st;
  if (!f.fd.is_open() || System().Fstat(f.fd.get(), &st) != 0) {
    *err = Reason_Of(Last_Error());
    Close_Input(f);
    return false;
  }
  f.identity = Identity_Of_Status(st);
  return true;
}

void Close_Input(Input_File& f) { f.fd.Close(); }
