// Failures that a run meets, injected in-process: each system call of the
// file-system seam may fail, and so may any allocation.  Whatever fails, the
// run ends with its message and status, replaces no earlier output unless it
// succeeded, and leaves no new file behind.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <new>
#include <sstream>
#include <string>

#include "check/check_run.h"
#include "driver/conversion_run.h"
#include "driver/interruption.h"
#include "reference/validity_checks.h"
#include "text/file_system.h"
#include "text/output_buffer.h"

namespace fs = std::filesystem;

// Allocations fail from the Nth one on when `fail_at` is set (one, then the
// others succeed again), so that every handler of a lack of memory runs.
static long allocations_to_failure = 0;

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

// Fails the `nth` call (0: every call) of one kind whose file's name holds
// `part` (is `part`, when `exact`), with `error`.
struct Faulty_File_System : File_System {
  std::string kind, part;
  int nth = 1, error = EIO, seen = 0;
  bool exact = false;
  std::map<int, std::string> names;  // open descriptors

  bool Fails(const char* call, const std::string& name) {
    if (kind != call || (exact ? name != part
                               : name.find(part) == std::string::npos))
      return false;
    if (nth != 0 && ++seen != nth) return false;
    errno = error;
    return true;
  }
  int Open(const char* path, int flags, mode_t mode) override {
    if (Fails("open", path)) return -1;
    const int fd = File_System::Open(path, flags, mode);
    if (fd >= 0) names[fd] = path;
    return fd;
  }
  ssize_t Read(int fd, void* data, size_t size) override {
    return Fails("read", names[fd]) ? -1 : File_System::Read(fd, data, size);
  }
  ssize_t Write(int fd, const void* data, size_t size) override {
    if (!Fails("write", names[fd])) return File_System::Write(fd, data, size);
    return error == 0 ? 0 : -1;  // error 0: a write that writes nothing
  }
  int Close(int fd) override {
    const std::string name = names[fd];
    names.erase(fd);
    const int result = File_System::Close(fd);
    return Fails("close", name) ? -1 : result;
  }
  int Stat(const char* path, struct stat* st) override {
    return Fails("stat", path) ? -1 : File_System::Stat(path, st);
  }
  int Lstat(const char* path, struct stat* st) override {
    return Fails("lstat", path) ? -1 : File_System::Lstat(path, st);
  }
  int Fstat(int fd, struct stat* st) override {
    return Fails("fstat", names[fd]) ? -1 : File_System::Fstat(fd, st);
  }
  ssize_t Readlink(const char* path, char* text, size_t size) override {
    return Fails("readlink", path) ? -1 : File_System::Readlink(path, text, size);
  }
  int Rename(const char* from, const char* to) override {
    return Fails("rename", to) ? -1 : File_System::Rename(from, to);
  }
  int Fchmod(int fd, mode_t mode) override {
    return Fails("fchmod", names[fd]) ? -1 : File_System::Fchmod(fd, mode);
  }
  int Ftruncate(int fd, off_t length) override {
    return Fails("ftruncate", names[fd]) ? -1
                                          : File_System::Ftruncate(fd, length);
  }
};

std::string Read_File(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void Write_File(const std::string& name, const std::string& text) {
  std::ofstream(name, std::ios::binary) << text;
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
    home_ = fs::current_path();
    dir_ = fs::temp_directory_path() / ("tremvert-unit-" + std::to_string(getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    fs::current_path(dir_);
    Write_File("station.mapping.out", "NN ABC\n");
    Write_File("instrument.mapping.out", "ABC 01 BH\n");
    Write_File("case.sheet", kSheet);
    Write_File("case.vrn.cnss", kEarlier_Catalog);
    Write_File("case.error.log", kEarlier_Log);
    Use_File_System(&faulty_);
  }
  void TearDown() override {
    Use_File_System(nullptr);
    fs::current_path(home_);
    fs::remove_all(dir_);
  }

  // Runs the converter, or the checker, on "case", with its allocations
  // failing from the nth on; its standard output and error are kept.
  int Run(int (*program)(int, const char* const*, Out_Buffer&, Out_Buffer&),
          long nth_allocation = 0) {
    Out_Buffer out_buffer, err_buffer;
    Open_Out_Buffer(out_buffer, -1, 1 << 16);
    Open_Out_Buffer(err_buffer, -1, 1 << 16);
    const char* argv[] = {"Tremvert", "case"};
    const int first_free = dup(0);  // the lowest descriptor not in use
    close(first_free);
    allocations_to_failure = nth_allocation;
    const int status = program(2, argv, out_buffer, err_buffer);
    injected = nth_allocation != 0 && allocations_to_failure == 0;
    allocations_to_failure = 0;
    out = Text_Of(out_buffer);
    err = Text_Of(err_buffer);
    const int after = dup(0);  // no descriptor left open by the run
    close(after);
    EXPECT_EQ(first_free, after);
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
  fs::path home_, dir_;
  std::string out, err;
  bool injected = false;  // the allocation failure happened
};

constexpr const char* kBanner = "\n Converting to CNSS format --- case.sheet\n\n";

TEST_F(Run_Failures, LookingAtAnOutputStopsTheRunBeforeAnythingIsWritten) {
  Fail("stat", "case.vrn.cnss", EIO);
  EXPECT_EQ(1, Convert());
  EXPECT_EQ("Error : case.vrn.cnss could not be opened.", out);
  EXPECT_EQ("Tremvert: case.vrn.cnss: Input/output error\n", err);
  Expect_Earlier_Outputs();

  fs::remove("case.vrn.cnss");
  fs::create_symlink("kept.cnss", "case.vrn.cnss");
  Write_File("kept.cnss", kEarlier_Catalog);
  Fail("readlink", "case.vrn.cnss", EACCES);
  EXPECT_EQ(1, Convert());
  EXPECT_EQ("Tremvert: case.vrn.cnss: Permission denied\n", err);
  Expect_Earlier_Outputs();
  Fail("lstat", "case.vrn.cnss", ENOMEM);
  EXPECT_EQ(1, Convert());
  EXPECT_EQ("Tremvert: case.vrn.cnss: Cannot allocate memory\n", err);
  Expect_Earlier_Outputs();
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
  EXPECT_EQ(std::string(kBanner) + "Error : case.sheet could not be opened.\n\n", out);
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
      {"rename", "case.vrn.cnss", EBUSY,
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
  for (const char* name : {"station.mapping.out", "instrument.mapping.out",
                           "case.sheet"}) {
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

TEST_F(Run_Failures, NoNewFileBesideAnOutputWritesItInPlace) {
  const auto inode = [](const char* name) {
    struct stat st;
    return stat(name, &st) == 0 ? st.st_ino : 0;
  };
  const auto before = inode("case.vrn.cnss");
  Fail("open", "Tremvert-unfinished", EACCES, 0);
  EXPECT_EQ(0, Convert());
  EXPECT_EQ(before, inode("case.vrn.cnss"));
  Expect_Converted();

  // New files that cannot get their permission bits, or whose names are all
  // taken, are given up in the same way.
  Fail("fchmod", "Tremvert-unfinished", EPERM, 0);
  EXPECT_EQ(0, Convert());
  EXPECT_EQ(before, inode("case.vrn.cnss"));
  Fail("open", "Tremvert-unfinished", EEXIST, 0);
  EXPECT_EQ(0, Convert());
  EXPECT_EQ(before, inode("case.vrn.cnss"));
  Expect_Converted();
}

TEST_F(Run_Failures, AnOutputThatCannotBeEmptiedInPlaceIsNotOpened) {
  // No new file can be made, and the old one cannot be emptied.
  struct Both : Faulty_File_System {
    int Open(const char* path, int flags, mode_t mode) override {
      if (std::string(path).find("Tremvert-unfinished") != std::string::npos) {
        errno = EACCES;
        return -1;
      }
      return Faulty_File_System::Open(path, flags, mode);
    }
  } both;
  both.kind = "ftruncate";
  both.part = "case.error.log";
  Use_File_System(&both);
  EXPECT_EQ(1, Convert());
  EXPECT_EQ("Error : case.error.log could not be opened.", out);
  Expect_Earlier_Outputs();
}

TEST_F(Run_Failures, ALongNameGetsAShorterNewFile) {
  Fail("open", "case.vrn.cnss.Tremvert-unfinished", ENAMETOOLONG, 0);
  EXPECT_EQ(0, Convert());
  Expect_Converted();
  // A new output in a directory that cannot be looked at: nothing to compare
  // it with, and it is made as usual.
  fs::remove("case.vrn.cnss");
  Fail("stat", ".", EACCES, 0, true);
  EXPECT_EQ(0, Convert());
  Expect_Converted();
}

TEST_F(Run_Failures, LinksLeadingElsewhereThanTheSystemWentAreWrittenInPlace) {
  fs::remove("case.vrn.cnss");
  Write_File("kept.cnss", kEarlier_Catalog);
  fs::create_symlink("kept.cnss", "case.vrn.cnss");
  struct stat before;
  stat("kept.cnss", &before);
  Fail("stat", "kept.cnss", ENOENT);  // the second look, at where it leads
  EXPECT_EQ(0, Convert());
  struct stat after;
  stat("kept.cnss", &after);
  EXPECT_EQ(before.st_ino, after.st_ino);
  EXPECT_TRUE(fs::is_symlink("case.vrn.cnss"));
  Expect_Converted();
}

TEST_F(Run_Failures, EndlessLinksAreRefused) {
  // A link that leads to a link, and so on, to no file: the system would
  // say "no such file" only once it gives up, as the run does.
  struct Endless : Faulty_File_System {
    int Stat(const char* path, struct stat* st) override {
      if (std::string(path).starts_with("case.vrn")) return errno = ENOENT, -1;
      return File_System::Stat(path, st);
    }
    int Lstat(const char* path, struct stat* st) override {
      if (std::string(path).starts_with("case.vrn")) {
        *st = {};
        st->st_mode = S_IFLNK | 0777;
        return 0;
      }
      return File_System::Lstat(path, st);
    }
    ssize_t Readlink(const char*, char* text, size_t) override {
      text[0] = 'c', text[1] = 'a', text[2] = 's', text[3] = 'e';
      std::memcpy(text + 4, ".vrn", 4);
      return 8;
    }
  } endless;
  Use_File_System(&endless);
  EXPECT_EQ(1, Convert());
  EXPECT_EQ("Tremvert: case.vrn.cnss: Too many levels of symbolic links\n", err);
  Expect_Earlier_Outputs();
}

TEST_F(Run_Failures, AnInterruptionRemovesTheNewFiles) {
  Write_File("new.Tremvert-unfinished-a", "x");
  {
    Interruption_Guard guard;
    Register_New_File(0, "new.Tremvert-unfinished-a");
    Register_New_File(1, "");
  }
  Remove_New_Files();
  EXPECT_FALSE(fs::exists("new.Tremvert-unfinished-a"));
  Interruption_Guard guard;
  Register_New_File(0, "");
}

// The checks never see these values after the normalisation, which carries
// them into range; they still run, in their order.
TEST(Validity_Checks, EveryFieldOutOfRangeHasItsMessage) {
  Out_Buffer log;
  EXPECT_EQ(0, Test_Phase(1, 1975, 13, 1, 0, 0, 0.0f, log));
  EXPECT_EQ(0, Test_Phase(1, 1975, 12, 32, 0, 0, 0.0f, log));
  EXPECT_EQ(0, Test_Event(1, 1975, 12, 31, -1, 0, 0.0f, 0, 0, 0, log));
  EXPECT_EQ(0, Test_Event(1, 1975, 12, 31, 23, 60, 0.0f, 0, 0, 0, log));
  EXPECT_EQ(1, Test_Event(1, 1983, 12, 31, 23, 59, 59.5f, 90, -180, 0, log));
  EXPECT_EQ(
      "\n Error Phase 1 --- Month = 13.\n Error Phase 1 --- Day = 32."
      "\n Error Event 1 --- Hour = -1.\n Error Event 1 --- Minute = 60.",
      Text_Of(log));
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
