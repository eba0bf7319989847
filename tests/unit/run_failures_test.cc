// Failures that a run meets, injected in-process: each system call of the
// file-system seam may fail, and so may any allocation.  Whatever fails, the
// run ends with its message and status, replaces no earlier output unless it
// succeeded, and leaves no new file behind.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <new>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "check/check_run.h"
#include "driver/conversion_run.h"
#include "driver/interruption.h"
#include "faulty_file_system.h"
#include "text/file_system.h"
#include "text/output_buffer.h"

namespace fs = std::filesystem;

// Allocations fail from the Nth one on when `fail_at` is set (one, then the
// others succeed again), so that every handler of a lack of memory runs.
long allocations_to_failure = 0;  // also set by each_run_test.cc

static void* Allocate(size_t n) {
  if (allocations_to_failure > 0 && --allocations_to_failure == 0)
    throw std::bad_alloc();
  if (void* p = std::malloc(n == 0 ? 1 : n)) return p;
  throw std::bad_alloc();
}
void* operator new(size_t n) { return Allocate(n); }
void* operator new[](size_t n) { return Allocate(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }

namespace {

ino_t Inode(const char* name) {
  struct stat st;
  return stat(name, &st) == 0 ? st.st_ino : 0;
}

mode_t Mode(const char* name) {
  struct stat st;
  return stat(name, &st) == 0 ? st.st_mode & 07777 : 0;
}

constexpr const char* kEarlier_Catalog = "earlier catalog\n";
constexpr const char* kEarlier_Log = "earlier error log\n";
constexpr const char* kSheet =
    "E 070175 100505.5 34-12.5 118-30.0 10.0 4.5\n"
    "P ABC ABC e Pn Z 100520.25 d\n"
    "A ABC ZZ 1.5 0 0\n"
    "X\n";

// A working directory of its own with the mapping files, the sheet and the
// outputs of an earlier run.
class Run_Failures : public testing::Test {
 protected:
  void SetUp() override {
    folder_.Enter("tremvert-unit-");
    Write_File("case.sheet", kSheet);
    Write_File("case.vrn.cnss", kEarlier_Catalog);
    Write_File("case.error.log", kEarlier_Log);
    Use_File_System(&faulty_);
  }
  void TearDown() override {
    Use_File_System(nullptr);
    folder_.Leave();
  }

  // Runs the converter, or the checker, on "case", with its allocations
  // failing from the nth on; its standard output and error are kept.
  // Standard output and error are kept in memory, or written to `out_fd`
  // and `err_fd`.
  int Run(int (*program)(int, const char* const*, Out_Buffer&, Out_Buffer&),
          long nth_allocation = 0, int out_fd = -1, int err_fd = -1) {
    Out_Buffer out_buffer, err_buffer;
    Open_Out_Buffer(out_buffer, out_fd, 1 << 16);
    Open_Out_Buffer(err_buffer, err_fd, 1 << 16);
    const char* argv[] = {"Tremvert", "case"};
    const std::string open_before = Open_Descriptors();
    allocations_to_failure = nth_allocation;
    const int status = program(2, argv, out_buffer, err_buffer);
    injected = nth_allocation != 0 && allocations_to_failure == 0;
    allocations_to_failure = 0;
    out = Text_Of(out_buffer);
    err = Text_Of(err_buffer);
    EXPECT_EQ(open_before, Open_Descriptors());  // none left open
    return status;
  }
  int Convert(long nth_allocation = 0) {
    return Run(Run_Conversion, nth_allocation);
  }

  // No new file is left, and the outputs are the earlier ones.
  void Expect_Earlier_Outputs() {
    EXPECT_EQ(kEarlier_Catalog, Read_File("case.vrn.cnss"));
    EXPECT_EQ(kEarlier_Log, Read_File("case.error.log"));
    Expect_No_New_File();
  }
  void Expect_No_New_File() {
    for (const auto& entry : fs::directory_iterator("."))
      EXPECT_EQ(std::string::npos,
                entry.path().string().find("Tremvert-unfinished"))
          << entry.path();
  }
  void Expect_Converted() {
    EXPECT_NE(std::string::npos, Read_File("case.vrn.cnss").find("$pic"));
    EXPECT_EQ("\n Error [Unknown instrument] : ZZ.\n",
              Read_File("case.error.log"));
    Expect_No_New_File();
  }
  void Fail(const char* kind, const char* part, int error, int nth = 1,
            bool exact = false) {
    faulty_.exact = exact;
    faulty_.kind = kind;
    faulty_.part = part;
    faulty_.error = error;
    faulty_.nth = nth;
    faulty_.seen = 0;
  }

  Faulty_File_System faulty_;
  Run_Folder folder_;
  std::string out, err;
  bool injected = false;  // the allocation failure happened
};

constexpr const char* kBanner =
    "\n Converting to CNSS format --- case.sheet\n\n";

TEST_F(Run_Failures, LookingAtAnOutputStopsTheRunBeforeAnythingIsWritten) {
  Fail("fstatat", "case.vrn.cnss", EIO);
  EXPECT_EQ(1, Convert());
  EXPECT_EQ("Error : case.vrn.cnss could not be opened.", out);
  EXPECT_EQ("Tremvert: case.vrn.cnss: Input/output error\n", err);
  Expect_Earlier_Outputs();
  Fail("open", ".", EMFILE, 1, true);  // the outputs' folder
  EXPECT_EQ(1, Convert());
  EXPECT_EQ("Tremvert: case.error.log: Too many open files\n", err);
  Expect_Earlier_Outputs();
  // The earlier file (its first opening is the lock's).
  Fail("open", "case.vrn.cnss", EIO, 2, true);
  EXPECT_EQ(1, Convert());
  EXPECT_EQ("Tremvert: case.vrn.cnss: Input/output error\n", err);
  Fail("fstat", "case.vrn.cnss", EIO, 2, true);
  EXPECT_EQ(1, Convert());
  EXPECT_EQ("Tremvert: case.vrn.cnss: Input/output error\n", err);
  Expect_Earlier_Outputs();
  // A link put at the name between its finding and its opening: followed.
  Fail("open", "case.vrn.cnss", ELOOP, 2, true);
  EXPECT_EQ(0, Convert());
  Expect_Converted();
  Write_File("case.vrn.cnss", kEarlier_Catalog);
  Write_File("case.error.log", kEarlier_Log);
  // A block device (or anything but a regular file, a character device or
  // a FIFO) is refused once opened.
  struct Block_Device : Faulty_File_System {
    int Fstat(int fd, struct stat* st) override {
      const int result = Faulty_File_System::Fstat(fd, st);
      if (names[fd] == "case.vrn.cnss") st->st_mode = S_IFBLK | 0660;
      return result;
    }
  } block;
  Use_File_System(&block);
  EXPECT_EQ(1, Convert());
  EXPECT_EQ("Tremvert: case.vrn.cnss: not a regular file\n", err);
  Use_File_System(&faulty_);
  Expect_Earlier_Outputs();

  fs::remove("case.vrn.cnss");
  fs::create_directory("kept");
  fs::create_symlink("kept/real.cnss", "case.vrn.cnss");
  Write_File("kept/real.cnss", kEarlier_Catalog);
  Fail("readlink", "case.vrn.cnss", EACCES);
  EXPECT_EQ(1, Convert());
  EXPECT_EQ("Tremvert: case.vrn.cnss: Permission denied\n", err);
  Fail("open", "kept/", ENOMEM);  // the folder a link leads to
  EXPECT_EQ(1, Convert());
  EXPECT_EQ("Tremvert: case.vrn.cnss: Cannot allocate memory\n", err);
  Expect_Earlier_Outputs();
  EXPECT_EQ(kEarlier_Catalog, Read_File("kept/real.cnss"));

  // Links that lead to each other, without end.
  fs::remove("case.vrn.cnss");
  fs::create_symlink("loop.cnss", "case.vrn.cnss");
  fs::create_symlink("case.vrn.cnss", "loop.cnss");
  Fail("", "", 0);
  EXPECT_EQ(1, Convert());
  EXPECT_EQ("Tremvert: case.vrn.cnss: Too many levels of symbolic links\n",
            err);
}

TEST_F(Run_Failures, LookingAtAnInputIsItsOpenFailure) {
  Fail("fstat", "instrument.mapping.out", EIO);
  EXPECT_EQ(1, Convert());
  EXPECT_EQ("Error : Instrument file could not be opened.", out);
  Expect_Earlier_Outputs();
  Fail("open", "station.mapping.out", EMFILE);
  EXPECT_EQ(1, Convert());
  EXPECT_EQ("Tremvert: station.mapping.out: Too many open files\n", err);
  Fail("fstat", "case.sheet", EIO);
  EXPECT_EQ(1, Convert());
  EXPECT_EQ(
      std::string(kBanner) + "Error : case.sheet could not be opened.\n\n",
      out);
  EXPECT_EQ("Tremvert: case.sheet: Input/output error\n", err);
  Expect_Earlier_Outputs();
}

TEST_F(Run_Failures, FailedReadsAndWritesReplaceNothing) {
  struct {
    const char* kind;
    const char* part;
    int error;
    const char* message;
    const char* line;
  } const cases[] = {
      {"read", "case.sheet", EIO, "Error : case.sheet could not be read.",
       "Tremvert: case.sheet: Input/output error\n"},
      {"read", "station.mapping.out", EIO,
       "Error : Station file could not be read.",
       "Tremvert: station.mapping.out: Input/output error\n"},
      {"write", "case.vrn.cnss", ENOSPC,
       "Error : case.vrn.cnss could not be written.",
       "Tremvert: case.vrn.cnss: No space left on device\n"},
      {"close", "case.error.log.Tremvert", EIO,
       "Error : case.error.log could not be written.",
       "Tremvert: case.error.log: Input/output error\n"},
      {"write", "case.error.log", 0,
       "Error : case.error.log could not be written.",
       "Tremvert: case.error.log: Input/output error\n"},
      {"rename", "> case.vrn.cnss", EBUSY,
       "Error : case.vrn.cnss could not be written.",
       "Tremvert: case.vrn.cnss: Device or resource busy\n"},
  };
  for (const auto& c : cases) {
    Fail(c.kind, c.part, c.error);
    EXPECT_EQ(1, Convert()) << c.kind;
    EXPECT_NE(std::string::npos, out.find(c.message)) << out;
    EXPECT_EQ(c.line, err);
    Expect_Earlier_Outputs();
  }
}

// A signal that interrupts a read or a write (EINTR) is no failure: the call
// is made again, and nothing is lost or repeated.
TEST_F(Run_Failures, InterruptedReadsAndWritesAreMadeAgain) {
  for (const char* name :
       {"station.mapping.out", "instrument.mapping.out", "case.sheet"}) {
    Fail("read", name, EINTR);
    EXPECT_EQ(0, Convert()) << name;
    EXPECT_LE(2, faulty_.seen) << name;  // interrupted, then read
    Expect_Converted();
  }
  const std::string catalog = Read_File("case.vrn.cnss");
  Fail("write", "case.vrn.cnss", EINTR);
  EXPECT_EQ(0, Convert());
  EXPECT_LE(2, faulty_.seen);
  EXPECT_EQ(catalog, Read_File("case.vrn.cnss"));
  Expect_Converted();
}

// A new file that cannot be made or given the earlier file's permission bits,
// for any reason but a folder that refuses it, ends the run: no output is
// emptied to be written in place.
TEST_F(Run_Failures, AnyFailureToMakeANewFileEndsTheRun) {
  const struct {
    const char* kind;
    int error;
    const char* line;
  } cases[] = {
      {"open", ENOSPC, "Tremvert: case.error.log: No space left on device\n"},
      {"open", EMFILE, "Tremvert: case.error.log: Too many open files\n"},
      {"open", EDQUOT, "Tremvert: case.error.log: Disk quota exceeded\n"},
      {"open", EEXIST, "Tremvert: case.error.log: File exists\n"},
      {"open", ENAMETOOLONG, "Tremvert: case.error.log: File name too long\n"},
      {"fchmod", EPERM, "Tremvert: case.error.log: Operation not permitted\n"},
      {"fstat", EIO, "Tremvert: case.error.log: Input/output error\n"},
  };
  for (const auto& c : cases) {
    Fail(c.kind, "Tremvert-unfinished", c.error, c.error == EIO ? 1 : 0);
    EXPECT_EQ(1, Convert()) << c.line;
    EXPECT_EQ("Error : case.error.log could not be opened.", out);
    EXPECT_EQ(c.line, err);
    Expect_Earlier_Outputs();
  }
}

TEST_F(Run_Failures, ALongNameGetsAShorterNewFile) {
  Fail("open", "case.vrn.cnss.Tremvert-unfinished", ENAMETOOLONG, 0);
  EXPECT_EQ(0, Convert());
  Expect_Converted();
  // A new output in a folder that cannot be looked at: nothing to compare
  // it with, and it is made as usual.
  fs::remove("case.vrn.cnss");
  Fail("fstat", ".", EACCES, 0, true);
  EXPECT_EQ(0, Convert());
  Expect_Converted();
}

// A folder that refuses a new file, beside outputs that the user may write:
// each is written to a temporary file, copied into it once the run has
// succeeded.
struct Refusing_Folder : Faulty_File_System {
  bool named_temporary = false;  // no nameless temporary files either
  int Openat(int folder, const char* name, int flags, mode_t mode) override {
    if ((flags & O_ACCMODE) == O_WRONLY && (flags & O_CREAT) &&
        std::strstr(name, "Tremvert-unfinished") != nullptr)
      return errno = EACCES, -1;
    return Faulty_File_System::Openat(folder, name, flags, mode);
  }
  int Open(const char* path, int flags, mode_t mode) override {
    if (named_temporary && (flags & O_TMPFILE) == O_TMPFILE)
      return errno = EOPNOTSUPP, -1;
    return Faulty_File_System::Open(path, flags, mode);
  }
};

TEST_F(Run_Failures, AFolderThatRefusesANewFileGetsTheOutputsCopiedInPlace) {
  Refusing_Folder refusing;
  Use_File_System(&refusing);
  const ino_t before = Inode("case.vrn.cnss");
  EXPECT_EQ(0, Convert());
  EXPECT_EQ(before, Inode("case.vrn.cnss"));
  Expect_Converted();
  refusing.named_temporary = true;
  EXPECT_EQ(0, Convert());
  EXPECT_EQ(before, Inode("case.vrn.cnss"));
  Expect_Converted();

  // The copy fails before the output is touched, or cuts it.
  Write_File("case.vrn.cnss", kEarlier_Catalog);
  Write_File("case.error.log", kEarlier_Log);
  refusing.kind = "ftruncate";
  refusing.part = "case.vrn.cnss";
  refusing.seen = 0;
  EXPECT_EQ(1, Convert());
  EXPECT_EQ("Tremvert: case.vrn.cnss: Input/output error\n", err);
  EXPECT_EQ(kEarlier_Catalog, Read_File("case.vrn.cnss"));
  refusing.kind = "write";
  refusing.error = ENOSPC;
  refusing.seen = 0;
  EXPECT_EQ(1, Convert());
  EXPECT_NE(std::string::npos,
            out.find("Error : case.vrn.cnss could not be written."));
  EXPECT_EQ("Tremvert: case.vrn.cnss: No space left on device\n", err);
  refusing.kind = "pread";
  refusing.part = "";
  refusing.error = EIO;
  refusing.seen = 0;
  EXPECT_EQ(1, Convert());
  refusing.kind = "close";
  refusing.part = "case.error.log";
  refusing.seen = 0;  // the earlier file's close, after the copy
  EXPECT_EQ(1, Convert());
  EXPECT_EQ("Tremvert: case.error.log: Input/output error\n", err);
  // No temporary file at all.
  refusing.kind = "open";
  refusing.part = "Tremvert-unfinished";
  refusing.error = ENOSPC;
  refusing.seen = 0;
  EXPECT_EQ(1, Convert());
  EXPECT_EQ("Tremvert: case.error.log: No space left on device\n", err);
  refusing.kind = "open";
  refusing.part = "/";  // the temporary folder itself
  refusing.nth = 0;
  EXPECT_EQ(1, Convert());
  refusing.kind = "unlink";
  refusing.part = "Tremvert-unfinished";
  refusing.error = EPERM;
  EXPECT_EQ(1, Convert());
  EXPECT_EQ("Tremvert: case.error.log: Operation not permitted\n", err);
  // With no earlier output, nothing can be made there.
  refusing.kind = "";
  fs::remove("case.error.log");
  EXPECT_EQ(1, Convert());
  EXPECT_EQ("Tremvert: case.error.log: Permission denied\n", err);
}

// An access control list as the system stores it: the owner rw, the user
// nobody rw, the group nothing, the mask rw, others nothing.
std::string Access_List() {
  const struct {
    uint16_t tag, permissions;
    uint32_t id;
  } entries[] = {
      {1, 6, ~0u}, {2, 6, 65534}, {4, 0, ~0u}, {0x10, 6, ~0u}, {0x20, 0, ~0u}};
  const uint32_t version = 2;
  std::string text(reinterpret_cast<const char*>(&version), 4);
  text.append(reinterpret_cast<const char*>(entries), sizeof entries);
  return text;
}

std::string Attribute(const char* file, const char* name) {
  char value[256];
  const ssize_t n = getxattr(file, name, value, sizeof value);
  return n < 0 ? std::string() : std::string(value, static_cast<size_t>(n));
}

TEST_F(Run_Failures, AReplacedOutputKeepsWhoMayReadIt) {
  const std::string list = Access_List();
  if (setxattr("case.vrn.cnss", "user.note", "kept", 4, 0) != 0 ||
      setxattr("case.vrn.cnss", "system.posix_acl_access", list.data(),
               list.size(), 0) != 0)
    GTEST_SKIP() << "no extended attributes here";
  EXPECT_EQ(0660, Mode("case.vrn.cnss"));  // the mask's rw
  EXPECT_EQ(0, Convert());
  Expect_Converted();
  EXPECT_EQ("kept", Attribute("case.vrn.cnss", "user.note"));
  EXPECT_EQ(list, Attribute("case.vrn.cnss", "system.posix_acl_access"));
  EXPECT_EQ(0660, Mode("case.vrn.cnss"));

  // A list that cannot be copied, or read: neither the group nor others
  // gain what the list kept from them.  A user attribute that cannot be
  // copied is left out.
  for (const char* kind : {"fsetxattr", "fgetxattr", "flistxattr"}) {
    const bool listing = kind[1] == 'l';
    Fail(kind, listing ? "case.vrn.cnss" : "system.posix_acl_access",
         listing ? EIO : ENOTSUP);
    EXPECT_EQ(0, Convert()) << kind;
    EXPECT_EQ(0600, Mode("case.vrn.cnss")) << kind;
    setxattr("case.vrn.cnss", "system.posix_acl_access", list.data(),
             list.size(), 0);
    chmod("case.vrn.cnss", 0660);
  }
  Fail("fsetxattr", "user.note", EPERM);
  EXPECT_EQ(0, Convert());
  EXPECT_EQ("", Attribute("case.vrn.cnss", "user.note"));
  EXPECT_EQ(0660, Mode("case.vrn.cnss"));
  Fail("flistxattr", "case.vrn.cnss", ENOTSUP);  // a file system without them
  chmod("case.error.log", 0664);
  EXPECT_EQ(0, Convert());

  // A list that the new file took from its folder's default, which the
  // earlier file did not have, is taken off, or its bits are.
  chmod("case.error.log", 0664);
  Fail("fremovexattr", "system.posix_acl_access", EIO);
  EXPECT_EQ(0, Convert());
  EXPECT_EQ(0600, Mode("case.error.log"));
}

TEST_F(Run_Failures, AReplacedOutputKeepsItsOwnerAndGroup) {
  if (geteuid() != 0) GTEST_SKIP() << "only root may give a file away";
  ASSERT_EQ(0, chown("case.vrn.cnss", 65534, 65534));
  chmod("case.vrn.cnss", 0640);
  EXPECT_EQ(0, Convert());
  struct stat st;
  stat("case.vrn.cnss", &st);
  EXPECT_EQ(65534u, st.st_uid);
  EXPECT_EQ(65534u, st.st_gid);
  EXPECT_EQ(0640, Mode("case.vrn.cnss"));
  // The owner cannot be given, the group can.
  Fail("fchown", "Tremvert-unfinished", EPERM, 1);
  EXPECT_EQ(0, Convert());
  stat("case.vrn.cnss", &st);
  EXPECT_EQ(0u, st.st_uid);
  EXPECT_EQ(65534u, st.st_gid);
  EXPECT_EQ(0640, Mode("case.vrn.cnss"));
  // Neither can: the new file's group does not get the earlier group's bits.
  chown("case.vrn.cnss", 65534, 65534);
  Fail("fchown", "Tremvert-unfinished", EPERM, 0);
  EXPECT_EQ(0, Convert());
  stat("case.vrn.cnss", &st);
  EXPECT_EQ(0u, st.st_gid);
  EXPECT_EQ(0600, Mode("case.vrn.cnss"));
}

// Fails the renames named, by a part of "FROM > TO".
struct Failing_Renames : Faulty_File_System {
  std::vector<std::string> parts;
  int Renameat(int from_folder, const char* from, int to_folder,
               const char* to) override {
    const std::string names = std::string(from) + " > " + to;
    for (const std::string& part : parts)
      if (names.find(part) != std::string::npos) return errno = EXDEV, -1;
    return Faulty_File_System::Renameat(from_folder, from, to_folder, to);
  }
};

TEST_F(Run_Failures, BothOutputsAreReplacedOrNeither) {
  // The catalog is put in place first, then the error log; when the second
  // fails, the first is put back: the very file that was there.
  Failing_Renames renames;
  renames.parts = {"> case.error.log"};
  Use_File_System(&renames);
  const ino_t catalog = Inode("case.vrn.cnss");
  EXPECT_EQ(1, Convert());
  EXPECT_EQ(
      std::string(kBanner) + "\n\nError : case.error.log could not be written.",
      out);
  EXPECT_EQ("Tremvert: case.error.log: Invalid cross-device link\n", err);
  Expect_Earlier_Outputs();
  EXPECT_EQ(catalog, Inode("case.vrn.cnss"));
  for (const auto& entry : fs::directory_iterator("."))
    EXPECT_EQ(std::string::npos, entry.path().string().find("Tremvert-"));

  // A catalog that did not exist is removed again.
  fs::remove("case.vrn.cnss");
  EXPECT_EQ(1, Convert());
  EXPECT_FALSE(fs::exists("case.vrn.cnss"));
  renames.kind = "unlink";
  renames.part = "case.vrn.cnss";
  renames.exact = true;
  EXPECT_EQ(1, Convert());
  EXPECT_EQ(
      "Tremvert: case.error.log: Invalid cross-device link\n"
      "Tremvert: case.vrn.cnss: could not be put back: Input/output error\n",
      err);
  fs::remove("case.vrn.cnss");
  renames.kind = "";

  // A catalog written in place (a character device) has nothing to put
  // back: only the error log's failure is said.
  fs::create_symlink("/dev/null", "case.vrn.cnss");
  EXPECT_EQ(1, Convert());
  EXPECT_EQ("Tremvert: case.error.log: Invalid cross-device link\n", err);
  EXPECT_TRUE(fs::is_symlink("case.vrn.cnss"));
  fs::remove("case.vrn.cnss");

  // The put back fails too: the earlier catalog is kept, and said where.
  Write_File("case.vrn.cnss", kEarlier_Catalog);
  renames.parts = {"> case.error.log", "Tremvert-earlier"};
  EXPECT_EQ(1, Convert());
  EXPECT_NE(std::string::npos,
            err.find("Tremvert: case.vrn.cnss: could not be put back: Invalid "
                     "cross-device link; the earlier file is kept as "
                     "case.vrn.cnss.Tremvert-earlier-"))
      << err;
  int kept = 0;
  for (const auto& entry : fs::directory_iterator("."))
    if (entry.path().string().find("Tremvert-earlier") != std::string::npos) {
      EXPECT_EQ(kEarlier_Catalog, Read_File(entry.path()));
      fs::remove(entry.path());
      ++kept;
    }
  EXPECT_EQ(1, kept);
  Write_File("case.vrn.cnss", kEarlier_Catalog);
  const ino_t unlinked_catalog = Inode("case.vrn.cnss");

  // No second link to the earlier catalog (a file system without hard
  // links): the catalog goes last, after the error log that failed.
  renames.parts = {"> case.error.log"};
  renames.kind = "link";
  renames.part = "case.vrn.cnss";
  renames.exact = true;
  renames.nth = 0;
  EXPECT_EQ(1, Convert());
  Expect_Earlier_Outputs();
  EXPECT_EQ(unlinked_catalog, Inode("case.vrn.cnss"));
  renames.parts = {};
  EXPECT_EQ(0, Convert());
  Expect_Converted();
  renames.error = EEXIST;  // every second name taken
  EXPECT_EQ(0, Convert());
  Expect_Converted();
  // Names too long for a second link's suffix get a shorter one; a second
  // link that cannot be removed is left, holding the earlier output.
  renames.kind = "link";
  renames.error = ENAMETOOLONG;
  renames.nth = 1;
  renames.seen = 0;
  EXPECT_EQ(0, Convert());
  Expect_Converted();
}

TEST_F(Run_Failures, AStandardOutputThatFailsReplacesNothing) {
  const int full = open("/dev/full", O_WRONLY | O_CLOEXEC);
  ASSERT_LE(0, full);
  EXPECT_EQ(1, Run(Run_Conversion, 0, full));
  EXPECT_EQ("Tremvert: standard output: No space left on device\n", err);
  Expect_Earlier_Outputs();
  close(full);
}

// Standard output or error that is one of the run's files is refused, and
// nothing is written to it: the refusal goes to the other stream, or, when
// both are the run's files, nowhere.
TEST_F(Run_Failures, AStandardStreamThatIsARunFileIsNeverWritten) {
  const int sheet = open("case.sheet", O_WRONLY | O_APPEND | O_CLOEXEC);
  ASSERT_LE(0, sheet);
  EXPECT_EQ(1, Run(Run_Conversion, 0, sheet, sheet));
  EXPECT_EQ("", err);
  EXPECT_EQ(kSheet, Read_File("case.sheet"));
  EXPECT_EQ(1, Run(Run_Conversion, 0, sheet));
  EXPECT_EQ("Tremvert: standard output: is the same file as case.sheet\n", err);
  EXPECT_EQ(kSheet, Read_File("case.sheet"));
  close(sheet);
  // Even a failure met before the outputs are looked at.
  const int mapping = open("instrument.mapping.out", O_WRONLY | O_APPEND);
  fs::remove("station.mapping.out");
  EXPECT_EQ(1, Run(Run_Conversion, 0, -1, mapping));
  EXPECT_EQ(
      "Tremvert: standard error: is the same file as instrument.mapping.out\n",
      out);
  EXPECT_EQ("ABC 01 BH\n", Read_File("instrument.mapping.out"));
  close(mapping);
  Expect_Earlier_Outputs();
}

TEST_F(Run_Failures, TheLockThatCannotBeTakenStopsTheRun) {
  // The earlier catalog is itself the lock: no file is made for it.
  EXPECT_EQ(0, Convert());
  EXPECT_EQ(1, faulty_.calls["flock case.vrn.cnss"]);
  EXPECT_EQ(0, faulty_.calls.count("open case.vrn.cnss.Tremvert-lock"));
  Write_File("case.vrn.cnss", kEarlier_Catalog);
  Write_File("case.error.log", kEarlier_Log);
  Fail("flock", "case.vrn.cnss", ENOLCK, 1, true);
  EXPECT_EQ(1, Convert());
  EXPECT_EQ("Error : case.vrn.cnss could not be opened.", out);
  EXPECT_EQ("Tremvert: case.vrn.cnss: No locks available\n", err);
  Expect_Earlier_Outputs();
  Fail("fstat", "case.vrn.cnss", EIO, 1, true);
  EXPECT_EQ(1, Convert());
  Fail("fstatat", "case.vrn.cnss", EIO, 3, true);  // once locked
  EXPECT_EQ(1, Convert());
  EXPECT_EQ("Tremvert: case.vrn.cnss: Input/output error\n", err);
  Expect_Earlier_Outputs();
  Fail("fstatat", "case.vrn.cnss", EIO, 4, true);  // before the replacement
  EXPECT_EQ(1, Convert());
  EXPECT_EQ(
      std::string(kBanner) + "\n\nError : case.vrn.cnss could not be written.",
      out);
  EXPECT_EQ("Tremvert: case.vrn.cnss: Input/output error\n", err);
  Expect_Earlier_Outputs();
  // An earlier catalog that cannot be opened locks nothing: its opening as
  // the earlier file says why; if it opens then, it is locked at the end.
  Fail("open", "case.vrn.cnss", EACCES, 0, true);
  EXPECT_EQ(1, Convert());
  EXPECT_EQ("Tremvert: case.vrn.cnss: Permission denied\n", err);
  Expect_Earlier_Outputs();
  Fail("open", "case.vrn.cnss", EACCES, 1, true);
  faulty_.calls.clear();
  EXPECT_EQ(0, Convert());
  EXPECT_EQ(1, faulty_.calls["flock case.vrn.cnss"]);
  Expect_Converted();
  // The new catalog is locked too, once made.
  Fail("fcntl", "case.vrn.cnss.Tremvert-unfinished", EMFILE);
  EXPECT_EQ(1, Convert());
  EXPECT_EQ("Tremvert: case.vrn.cnss: Too many open files\n", err);
  Fail("flock", "case.vrn.cnss.Tremvert-unfinished", ENOLCK);
  EXPECT_EQ(1, Convert());
  EXPECT_EQ("Tremvert: case.vrn.cnss: No locks available\n", err);
  Expect_No_New_File();

  // No earlier catalog: the lock file beside it.
  fs::remove("case.vrn.cnss");
  Write_File("case.error.log", kEarlier_Log);
  Fail("flock", "Tremvert-lock", ENOLCK);
  EXPECT_EQ(1, Convert());
  EXPECT_EQ("Tremvert: case.vrn.cnss: No locks available\n", err);
  Fail("open", "Tremvert-lock", EMFILE);
  EXPECT_EQ(1, Convert());
  EXPECT_EQ("Tremvert: case.vrn.cnss: Too many open files\n", err);
  Fail("fstat", "Tremvert-lock", EIO);
  EXPECT_EQ(1, Convert());
  Fail("fstatat", "Tremvert-lock", EIO);
  EXPECT_EQ(1, Convert());
  EXPECT_EQ("Tremvert: case.vrn.cnss: Input/output error\n", err);
  Fail("fstatat", "case.vrn.cnss", EIO, 3, true);  // once it is locked
  EXPECT_EQ(1, Convert());
  EXPECT_EQ("Tremvert: case.vrn.cnss: Input/output error\n", err);
  EXPECT_FALSE(fs::exists("case.vrn.cnss"));
  EXPECT_EQ(kEarlier_Log, Read_File("case.error.log"));
  // A lock file removed by the run that held it: locked again.
  Fail("fstatat", "Tremvert-lock", ENOENT);
  EXPECT_EQ(0, Convert());
  Expect_Converted();
  EXPECT_FALSE(fs::exists("case.vrn.cnss.Tremvert-lock"));
  // A catalog name too long for the lock's suffix.
  fs::remove("case.vrn.cnss");
  Fail("open", "case.vrn.cnss.Tremvert-lock", ENAMETOOLONG);
  faulty_.calls.clear();
  EXPECT_EQ(0, Convert());
  EXPECT_EQ(1, faulty_.calls["flock Tremvert-lock"]);
  EXPECT_FALSE(fs::exists("Tremvert-lock"));
  // A lock file that another user made: locked open for reading.
  fs::remove("case.vrn.cnss");
  Fail("open", "Tremvert-lock", EACCES);
  faulty_.calls.clear();
  EXPECT_EQ(0, Convert());
  EXPECT_EQ(2, faulty_.calls["open case.vrn.cnss.Tremvert-lock"]);
  EXPECT_EQ(1, faulty_.calls["flock case.vrn.cnss.Tremvert-lock"]);
  EXPECT_FALSE(fs::exists("case.vrn.cnss.Tremvert-lock"));
  Expect_Converted();
  // A folder that refuses a lock file refuses the catalog too; one that
  // takes the catalog all the same is not locked.
  for (int error : {EACCES, EPERM, EROFS}) {
    fs::remove("case.vrn.cnss");
    Fail("open", "Tremvert-lock", error, 0);
    EXPECT_EQ(0, Convert());
    Expect_Converted();
  }

  // A catalog that is a device: the error log's name holds the lock.
  fs::remove("case.vrn.cnss");
  fs::create_symlink("/dev/null", "case.vrn.cnss");
  Fail("flock", "case.error.log", ENOLCK, 1, true);
  EXPECT_EQ(1, Convert());
  EXPECT_EQ("Tremvert: case.error.log: No locks available\n", err);
}

// A catalog made or removed by another program while a run waits for the
// lock or converts: the run locks what a run that came then would lock.
TEST_F(Run_Failures, TheLockFollowsTheCatalogsName) {
  struct Changing : Faulty_File_System {
    std::string at;        // "KIND NAME" of the call that changes the catalog
    bool make = false;     // makes it where there is none, or removes it
    bool replace = false;  // replaces it by another file
    mode_t lock_mode = 0;  // of the lock file, once locked
    int lock_access = -1;  // and how it is open
    void Change(const char* call, int fd) {
      if (at.empty() || at != std::string(call) + " " + names[fd]) return;
      at.clear();
      if (replace) {
        Write_File("other.cnss", kEarlier_Catalog);
        fs::rename("other.cnss", "case.vrn.cnss");
      } else if (make) {
        Write_File("case.vrn.cnss", kEarlier_Catalog);
      } else {
        fs::remove("case.vrn.cnss");
      }
    }
    int Flock(int fd, int operation) override {
      struct stat st;
      if (names[fd] == "case.vrn.cnss.Tremvert-lock" && fstat(fd, &st) == 0) {
        lock_mode = st.st_mode & 07777;
        lock_access = fcntl(fd, F_GETFL) & O_ACCMODE;
      }
      Change("flock", fd);
      return Faulty_File_System::Flock(fd, operation);
    }
    int Close(int fd) override {
      Change("close", fd);
      return Faulty_File_System::Close(fd);
    }
  } changing;
  Use_File_System(&changing);
  // Made while the run waited for the lock file: the catalog is locked.
  fs::remove("case.vrn.cnss");
  changing.at = "flock case.vrn.cnss.Tremvert-lock";
  changing.make = true;
  EXPECT_EQ(0, Convert());
  Expect_Converted();
  EXPECT_EQ(1, changing.calls["flock case.vrn.cnss"]);
  EXPECT_FALSE(fs::exists("case.vrn.cnss.Tremvert-lock"));
  const mode_t mask = umask(022);
  umask(mask);
  EXPECT_EQ(0666 & ~mask, changing.lock_mode);  // for the runs of others too
  EXPECT_EQ(O_RDWR, changing.lock_access);      // as NFS needs
  // Replaced by another file during the run: that file is locked.
  changing.calls.clear();
  changing.at = "close case.vrn.cnss";  // the earlier file, once looked at
  changing.replace = true;
  EXPECT_EQ(0, Convert());
  Expect_Converted();
  EXPECT_EQ(2, changing.calls["flock case.vrn.cnss"]);
  changing.replace = false;
  // Removed during the run: the lock file is taken before the replacement,
  // or the run fails if it cannot be.
  for (int error : {0, EMFILE}) {
    Write_File("case.vrn.cnss", kEarlier_Catalog);
    Write_File("case.error.log", kEarlier_Log);
    changing.calls.clear();
    changing.at = "close case.vrn.cnss";  // the earlier file, once looked at
    changing.make = false;
    changing.kind = error != 0 ? "open" : "";
    changing.part = "Tremvert-lock";
    changing.error = error;
    changing.nth = 1;
    changing.seen = 0;
    EXPECT_EQ(error != 0 ? 1 : 0, Convert());
    EXPECT_EQ(1, changing.calls["open case.vrn.cnss.Tremvert-lock"]);
    EXPECT_FALSE(fs::exists("case.vrn.cnss.Tremvert-lock"));
  }
  EXPECT_EQ(
      std::string(kBanner) + "\n\nError : case.vrn.cnss could not be written.",
      out);
  EXPECT_EQ("Tremvert: case.vrn.cnss: Too many open files\n", err);
  EXPECT_FALSE(fs::exists("case.vrn.cnss"));
  EXPECT_EQ(kEarlier_Log, Read_File("case.error.log"));
  Expect_No_New_File();
  // Made during the run, where there was none: the catalog is locked.
  fs::remove("case.vrn.cnss");
  changing.calls.clear();
  changing.at = "close case.error.log";  // the earlier log, once looked at
  changing.make = true;
  changing.kind = "";
  EXPECT_EQ(0, Convert());
  Expect_Converted();
  EXPECT_EQ(1, changing.calls["flock case.vrn.cnss"]);
  EXPECT_FALSE(fs::exists("case.vrn.cnss.Tremvert-lock"));
}

// Swaps the links at both outputs' names, at the nth call of the file
// system: the catalog's from /dev/null to the sheet, the error log's to a
// mapping file.  Whenever it comes, no input is ever written.
struct Swapping_Links : File_System {
  int countdown = 0;
  void Tick() {
    if (countdown == 0 || --countdown != 0) return;
    for (auto [output, input] :
         {std::pair{"case.vrn.cnss", "case.sheet"},
          std::pair{"case.error.log", "station.mapping.out"}}) {
      fs::remove(output);
      fs::create_symlink(input, output);
    }
  }
  int Open(const char* p, int f, mode_t m) override {
    Tick();
    return File_System::Open(p, f, m);
  }
  int Openat(int d, const char* n, int f, mode_t m) override {
    Tick();
    return File_System::Openat(d, n, f, m);
  }
  int Fstat(int fd, struct stat* st) override {
    Tick();
    return File_System::Fstat(fd, st);
  }
  int Fstatat(int d, const char* n, struct stat* st, int f) override {
    Tick();
    return File_System::Fstatat(d, n, st, f);
  }
  ssize_t Readlinkat(int d, const char* n, char* t, size_t s) override {
    Tick();
    return File_System::Readlinkat(d, n, t, s);
  }
};

TEST_F(Run_Failures, ALinkSwappedDuringStartUpNeverMakesAnInputWritten) {
  Swapping_Links swapping;
  Use_File_System(&swapping);
  for (int nth = 1; nth < 60; ++nth) {
    for (const char* output : {"case.vrn.cnss", "case.error.log"}) {
      fs::remove(output);
      fs::create_symlink("/dev/null", output);
    }
    swapping.countdown = nth;
    Convert();
    EXPECT_EQ(kSheet, Read_File("case.sheet")) << nth;
    EXPECT_EQ("NN ABC\n", Read_File("station.mapping.out")) << nth;
    Expect_No_New_File();
  }
}

// Holds the first run at the replacement of one output (`at`: its name)
// until a second run for the same outputs has asked for the lock, and a
// while longer: the second run must wait for the first to end.
struct Held_At_Replacement : File_System {
  const char* at = "";
  std::mutex mutex;
  std::condition_variable changed;
  std::thread::id held;
  bool reached = false, asked = false, first_done = false;
  bool second_locked_early = false;
  int Renameat(int from_folder, const char* from, int to_folder,
               const char* to) override {
    if (std::this_thread::get_id() == held && std::string(to) == at) {
      std::unique_lock<std::mutex> lock(mutex);
      reached = true;
      changed.notify_all();
      // (Bounded, so that a run that takes no lock fails the test.)
      changed.wait_for(lock, std::chrono::seconds(5), [&] { return asked; });
      // Time for the second run to go ahead, were it not held back.
      changed.wait_for(lock, std::chrono::milliseconds(200),
                       [&] { return second_locked_early; });
    }
    const int result = File_System::Renameat(from_folder, from, to_folder, to);
    if (std::this_thread::get_id() == held &&
        std::string(to) == "case.error.log") {  // the last replaced
      std::lock_guard<std::mutex> lock(mutex);
      first_done = true;
    }
    return result;
  }
  int Flock(int fd, int operation) override {
    const bool second = std::this_thread::get_id() != held;
    if (second) {
      std::lock_guard<std::mutex> lock(mutex);
      asked = true;
      changed.notify_all();
    }
    const int result = File_System::Flock(fd, operation);
    if (second) {
      std::lock_guard<std::mutex> lock(mutex);
      if (!first_done) second_locked_early = true;
      changed.notify_all();
    }
    return result;
  }
};

int Convert_In_Memory() {
  Out_Buffer out, err;
  Open_Out_Buffer(out, -1, 1 << 16);
  Open_Out_Buffer(err, -1, 1 << 16);
  const char* argv[] = {"Tremvert", "case"};
  return Run_Conversion(2, argv, out, err);
}

// Two runs of one base at once, each reading its own version of the sheet
// (the second saved by renaming, as editors do): the final pair of outputs
// comes from one run.  The second comes while the first replaces one output
// or the other, with earlier outputs (it waits on the earlier catalog, or on
// the first's new one) or none (on the lock file, or on the new catalog).
TEST_F(Run_Failures, ASecondRunForTheSameOutputsWaitsForTheFirst) {
  for (bool earlier : {true, false}) {
    for (const char* at : {"case.vrn.cnss", "case.error.log"}) {
      SCOPED_TRACE(std::string(earlier ? "earlier outputs, " : "none, ") +
                   "held at " + at);
      Write_File("case.sheet", kSheet);
      for (const char* output : {"case.vrn.cnss", "case.error.log"})
        if (!earlier) fs::remove(output);
      Held_At_Replacement holding;
      holding.at = at;
      Use_File_System(&holding);
      int first_status = -1, second_status = -1;
      std::thread first([&] {
        {
          std::lock_guard<std::mutex> lock(holding.mutex);
          holding.held = std::this_thread::get_id();
        }
        first_status = Convert_In_Memory();
      });
      {
        std::unique_lock<std::mutex> lock(holding.mutex);
        holding.changed.wait(lock, [&] { return holding.reached; });
      }
      Write_File("case.sheet.new",
                 "E 080175 100505.5 34-12.5 118-30.0 10.0 4.5\n"
                 "P ABC ABC e Pn Z 100520.25 d\nA ABC YY 1.5 0 0\n");
      fs::rename("case.sheet.new", "case.sheet");
      std::thread second([&] { second_status = Convert_In_Memory(); });
      first.join();
      second.join();
      Use_File_System(&faulty_);
      EXPECT_EQ(0, first_status);
      EXPECT_EQ(0, second_status);
      EXPECT_FALSE(holding.second_locked_early);
      EXPECT_EQ("\n Error [Unknown instrument] : YY.\n",
                Read_File("case.error.log"));
      const std::string catalog = Read_File("case.vrn.cnss");
      EXPECT_NE(std::string::npos, catalog.find("19750801"));
      EXPECT_EQ(std::string::npos, catalog.find("19750701"));
      Expect_No_New_File();
      EXPECT_FALSE(fs::exists("case.vrn.cnss.Tremvert-lock"));
    }
  }
}

// A run's process, ended by SIGTERM while its new files are registered: the
// handler removes them, and only them, and the process ends by the signal.
// The signal, raised while the files are registered, waits for the guard.
TEST_F(Run_Failures, AnInterruptionRemovesTheNewFiles) {
  Write_File("case.error.log.Tremvert-unfinished-a", "x");
  Write_File("case.vrn.cnss.Tremvert-unfinished-b", "x");
  Write_File("case.vrn.cnss", kEarlier_Catalog);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {  // no test macros here: exit statuses say what went wrong
    std::signal(SIGTERM, SIG_DFL);
    Remove_New_Files_On_Interruption();
    const int folder = open(".", O_PATH | O_DIRECTORY | O_CLOEXEC);
    {
      Interruption_Guard guard;
      Register_New_File(kLog_Slot, folder,
                        "case.error.log.Tremvert-unfinished-a");
      Register_New_File(kCatalog_Slot, folder,
                        "case.vrn.cnss.Tremvert-unfinished-b");
      Register_New_File(kLock_Slot, folder, "");
      raise(SIGTERM);
      if (access("case.error.log.Tremvert-unfinished-a", F_OK) != 0)
        _exit(2);              // handled while the guard was held
      Write_File("held", "");  // reached only while the signal waits
    }
    _exit(3);  // the signal did not end the process
  }
  int status = 0;
  ASSERT_EQ(child, waitpid(child, &status, 0));
  ASSERT_TRUE(WIFSIGNALED(status)) << "exit status " << WEXITSTATUS(status);
  EXPECT_EQ(SIGTERM, WTERMSIG(status));
  EXPECT_TRUE(fs::exists("held"));
  EXPECT_FALSE(fs::exists("case.error.log.Tremvert-unfinished-a"));
  EXPECT_FALSE(fs::exists("case.vrn.cnss.Tremvert-unfinished-b"));
  EXPECT_EQ(kEarlier_Catalog, Read_File("case.vrn.cnss"));
}

// The lock file is among the files an interruption removes while the run
// holds it, and only then: once let go, its name may be another run's.
TEST_F(Run_Failures, AnInterruptionRemovesTheLockFileOnlyWhileHeld) {
  struct Interrupted : File_System {
    bool armed = true, lock_file_left = false;
    int Renameat(int from_folder, const char* from, int to_folder,
                 const char* to) override {
      if (armed) {  // as the handler would, at the first replacement
        armed = false;
        Remove_New_Files();
        lock_file_left = fs::exists("case.vrn.cnss.Tremvert-lock");
      }
      return File_System::Renameat(from_folder, from, to_folder, to);
    }
  } interrupted;
  Use_File_System(&interrupted);
  fs::remove("case.vrn.cnss");
  EXPECT_EQ(1, Convert());  // its new files gone
  EXPECT_FALSE(interrupted.lock_file_left);
  // The next run locks its earlier catalog; a lock file of the same name
  // is another run's.
  Write_File("case.vrn.cnss", kEarlier_Catalog);
  Write_File("case.vrn.cnss.Tremvert-lock", "");
  interrupted.armed = true;
  EXPECT_EQ(1, Convert());
  EXPECT_TRUE(interrupted.lock_file_left);
  Expect_Earlier_Outputs();
}

// Every allocation of a run, failing in turn: the run reports the lack of
// memory and replaces nothing, or succeeds where the failure was absorbed.
TEST_F(Run_Failures, EveryLackOfMemoryIsReported) {
  Use_File_System(nullptr);
  for (long n = 1;; ++n) {
    Write_File("case.vrn.cnss", kEarlier_Catalog);
    Write_File("case.error.log", kEarlier_Log);
    const int status = Convert(n);
    if (!injected) {
      ASSERT_EQ(0, status);
      Expect_Converted();
      break;
    }
    ASSERT_EQ(1, status) << "allocation " << n;
    EXPECT_NE(std::string::npos, err.find("out of memory")) << err;
    Expect_Earlier_Outputs();
  }
  for (long n = 1;; ++n) {
    const int status = Run(Run_Check, n);
    if (!injected) break;
    ASSERT_EQ(2, status) << "allocation " << n;
    EXPECT_NE(std::string::npos, err.find("out of memory")) << err;
  }
}

}  // namespace
