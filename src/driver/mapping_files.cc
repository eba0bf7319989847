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
  f.fd.Reset(
      System().Open(f.name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC, 0));
  if (!f.fd.is_open()) {
    *err = Reason_Of(errno);
    return false;
  }
  struct stat st;
  if (System().Fstat(f.fd.get(), &st) != 0) {
    *err = Reason_Of(errno);
  } else if (S_ISDIR(st.st_mode)) {
    *err = Reason_Of(EISDIR);
  } else if (!S_ISREG(st.st_mode) && !S_ISCHR(st.st_mode)) {
    *err = "not a regular file";
  } else if (!Clear_Nonblock(f.fd.get())) {
    *err = Reason_Of(Last_Error());
  } else {
    f.identity = Identity_Of_Status(st);
    return true;
  }
  Close_Input(f);
  return false;
}

namespace {

// Reads one file with `load`; memory that runs out is a failure of its own.
template <typename Load>
bool Read_With(Load load, std::string* err) {
  try {
    return load();
  } catch (const std::bad_alloc&) {
    *err = "out of memory";
    return false;
  }
}

}  // namespace

bool Read_Instrument_File(Mapping_Files& m, std::string* err) {
  return Read_With(
      [&] { return Load_Instrument_Mapping(m.inst.fd.get(), m.maps, err); },
      err);
}

bool Read_Station_File(Mapping_Files& m, std::string* err) {
  return Read_With(
      [&] { return Load_Station_Mapping(m.stat.fd.get(), m.maps, err); }, err);
}
