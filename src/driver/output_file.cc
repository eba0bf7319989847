// Outputs prepared, written and given up.  See the header.
#include "driver/output_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cassert>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <utility>

#include "driver/fatal_failure.h"
#include "driver/file_attributes.h"
#include "driver/interruption.h"
#include "text/file_system.h"

namespace {

constexpr int kMost_Links = 40;  // as the system follows them

// Six characters that make a file's name unlikely to be taken.
std::string Unique_Suffix() {
  static std::atomic<unsigned long long> counter{0};
  unsigned long long x =
      static_cast<unsigned long long>(
          std::chrono::steady_clock::now().time_since_epoch().count()) ^
      (static_cast<unsigned long long>(getpid()) << 32) ^
      (++counter * 0x9E3779B97F4A7C15ull);
  static const char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::string suffix(6, '0');
  for (char& c : suffix) {
    x = x * 6364136223846793005ull + 1442695040888963407ull;
    c = kDigits[(x >> 33) % 36];
  }
  return suffix;
}

void Close_Descriptor(int& fd) {
  if (fd >= 0) System().Close(fd);
  fd = -1;
}

// Makes the new file in the output's folder; -1, with errno set, when it
// cannot be made.  It is registered before anything else can happen, so
// that an interruption removes it; its name says what it is, in case a run
// killed outright leaves it behind.
int Make_New_File(Output_File& o) {
  Interruption_Guard guard;
  bool shorter = false;
  for (int attempt = 0; attempt < 100; ++attempt) {
    o.new_name = Name_Beside(o, "unfinished", shorter);
    // An earlier file's access is given to the new one once it is made; until
    // then, only its owner may open it.
    const int fd =
        System().Openat(o.folder.get(), o.new_name.c_str(),
                        O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                        o.exists ? 0600 : 0666);
    if (fd >= 0) {
      assert(o.new_name.size() < kName_Room);
      Register_New_File(o.slot, o.folder.get(), o.new_name);
      return fd;
    }
    const int error = errno;
    o.new_name.clear();
    if (error == ENAMETOOLONG && !shorter) {
      shorter = true;  // a final name too long to take more
      continue;
    }
    if (error != EEXIST) return errno = error, -1;
  }
  return errno = EEXIST, -1;
}

// Makes a file in the system's temporary folder that no name leads to, so
// that nothing is left behind whichever way the run ends; -1, with errno
// set, when none can be made.  Only its owner may read it.
int Make_Temporary_File() {
  const char* folder_path = std::getenv("TMPDIR");
  if (folder_path == nullptr || folder_path[0] == '\0') folder_path = "/tmp";
  int fd = System().Open(folder_path, O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR)) return fd;
  // A file system without nameless files: a named one, whose name goes at
  // once.
  Descriptor folder(
      System().Open(folder_path, O_PATH | O_DIRECTORY | O_CLOEXEC, 0));
  if (!folder.is_open()) return -1;
  Interruption_Guard guard;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = "Tremvert-unfinished-" + Unique_Suffix();
    fd = System().Openat(folder.get(), name.c_str(),
                         O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                         0600);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd >= 0 && System().Unlinkat(folder.get(), name.c_str()) != 0) {
      const int error = errno;
      Close_Descriptor(fd);
      errno = error;
    }
    break;
  }
  const int error = errno;  // not the folder's close
  folder.Close();
  errno = error;
  return fd;
}

}  // namespace

std::string Name_Beside(const Output_File& o, const char* what, bool shorter) {
  std::string name = shorter ? std::string() : o.final_name + ".";
  return name + "Tremvert-" + what + "-" + Unique_Suffix();
}

bool Find_Output(Output_File& o, std::string* err) {
  o.folder.Close();
  const std::string first = Directory_Of(o.name);
  // The folder to look in next, once opened; o.folder is closed then.  Left
  // closed, the name is looked at again in o.folder.
  Descriptor folder(System().Open(first.empty() ? "." : first.c_str(),
                                  O_PATH | O_DIRECTORY | O_CLOEXEC, 0));
  std::string final_name = Name_Of(o.name);
  o.folder_path = first;
  for (int links = 0;; ++links) {
    if (folder.is_open()) {
      o.folder = std::move(folder);
    } else if (!o.folder.is_open()) {
      *err = Reason_Of(errno);
      return false;
    }
    o.final_name = final_name.empty() ? "." : final_name;
    struct stat st;
    if (System().Fstatat(o.folder.get(), o.final_name.c_str(), &st,
                         AT_SYMLINK_NOFOLLOW) != 0) {
      if (errno == ENOENT) return true;  // made at this name
      *err = Reason_Of(errno);
      return false;
    }
    if (!S_ISLNK(st.st_mode)) return true;
    if (links == kMost_Links) {
      *err = Reason_Of(ELOOP);
      return false;
    }
    // The text of a link is shorter than kPath_Room; a longer one is cut,
    // and then leads nowhere.
    char link[kPath_Room];
    const ssize_t n = System().Readlinkat(o.folder.get(), o.final_name.c_str(),
                                          link, sizeof link);
    if (n < 0) {
      if (errno == EINVAL) continue;  // no longer a link: looked at again
      *err = Reason_Of(errno);
      return false;
    }
    const std::string text(link, static_cast<size_t>(n));
    const std::string next = Directory_Of(text);
    final_name = Name_Of(text);
    if (next.empty()) continue;  // a name in the same folder
    o.folder_path = next.starts_with('/') ? next : o.folder_path + next;
    // Each folder is opened relative to the one the link is in: no path is
    // ever put together, so none grows too long.
    folder.Reset(
        next.starts_with('/')
            ? System().Open(next.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC, 0)
            : System().Openat(o.folder.get(), next.c_str(),
                              O_PATH | O_DIRECTORY | O_CLOEXEC, 0));
    const int error = errno;
    o.folder.Close();
    errno = error;
  }
}

bool Open_Earlier(Output_File& o, std::string* err) {
  for (int tries = 0;; ++tries) {
    // Not following a link, and without blocking on a FIFO that nobody
    // reads.  Opening a file for writing changes nothing in it, and tells
    // whether the user may write it, as an output must be.
    o.earlier.Reset(System().Openat(
        o.folder.get(), o.final_name.c_str(),
        O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0));
    if (o.earlier.is_open()) break;
    const int error = errno;
    if (error == ENOENT) {  // made at this name
      o.identity = Identity_Of_New(o.folder.get(), o.final_name);
      return true;
    }
    if (error == ELOOP && tries < kMost_Links) {
      // A link was put at the name since it was looked at: followed again.
      if (!Find_Output(o, err)) return false;
      continue;
    }
    struct stat st {};
    System().Fstatat(o.folder.get(), o.final_name.c_str(), &st,
                     AT_SYMLINK_NOFOLLOW);
    if (error == ENXIO && S_ISFIFO(st.st_mode))
      *err = "a FIFO that nobody reads";
    else if (error == EISDIR || (error == ENXIO && S_ISSOCK(st.st_mode)))
      *err = "not a regular file";
    else
      *err = Reason_Of(error);
    return false;
  }
  if (System().Fstat(o.earlier.get(), &o.status) != 0) {
    *err = Reason_Of(errno);
    return false;
  }
  assert(o.mode == Output_File::kReplace);  // decided here, once
  o.exists = true;
  o.identity = Identity_Of_Status(o.status);
  const mode_t type = o.status.st_mode;
  if (S_ISCHR(type) || S_ISFIFO(type)) {
    o.mode = Output_File::kInPlace;
    if (!Clear_Nonblock(o.earlier.get())) {
      *err = Reason_Of(Last_Error());
      return false;
    }
    return true;
  }
  if (!S_ISREG(type)) {
    *err = "not a regular file";
    return false;
  }
  return true;
}

bool Make_Output(Output_File& o, size_t capacity, std::string* err) {
  assert(o.folder.is_open() && o.new_name.empty() && o.out.fd < 0);
  Open_Out_Buffer(o.out, -1, capacity);
  if (o.mode == Output_File::kInPlace) {
    o.out.fd = o.earlier.Release();
    return true;
  }
  o.out.fd = Make_New_File(o);
  if (o.out.fd < 0) {
    // Only a folder that refuses a new file (and only beside an earlier file
    // that the user may write) sends the output elsewhere; any other failure
    // ends the run.
    const int error = errno;
    if (!o.exists || (error != EACCES && error != EPERM && error != EROFS)) {
      *err = Reason_Of(error);
      return false;
    }
    o.mode = Output_File::kTemporary;
    o.out.fd = Make_Temporary_File();
    if (o.out.fd < 0) {
      *err = Reason_Of(errno);
      return false;
    }
    return true;  // the earlier file keeps its own access
  }
  if (!o.exists) return true;
  if (!Copy_Attributes(o.earlier.get(), o.out.fd, o.status, err)) return false;
  o.earlier.Close();  // no longer needed: only its name is
  return true;
}

bool Close_Output(Output_File& o) {
  if (o.out.fd < 0) return o.out.failed == 0;
  Flush_Out(o.out);
  if (o.mode == Output_File::kTemporary)
    return o.out.failed == 0;  // copied later
  if (System().Close(o.out.fd) != 0 && o.out.failed == 0)
    o.out.failed = Last_Error();
  o.out.fd = -1;
  return o.out.failed == 0;
}

int Copy_Into_Place(Output_File& o) {
  assert(o.mode == Output_File::kTemporary);
  assert(o.earlier.is_open() && o.out.fd >= 0);
  int error = System().Ftruncate(o.earlier.get(), 0) == 0 ? 0 : errno;
  char block[1 << 16];
  for (off_t at = 0; error == 0;) {
    const ssize_t n = System().Pread(o.out.fd, block, sizeof block, at);
    if (n <= 0) {
      if (n < 0 && errno != EINTR) error = errno;
      if (n < 0) continue;
      break;
    }
    for (ssize_t done = 0; error == 0 && done < n;) {
      const ssize_t w = System().Write(o.earlier.get(), block + done,
                                       static_cast<size_t>(n - done));
      if (w > 0) {
        assert(w <= n - done);
        done += w;
      } else if (w == 0)
        error = EIO;
      else if (errno != EINTR)
        error = errno;
    }
    at += n;
  }
  if (!o.earlier.Close() && error == 0) error = errno;
  Close_Descriptor(o.out.fd);
  return error;
}

void Discard_Output(Output_File& o) {
  Close_Descriptor(o.out.fd);
  if (!o.new_name.empty()) {
    Interruption_Guard guard;
    System().Unlinkat(o.folder.get(), o.new_name.c_str());
    Register_New_File(o.slot, o.folder.get(), "");
    o.new_name.clear();
  }
  // The transaction leaves no second link behind: it drops it, puts the
  // earlier file back through it, or hands its name to the failure report.
  assert(o.restore_name.empty());
  o.earlier.Close();
  o.folder.Close();
}
