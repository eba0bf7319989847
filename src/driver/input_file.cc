// Files a run reads.  See the header.
#include "driver/input_file.h"

#include "text/file_system.h"

void Close_Input(Input_File& f) {
  if (f.fd >= 0) System().Close(f.fd);
  f.fd = -1;
}
