// Mapping files.  See the header.
#include "driver/mapping_files.h"

#include <fcntl.h>

#include <cerrno>
#include <new>

#include "driver/fatal_failure.h"
#include "text/file_system.h"

bool Open_Mapping_File(Input_File& f, std::string* err) {
  // Without O_NONBLOCK, opening a FIFO would wait for a writer before its
  // type could be looked at.
  f.fd = System().Open(f.name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC, 0);
  if (f.fd < 0) {
    *err = Reason_Of(errno);
    return false;
  }
  struct stat st;
  if (System().Fstat(f.fd, &st) != 0) {
    *err = Reason_Of(errno);
  } else if (S_ISDIR(st.st_mode)) {
    *err = Reason_Of(EISDIR);
  } else if (!S_ISREG(st.st_mode) && !S_ISCHR(st.st_mode)) {
    *err = "not a regular file";
  } else {
    fcntl(f.fd, F_SETFL, fcntl(f.fd, F_GETFL) & ~O_NONBLOCK);
    f.identity = Identity_Of_Status(st);
    return true;
  }
  Close_Input(f);
  return false;
}

const char* Load_Mapping_Files(const Input_File& inst, const Input_File& stat,
                               Mapping_Tables& maps, std::string* err) {
  const char* file = kInstrument_Mapping;
  try {
    if (Load_Instrument_Mapping(inst.fd, maps, err)) {
      file = kStation_Mapping;
      if (Load_Station_Mapping(stat.fd, maps, err)) return nullptr;
    }
  } catch (const std::bad_alloc&) {
    *err = "out of memory";
  }
  return file;
}

void Close_Input(Input_File& f) {
  if (f.fd >= 0) System().Close(f.fd);
  f.fd = -1;
}
