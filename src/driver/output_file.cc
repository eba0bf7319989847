// Outputs replaced when the run succeeds.  See the header.
#include "driver/output_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "driver/fatal_failure.h"
#include "driver/interruption.h"
#include "text/file_system.h"

namespace {

constexpr int kMost_Links = 40;  // as the system follows them

// The name that a chain of symbolic links leads to, read link by link, so
// that a link that leads nowhere yet is known by the name it will create.
bool Read_Links(std::string& path, std::string* err) {
  struct stat st;
  for (int links = 0;; ++links) {
    if (System().Lstat(path.c_str(), &st) != 0) {
      if (errno == ENOENT) return true;
      *err = Reason_Of(errno);
      return false;
    }
    if (!S_ISLNK(st.st_mode)) return true;
    if (links == kMost_Links) {
      *err = Reason_Of(ELOOP);
      return false;
    }
    // The text of a link is shorter than PATH_MAX (4096) on the systems this
    // runs on; a longer one is cut, and then leads nowhere.
    char link[4096];
    const ssize_t n = System().Readlink(path.c_str(), link, sizeof link);
    if (n < 0) {
      *err = Reason_Of(errno);
      return false;
    }
    const std::string text(link, static_cast<size_t>(n));
    path = text.starts_with('/') ? text : Directory_Of(path) + text;
  }
}

// Six characters that make a new file's name unlikely to be taken.
std::string Unique_Suffix() {
  static unsigned long long counter = 0;
  unsigned long long x =
      static_cast<unsigned long long>(
          std::chrono::steady_clock::now().time_since_epoch().count()) ^
      (static_cast<unsigned long long>(getpid()) << 32) ^ (++counter * 0x9E3779B97F4A7C15ull);
  static const char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::string suffix(6, '0');
  for (char& c : suffix) {
    x = x * 6364136223846793005ull + 1442695040888963407ull;
    c = kDigits[(x >> 33) % 36];
  }
  return suffix;
}

// Makes the new file beside the target, with the permission bits of the
// file it will replace; -1 when no new file can be made there.  The file's
// name says what it is, in case a run killed outright leaves it behind.
int Make_New_File(Output_File& o) {
  Interruption_Guard guard;
  const std::string directory = Directory_Of(o.target);
  std::string prefix = directory + Name_Of(o.target) + ".Tremvert-unfinished-";
  for (int attempt = 0; attempt < 100; ++attempt) {
    // Named in full before it exists, so that nothing is left to allocate
    // between its making and its registering.
    std::string& path = o.new_file;
    path = prefix + Unique_Suffix();
    const int fd =
        System().Open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
      path.clear();
      if (errno == ENAMETOOLONG && prefix.size() > directory.size() + 20) {
        prefix = directory + "Tremvert-unfinished-";  // a shorter name
        continue;
      }
      if (errno == EEXIST) continue;
      return -1;
    }
    if (o.exists) {
      // The owner cannot always be kept (only root may give a file away);
      // the permission bits can.
      if (o.status.st_uid != geteuid() || o.status.st_gid != getegid())
        System().Fchown(fd, o.status.st_uid, o.status.st_gid);
      if (System().Fchmod(fd, o.status.st_mode & 07777) != 0) {
        System().Close(fd);
        System().Unlink(path.c_str());
        path.clear();
        return -1;
      }
    }
    Register_New_File(o.slot, path);
    return fd;
  }
  return -1;
}

// Opens the target itself, to be written in place.
int Open_In_Place(Output_File& o, std::string* err) {
  const char* target = o.target.c_str();
  int fd;
  if (o.exists && S_ISFIFO(o.status.st_mode)) {
    // Only when a reader is there: written with nobody reading, a FIFO would
    // hold the catalog until it blocked.
    fd = System().Open(target, O_WRONLY | O_NONBLOCK | O_CLOEXEC, 0);
    if (fd < 0) {
      *err = errno == ENXIO ? "a FIFO that nobody reads" : Reason_Of(errno);
      return -1;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
  }
  fd = System().Open(target, O_WRONLY | O_CLOEXEC | (o.exists ? 0 : O_CREAT),
                     0666);
  if (fd < 0) *err = Reason_Of(errno);
  return fd;
}

}  // namespace

bool Prepare_Output(Output_File& o, std::string* err) {
  o.target = o.name;
  if (System().Stat(o.name.c_str(), &o.status) != 0) {
    if (errno != ENOENT) {
      *err = Reason_Of(errno);
      return false;
    }
    // Nothing there yet, or a link that leads nowhere yet: the file will be
    // made where the links lead.
    o.exists = false;
    if (!Read_Links(o.target, err)) return false;
    o.identity = Identity_Of_New(o.target);
    return true;
  }
  o.exists = true;
  o.identity = Identity_Of_Status(o.status);
  const mode_t type = o.status.st_mode;
  if (S_ISCHR(type) || S_ISFIFO(type)) {  // written in place, by its name
    o.in_place = true;
    return true;
  }
  if (!S_ISREG(type)) {
    *err = "not a regular file";
    return false;
  }
  // A regular file is replaced where its links lead.  Should they be read to
  // another file than the system reached (a link of /proc, or one changed
  // meanwhile), it is written in place instead.
  std::string target = o.name;
  if (!Read_Links(target, err)) return false;
  struct stat st;
  if (System().Stat(target.c_str(), &st) == 0 &&
      st.st_dev == o.status.st_dev && st.st_ino == o.status.st_ino)
    o.target = target;
  else
    o.in_place = true;
  return true;
}

bool Open_Output(Output_File& o, size_t capacity, std::string* err) {
  Open_Out_Buffer(o.out, -1, capacity);
  int fd = -1;
  if (o.exists && !S_ISREG(o.status.st_mode)) {
    fd = Open_In_Place(o, err);
  } else if (!o.exists) {
    fd = Make_New_File(o);
    if (fd < 0) fd = Open_In_Place(o, err);  // its failure says why
  } else {
    // An existing file must be one the user may write, as when it is written
    // in place; opening it for writing changes nothing in it.
    const int here = Open_In_Place(o, err);
    if (here < 0) return false;
    fd = o.in_place ? -1 : Make_New_File(o);
    if (fd >= 0) {
      System().Close(here);
    } else if (System().Ftruncate(here, 0) == 0) {
      fd = here;  // no new file beside it: written in place, emptied first
    } else {
      *err = Reason_Of(errno);
      System().Close(here);
    }
  }
  o.out.fd = fd;
  return fd >= 0;
}

int Close_Output(Output_File& o) {
  if (o.out.fd < 0) return 0;
  Flush_Out(o.out);
  if (System().Close(o.out.fd) != 0 && o.out.failed == 0)
    o.out.failed = errno != 0 ? errno : EIO;
  o.out.fd = -1;
  return o.out.failed;
}

bool Replace_Output(Output_File& o, std::string* err) {
  if (o.new_file.empty()) return true;  // written in place
  if (System().Rename(o.new_file.c_str(), o.target.c_str()) != 0) {
    *err = Reason_Of(errno);
    return false;
  }
  Register_New_File(o.slot, "");
  o.new_file.clear();
  return true;
}

void Discard_Output(Output_File& o) {
  if (o.new_file.empty()) return;
  Interruption_Guard guard;
  System().Unlink(o.new_file.c_str());
  Register_New_File(o.slot, "");
  o.new_file.clear();
}
