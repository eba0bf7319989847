// Mapping files.  See the header.
#include "driver/mapping_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <new>

#include "driver/fatal_failure.h"

FILE* Open_Mapping_File(const char* name, bool for_update,
                        std::string& reason) {
  // Without O_NONBLOCK, opening a FIFO for reading only would wait for a
  // writer before its type could be looked at.
  int fd = open(name, (for_update ? O_RDWR : O_RDONLY) | O_NONBLOCK);
  if (fd < 0) {
    reason = Reason_Of(errno);
    return nullptr;
  }
  struct stat st;
  FILE* f = nullptr;
  if (fstat(fd, &st) != 0)
    reason = Reason_Of(errno);
  else if (S_ISDIR(st.st_mode))
    reason = Reason_Of(EISDIR);
  else if (!S_ISREG(st.st_mode) && !S_ISCHR(st.st_mode))
    reason = "not a regular file";
  else if (fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0 ||
           (f = fdopen(fd, for_update ? "r+" : "r")) == nullptr)
    reason = Reason_Of(errno);
  if (f == nullptr) close(fd);
  return f;
}

const char* Load_Mapping_Files(FILE* f_inst, FILE* f_stat, Mapping_Tables& maps,
                               std::string& reason) {
  const char* file = kInstrument_Mapping;
  try {
    int failed = Load_Instrument_Mapping(f_inst, maps);
    if (failed == 0) {
      file = kStation_Mapping;
      failed = Load_Station_Mapping(f_stat, maps);
    }
    if (failed == 0) return nullptr;
    reason = Reason_Of(failed);
  } catch (const std::bad_alloc&) {
    reason = "out of memory";
  }
  return file;
}
