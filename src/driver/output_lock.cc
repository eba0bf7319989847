// The outputs' lock.  See the header.
#include "driver/output_lock.h"

#include <fcntl.h>
#include <sys/file.h>

#include <cassert>
#include <cerrno>
#include <utility>

#include "driver/fatal_failure.h"
#include "driver/interruption.h"
#include "text/file_system.h"

namespace {

// Waits for the lock on `fd`; false, with errno set, when flock fails.
bool Wait_For(int fd) {
  while (System().Flock(fd, LOCK_EX) != 0)
    if (errno != EINTR) return false;
  return true;
}

// Fails with the reason of errno, closing `fd` first (the reason's text may
// run out of memory).
bool Fail_With_Errno(Descriptor& fd, std::string* err) {
  const int error = errno;
  fd.Close();
  *err = Reason_Of(error);
  return false;
}

bool Lock_Beside(Output_Lock& lock, const Output_File& o, std::string* err) {
  assert(o.folder.is_open() && lock.name.empty());
  bool shorter = false;
  for (;;) {
    std::string name =
        shorter ? "Tremvert-lock" : o.final_name + ".Tremvert-lock";
    // Read-only, so that the runs of other users may lock it too.
    Descriptor fd(System().Openat(o.folder.get(), name.c_str(),
                                  O_RDONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC,
                                  0666));
    if (!fd.is_open() && errno == ENAMETOOLONG && !shorter) {
      shorter = true;
      continue;
    }
    if (!fd.is_open() &&
        (errno == EACCES || errno == EPERM || errno == EROFS)) {
      // A folder that refuses a new file: the output itself, if it is there
      // (its own opening says why, if it cannot be opened).
      Descriptor output(System().Openat(
          o.folder.get(), o.final_name.c_str(),
          O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0));
      if (!output.is_open()) return true;
      if (!Wait_For(output.get())) return Fail_With_Errno(output, err);
      lock.fd = std::move(output);
      return true;
    }
    if (!fd.is_open() || !Wait_For(fd.get())) return Fail_With_Errno(fd, err);
    struct stat held, there;
    if (System().Fstat(fd.get(), &held) != 0) return Fail_With_Errno(fd, err);
    if (System().Fstatat(o.folder.get(), name.c_str(), &there,
                         AT_SYMLINK_NOFOLLOW) == 0) {
      if (held.st_dev == there.st_dev && held.st_ino == there.st_ino) {
        // Nothing is allocated from here on, so the lock is never lost.
        Interruption_Guard guard;
        Register_New_File(kLock_Slot, o.folder.get(), name);
        lock.fd = std::move(fd);
        lock.folder = o.folder.get();
        lock.name = std::move(name);
        return true;
      }
    } else if (errno != ENOENT) {
      return Fail_With_Errno(fd, err);
    }
    // Removed by the run that held it (and maybe made again): locked anew,
    // once `fd` has closed.
  }
}

}  // namespace

bool Lock_Outputs(Output_Lock& lock, const Output_File& catalog,
                  const Output_File& log, std::string* err) {
  assert(!lock.fd.is_open());
  for (const Output_File* o : {&catalog, &log}) {
    struct stat st;
    if (System().Fstatat(o->folder.get(), o->final_name.c_str(), &st,
                         AT_SYMLINK_NOFOLLOW) == 0 &&
        !S_ISREG(st.st_mode))
      continue;  // written in place: nothing kept to protect
    lock.beside = o;
    return Lock_Beside(lock, *o, err);
  }
  return true;
}

void Unlock_Outputs(Output_Lock& lock) {
  if (!lock.fd.is_open()) return;
  if (!lock.name.empty()) {
    Interruption_Guard guard;
    System().Unlinkat(lock.folder, lock.name.c_str());
    Register_New_File(kLock_Slot, lock.folder, "");
  }
  lock.fd.Close();
  lock = Output_Lock{};
}
