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

// Whether `name` in `folder` leads to the file `device` and `inode`: 1 when
// it does, 0 when it leads elsewhere or nowhere, -1 (errno set) when it
// cannot be told.
int Leads_To(int folder, const char* name, dev_t device, ino_t inode) {
  struct stat there;
  if (System().Fstatat(folder, name, &there, AT_SYMLINK_NOFOLLOW) != 0)
    return errno == ENOENT ? 0 : -1;
  return there.st_dev == device && there.st_ino == inode;
}

// Whether there is a file at the output's name: 1, 0, or -1 (errno set).
int Is_There(const Output_File& o) {
  struct stat st;
  if (System().Fstatat(o.folder.get(), o.final_name.c_str(), &st,
                       AT_SYMLINK_NOFOLLOW) == 0)
    return 1;
  return errno == ENOENT ? 0 : -1;
}

// Whether what `lock` holds is still what a run that came now would lock:
// the file at the output's name, or, with none there, the lock file.  1, 0,
// or -1 (errno set) when it cannot be told.
int Still_Held(const Output_Lock& lock, const Output_File& o) {
  if (lock.name.empty())
    return Leads_To(o.folder.get(), o.final_name.c_str(), lock.device,
                    lock.inode);
  const int there = Is_There(o);
  if (there != 0) return there > 0 ? 0 : -1;
  return Leads_To(o.folder.get(), lock.name.c_str(), lock.device, lock.inode);
}

// Removes the lock file, if this run made it, and lets the lock go.
void Let_Go(Output_Lock& lock) {
  if (!lock.name.empty()) {
    assert(lock.beside != nullptr);
    const int folder = lock.beside->folder.get();
    Interruption_Guard guard;
    System().Unlinkat(folder, lock.name.c_str());
    Register_New_File(kLock_Slot, folder, "");
    lock.name.clear();
  }
  lock.held.Close();
}

// Locks what the name of `o` leads to now: the earlier file, or the lock
// file when there is none.  True when locked, and when nothing is to be
// locked: an earlier file that cannot be opened for writing (its opening as
// the earlier file then says why the run cannot go on), a folder that
// refuses a lock file (no output can be made where there is none).  False,
// with the reason, when the lock cannot be taken.
bool Lock_Name(Output_Lock& lock, const Output_File& o, std::string* err) {
  assert(o.folder.is_open() && !lock.held.is_open() && lock.name.empty());
  const int folder = o.folder.get();
  bool shorter = false;
  for (;;) {
    // The earlier file, opened as it will be as the earlier file: for
    // writing (nothing in it changes), not following a link, without
    // blocking on a FIFO put there meanwhile.
    std::string name = o.final_name;
    Descriptor fd(System().Openat(
        folder, name.c_str(),
        O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0));
    if (!fd.is_open()) {
      if (errno != ENOENT) return true;
      name = shorter ? "Tremvert-lock" : o.final_name + ".Tremvert-lock";
      // For writing, since NFS locks only a file open for writing; a lock
      // file that another user made, only for reading (it locks there on
      // a local file system).
      for (int access : {O_RDWR, O_RDONLY}) {
        fd.Reset(System().Openat(folder, name.c_str(),
                                 access | O_CREAT | O_NOFOLLOW | O_CLOEXEC,
                                 0666));
        if (fd.is_open() || errno != EACCES) break;
      }
      if (!fd.is_open()) {
        if (errno == ENAMETOOLONG && !shorter) {
          shorter = true;
          continue;
        }
        if (errno == EACCES || errno == EPERM || errno == EROFS) return true;
        return Fail_With_Errno(fd, err);
      }
    }
    const bool lock_file = name != o.final_name;
    struct stat held;
    if (!Wait_For(fd.get()) || System().Fstat(fd.get(), &held) != 0)
      return Fail_With_Errno(fd, err);
    const int at = Leads_To(folder, name.c_str(), held.st_dev, held.st_ino);
    if (at < 0) return Fail_With_Errno(fd, err);
    if (at == 0) continue;  // replaced or removed by the run that held it
    // Nothing is allocated from here on, so the lock is never lost.
    lock.held = std::move(fd);
    lock.device = held.st_dev;
    lock.inode = held.st_ino;
    if (!lock_file) return true;
    Interruption_Guard guard;
    Register_New_File(kLock_Slot, folder, name);
    lock.name = std::move(name);
    // The run that held the lock file may have made the output meanwhile,
    // which a run that comes now locks: so does this one.
    const int there = Is_There(o);
    if (there == 0) return true;
    const int error = errno;
    Let_Go(lock);
    if (there < 0) {
      *err = Reason_Of(error);
      return false;
    }
  }
}

}  // namespace

bool Lock_Outputs(Output_Lock& lock, const Output_File& catalog,
                  const Output_File& log, std::string* err) {
  assert(!lock.held.is_open());
  for (const Output_File* o : {&catalog, &log}) {
    struct stat st;
    if (System().Fstatat(o->folder.get(), o->final_name.c_str(), &st,
                         AT_SYMLINK_NOFOLLOW) == 0 &&
        !S_ISREG(st.st_mode))
      continue;  // written in place: nothing kept to protect
    lock.beside = o;
    return Lock_Name(lock, *o, err);
  }
  return true;
}

bool Lock_New_File(Output_Lock& lock, std::string* err) {
  const Output_File* o = lock.beside;
  if (o == nullptr || o->mode != Output_File::kReplace) return true;
  assert(o->out.fd >= 0 && !lock.made.is_open());
  lock.made.Reset(System().Fcntl(o->out.fd, F_DUPFD_CLOEXEC, 0));
  if (!lock.made.is_open() || !Wait_For(lock.made.get()))
    return Fail_With_Errno(lock.made, err);
  return true;
}

bool Confirm_Lock(Output_Lock& lock, std::string* err) {
  const Output_File* o = lock.beside;
  if (o == nullptr) return true;
  for (int tries = 0;; ++tries) {
    if (lock.held.is_open()) {
      const int at = Still_Held(lock, *o);
      if (at > 0) return true;
      if (at < 0) {
        *err = Reason_Of(errno);
        return false;
      }
    } else if (tries > 0) {
      return true;  // nothing that can be locked, as at the start
    }
    Let_Go(lock);
    if (!Lock_Name(lock, *o, err)) return false;
  }
}

void Unlock_Outputs(Output_Lock& lock) {
  Let_Go(lock);
  lock.made.Close();
  lock.beside = nullptr;
}
