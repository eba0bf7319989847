// Failures of a run of several sheets (--each) and of the calls that only a
// fault of the system makes fail: each fails the sheet it happens in, never
// the sheets before or after it, and leaves no new file or descriptor.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "driver/conversion_run.h"
#include "faulty_file_system.h"
#include "text/file_system.h"
#include "text/output_buffer.h"

// The allocation that fails next, counted down by the operator new of
// run_failures_test.cc (0: none fails).
extern long allocations_to_failure;

namespace fs = std::filesystem;

namespace {

constexpr const char* kEarlier = "earlier output\n";

// A working directory with the mapping files and two sheets, "one" and
// "two", each with the outputs of an earlier run.
class Each_Run : public testing::Test {
 protected:
  void SetUp() override {
    folder_.Enter("tremvert-each-");
    for (const char* sheet : {"one", "two"}) {
      Write_File(std::string(sheet) + ".sheet",
                 "E 070175 100505.5 34-12.5 118-30.0 10.0 4.5\n"
                 "P ABC ABC e Pn Z 100520.25 d\n"
                 "A ABC ZZ 1.5 0 0\n");
      Keep_Earlier(sheet);
    }
  }
  void TearDown() override {
    Use_File_System(nullptr);
    allocations_to_failure = 0;
    folder_.Leave();
  }
  static void Keep_Earlier(const std::string& sheet) {
    Write_File(sheet + ".vrn.cnss", kEarlier);
    Write_File(sheet + ".error.log", kEarlier);
  }
  static bool Earlier(const std::string& sheet) {
    return Read_File(sheet + ".vrn.cnss") == kEarlier &&
           Read_File(sheet + ".error.log") == kEarlier;
  }
  static bool Converted(const std::string& sheet) {
    return Read_File(sheet + ".vrn.cnss").find("$pic") != std::string::npos &&
           Read_File(sheet + ".error.log") ==
               "\n Error [Unknown instrument] : ZZ.\n";
  }
  static bool No_New_File() {
    for (const auto& entry : fs::directory_iterator("."))
      if (entry.path().string().find("Tremvert-") != std::string::npos)
        return false;
    return true;
  }

  // Runs the converter with `args`, its allocations failing from the nth on
  // (0: none); standard output and error are kept.
  int Convert(std::vector<const char*> args, long nth_allocation = 0) {
    args.insert(args.begin(), "Tremvert");
    Out_Buffer out_buffer, err_buffer;
    Open_Out_Buffer(out_buffer, -1, 1 << 16);
    Open_Out_Buffer(err_buffer, -1, 1 << 16);
    const std::string open_before = Open_Descriptors();
    allocations_to_failure = nth_allocation;
    const int status = Run_Conversion(static_cast<int>(args.size()),
                                      args.data(), out_buffer, err_buffer);
    injected = nth_allocation != 0 && allocations_to_failure == 0;
    allocations_to_failure = 0;
    out = Text_Of(out_buffer);
    err = Text_Of(err_buffer);
    EXPECT_EQ(open_before, Open_Descriptors());
    return status;
  }

  Run_Folder folder_;
  std::string out, err;
  bool injected = false;
};

// Every allocation of a run of two sheets, failing in turn.  A lack of
// memory before the first sheet (the command line, the mapping files) fails
// the run with no sheet converted; one during a sheet fails that sheet
// alone, which keeps its earlier outputs, and the other is converted.
TEST_F(Each_Run, ALackOfMemoryFailsOnlyTheSheetItHappensIn) {
  bool one_failed_alone = false, two_failed_alone = false, before = false;
  for (long n = 1;; ++n) {
    Keep_Earlier("one");
    Keep_Earlier("two");
    const int status = Convert({"--each", "one", "two.sheet"}, n);
    if (!injected) {
      ASSERT_EQ(0, status);
      EXPECT_TRUE(Converted("one") && Converted("two"));
      break;
    }
    ASSERT_EQ(1, status) << "allocation " << n;
    EXPECT_NE(std::string::npos, err.find("out of memory")) << err;
    EXPECT_TRUE(No_New_File()) << "allocation " << n;
    const bool one = err.find("one.sheet") != std::string::npos;
    const bool two = err.find("two.sheet") != std::string::npos;
    ASSERT_FALSE(one && two) << err;
    if (!one && !two) {
      // Before any sheet: the command line or the mapping files.
      EXPECT_TRUE(Earlier("one") && Earlier("two")) << "allocation " << n;
      before = true;
    } else {
      EXPECT_TRUE(one ? Earlier("one") : Converted("one")) << n << err;
      EXPECT_TRUE(two ? Earlier("two") : Converted("two")) << n << err;
      one_failed_alone |= one;
      two_failed_alone |= two;
    }
  }
  EXPECT_TRUE(before && one_failed_alone && two_failed_alone);
}

// A lack of memory while the command line is read names no sheet.
TEST_F(Each_Run, ALackOfMemoryInTheCommandLineNamesNoSheet) {
  EXPECT_EQ(1, Convert({"a-sheet-of-a-longer-name"}, 1));
  ASSERT_TRUE(injected);
  EXPECT_EQ("Tremvert: out of memory\n", err);
  EXPECT_EQ("", out);
}

// fcntl, which makes a descriptor wait again, fails only on a fault of the
// system: on a mapping file it fails the open of that file, on an earlier
// output that is a device or a FIFO, the open of that output.
TEST_F(Each_Run, AFailedFcntlFailsTheOpenOfItsFile) {
  Faulty_File_System calls;
  Use_File_System(&calls);
  calls.nth = 0;  // every call
  calls.kind = "fcntl";
  calls.part = "station.mapping.out";
  EXPECT_EQ(1, Convert({"--each", "one", "two"}));
  EXPECT_EQ("Error : Station file could not be opened.", out);
  EXPECT_EQ("Tremvert: station.mapping.out: Input/output error\n", err);
  EXPECT_TRUE(Earlier("one") && Earlier("two"));

  // A link to /dev/null, opened as "null" in /dev.
  fs::remove("one.vrn.cnss");
  fs::create_symlink("/dev/null", "one.vrn.cnss");
  calls.part = "null";
  EXPECT_EQ(1, Convert({"--each", "one", "two"}));
  EXPECT_EQ("Error : one.vrn.cnss could not be opened.", out.substr(0, 41));
  EXPECT_EQ("Tremvert: one.vrn.cnss: Input/output error\n", err);
  EXPECT_TRUE(Converted("two"));
  EXPECT_EQ(kEarlier, Read_File("one.error.log"));
  EXPECT_TRUE(No_New_File());
}

// Where the folder refuses a new file, the output is copied into its
// earlier file in place after the run; a write there that writes nothing
// is a failure, never an endless loop.
TEST_F(Each_Run, ACopyInPlaceThatWritesNothingFails) {
  struct Refusing : Faulty_File_System {
    int Openat(int folder, const char* name, int flags, mode_t mode) override {
      if (std::string(name).find("Tremvert-unfinished") != std::string::npos) {
        errno = EACCES;
        return -1;
      }
      return Faulty_File_System::Openat(folder, name, flags, mode);
    }
  } refusing;
  Use_File_System(&refusing);
  EXPECT_EQ(0, Convert({"one"}));  // copied in place
  EXPECT_TRUE(Converted("one"));
  Keep_Earlier("one");
  refusing.nth = 0;
  refusing.error = 0;  // a write that writes nothing
  refusing.kind = "write";
  refusing.part = "one.vrn.cnss";
  EXPECT_EQ(1, Convert({"one"}));
  EXPECT_NE(std::string::npos,
            out.find("Error : one.vrn.cnss could not be written."))
      << out;
  EXPECT_NE(std::string::npos,
            err.find("Tremvert: one.vrn.cnss: Input/output error\n"))
      << err;
  EXPECT_TRUE(No_New_File());
}

// Until an earlier output's access is given to its new file, only the owner
// may open the new file, which a run killed outright may leave behind; a new
// output with no earlier file is made with the usual access at once.
TEST_F(Each_Run, ANewFileIsTheOwnersAloneUntilItGetsTheEarlierAccess) {
  struct Watching : Faulty_File_System {
    std::vector<mode_t> modes;  // of the new files, before each fchmod
    int Fchmod(int fd, mode_t mode) override {
      struct stat st;
      if (names[fd].find("Tremvert-unfinished") != std::string::npos &&
          fstat(fd, &st) == 0)
        modes.push_back(st.st_mode & 07777);
      return File_System::Fchmod(fd, mode);
    }
  } watching;
  Use_File_System(&watching);
  const mode_t mask = umask(022);
  fs::permissions("one.vrn.cnss", fs::perms(0664));
  EXPECT_EQ(0, Convert({"one"}));
  EXPECT_EQ(watching.modes, (std::vector<mode_t>{0600, 0600}));
  struct stat st;
  ASSERT_EQ(0, stat("one.vrn.cnss", &st));
  EXPECT_EQ(0664u, st.st_mode & 07777);
  fs::remove("two.vrn.cnss");
  fs::remove("two.error.log");
  watching.modes.clear();
  EXPECT_EQ(0, Convert({"two"}));
  EXPECT_TRUE(watching.modes.empty());
  ASSERT_EQ(0, stat("two.vrn.cnss", &st));
  EXPECT_EQ(0644u, st.st_mode & 07777);
  umask(mask);
}

// Outputs whose names leave no room for the longer name of the earlier
// file's second link get a shorter one: the first output is still put back
// when the second cannot be put in place.
TEST_F(Each_Run, LongOutputNamesAreStillPutBack) {
  const std::string base(240, 'x');
  fs::copy_file("one.sheet", base + ".sheet");
  Keep_Earlier(base);
  Faulty_File_System calls;
  calls.nth = 0;
  calls.kind = "rename";
  calls.part = base + ".error.log";
  Use_File_System(&calls);
  EXPECT_EQ(1, Convert({base.c_str()}));
  EXPECT_TRUE(Earlier(base));
  EXPECT_TRUE(No_New_File());
  calls.kind.clear();
  EXPECT_EQ(0, Convert({base.c_str()}));
  EXPECT_TRUE(Converted(base));
  EXPECT_TRUE(No_New_File());
}

}  // namespace
