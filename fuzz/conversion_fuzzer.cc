// libFuzzer target: one whole conversion run on a sheet and two mapping files
// taken from the input, then checks on what the run wrote.
//
// Input layout:
//   byte 0      options
//                 bit 0    alternate phase layout (a second argument is given)
//                 bit 1    TZ America/Los_Angeles (daylight saving), else UTC
//                 bits 5-7 all set: a file is missing, bits 2-3 say which
//                          (0 the sheet, 1 the station mapping file,
//                          2 the instrument mapping file, 3 the output
//                          directory of the base name)
//   then        sheet  SEP  station mapping file  SEP  instrument mapping file
// where SEP is the two bytes 0xFF 0xFF.  A missing part is an empty file.
//
// The run happens in a private directory made once at start-up; the fuzzer
// works there for its whole life.  Relative paths on the command line (corpus
// directories, input files, -artifact_prefix, -dict, ...) are made absolute
// before libFuzzer reads them, and artifacts go to the directory the fuzzer
// was started from unless -artifact_prefix says otherwise.
//
// Checks (a failed one aborts, so that the input is kept as a finding):
//   - the exit status is 0 for a run whose files are all there, 1 when a
//     mapping file or the output directory is missing, 0 or 1 for a missing
//     sheet;
//   - standard output is the banner and the closing line ends (or a usage or
//     open-failure message);
//   - the catalog begins with "$fmt cnss-catalog-ver-1.0.1\n", ends with a
//     line end, and every line starts with $fmt (first line only), $beg,
//     $loc, $mag, $pic, $amp, $com$rem or $end;
//   - $beg and $end lines are exactly those four characters; $beg is followed
//     by $loc; $mag follows $loc;
//   - every other record ends with the event identifier column;
//   - $com$rem records are 100 characters; $loc records are 123 characters;
//   - no tab anywhere in the catalog; no carriage return, vertical tab, form
//     feed or NUL byte outside $com$rem records;
//   - $loc and $pic carry a date and time that passed the checks: year 1912
//     to 1983, month 1 to 12, day 1 to 31, hour 0 to 23, minute 0 to 59;
//   - the error log holds messages that each start with "\n Error", then one
//     final line end;
//   - a sheet whose last line has no line end converts exactly as the same
//     sheet with the line end added.
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "driver/conversion_run.h"

namespace {

constexpr std::string_view kSeparator("\xff\xff", 2);
constexpr const char* kSheet = "f.sheet";
constexpr const char* kCatalog = "f.vrn.cnss";
constexpr const char* kErrorLog = "f.error.log";
constexpr const char* kStation = "station.mapping.out";
constexpr const char* kInstrument = "instrument.mapping.out";
constexpr const char* kHeader = "$fmt cnss-catalog-ver-1.0.1\n";
constexpr std::string_view kEventIdColumn = "           1";

std::string work_dir;
std::string los_angeles = "America/Los_Angeles";

[[noreturn]] void Fail(const char* what, std::string_view detail = {}) {
  std::fprintf(stderr, "\n*** conversion check failed: %s\n", what);
  if (!detail.empty()) {
    std::fprintf(stderr, "*** near: \"");
    for (unsigned char ch : detail.substr(0, 300)) {
      if (ch >= 0x20 && ch < 0x7f && ch != '"' && ch != '\\')
        std::fputc(ch, stderr);
      else
        std::fprintf(stderr, "\\x%02x", ch);
    }
    std::fprintf(stderr, "\"%s\n", detail.size() > 300 ? " ..." : "");
  }
  std::abort();
}

void Remove_Work_Files() {
  for (const char* name : {kSheet, kCatalog, kErrorLog, kStation, kInstrument})
    unlink(name);
}

void Remove_Work_Dir() {
  if (work_dir.empty()) return;
  if (chdir(work_dir.c_str()) == 0) Remove_Work_Files();
  if (chdir("/") == 0) rmdir(work_dir.c_str());
}

void Write_File(const char* name, std::string_view content) {
  FILE* f = std::fopen(name, "wb");
  if (f == nullptr) Fail("cannot create a work file", name);
  if (!content.empty() && std::fwrite(content.data(), 1, content.size(), f) !=
                              content.size())
    Fail("cannot write a work file", name);
  if (std::fclose(f) != 0) Fail("cannot close a work file", name);
}

bool Read_File(const char* name, std::string& content) {
  content.clear();
  FILE* f = std::fopen(name, "rb");
  if (f == nullptr) return false;
  char chunk[65536];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) content.append(chunk, n);
  std::fclose(f);
  return true;
}

std::string Absolute(const std::string& cwd, const char* path) {
  if (path[0] == '/' || path[0] == '\0') return path;
  return cwd + "/" + path;
}

bool Two_Digits(std::string_view s, size_t at, int lo, int hi) {
  if (s.size() < at + 2) return false;
  char a = s[at], b = s[at + 1];
  if (a < '0' || a > '9' || b < '0' || b > '9') return false;
  int v = (a - '0') * 10 + (b - '0');
  return v >= lo && v <= hi;
}

// Year (4 digits), month, day, hour, minute starting at `at`.
bool Checked_Date_Time(std::string_view line, size_t at) {
  if (line.size() < at + 12) return false;
  for (size_t i = at; i < at + 4; ++i)
    if (line[i] < '0' || line[i] > '9') return false;
  int year = std::atoi(std::string(line.substr(at, 4)).c_str());
  return year >= 1912 && year <= 1983 && Two_Digits(line, at + 4, 1, 12) &&
         Two_Digits(line, at + 6, 1, 31) && Two_Digits(line, at + 8, 0, 23) &&
         Two_Digits(line, at + 10, 0, 59);
}

bool Ends_With_Event_Id(std::string_view line) {
  return line.size() >= kEventIdColumn.size() &&
         line.substr(line.size() - kEventIdColumn.size()) == kEventIdColumn;
}

void Check_Catalog(std::string_view catalog) {
  if (catalog.substr(0, std::strlen(kHeader)) != kHeader)
    Fail("catalog does not begin with the format header", catalog);
  if (catalog.back() != '\n') Fail("catalog does not end with a line end");
  std::string_view rest = catalog.substr(std::strlen(kHeader));
  std::string_view previous = "$fmt";
  while (!rest.empty()) {
    size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end + 1);
    if (previous == "$beg" && line.substr(0, 4) != "$loc")
      Fail("$beg is not followed by $loc", line);
    if (line.find('\t') != std::string_view::npos) Fail("tab in the catalog", line);
    if (line.substr(0, 8) == "$com$rem") {
      if (line.size() != 100) Fail("$com$rem record is not 100 characters", line);
      if (!Ends_With_Event_Id(line)) Fail("$com$rem without event id", line);
    } else if (line.find_first_of(std::string_view("\r\v\f\0", 4)) !=
               std::string_view::npos) {
      // Only comment text is copied byte for byte; every other field is a
      // token, which white space (NUL included) ends.
      Fail("white space or NUL inside a field of a record", line);
    } else if (line.substr(0, 4) == "$beg" || line.substr(0, 4) == "$end") {
      if (line.size() != 4) Fail("$beg or $end line with more text", line);
    } else if (line.substr(0, 4) == "$loc") {
      if (previous != "$beg") Fail("$loc not after $beg", line);
      if (line.size() != 123) Fail("$loc record is not 123 characters", line);
      if (line[4] != 'P' || !Checked_Date_Time(line, 5))
        Fail("$loc with a date or time that fails the checks", line);
      if (!Ends_With_Event_Id(line)) Fail("$loc without event id", line);
    } else if (line.substr(0, 4) == "$mag") {
      if (previous.substr(0, 4) != "$loc") Fail("$mag not after $loc", line);
      if (!Ends_With_Event_Id(line)) Fail("$mag without event id", line);
    } else if (line.substr(0, 4) == "$pic") {
      if (!Checked_Date_Time(line, 4))
        Fail("$pic with a date or time that fails the checks", line);
      if (!Ends_With_Event_Id(line)) Fail("$pic without event id", line);
    } else if (line.substr(0, 4) == "$amp") {
      if (!Ends_With_Event_Id(line)) Fail("$amp without event id", line);
    } else {
      Fail("catalog line with an unknown record", line);
    }
    previous = line;
  }
  if (previous == "$beg") Fail("catalog ends after $beg");
}

void Check_Error_Log(std::string_view log) {
  if (log.empty() || log.back() != '\n')
    Fail("error log does not end with its line end", log);
  if (log.size() > 1 && log.substr(0, 7) != "\n Error")
    Fail("error log does not begin with a message", log);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  char cwd_buffer[PATH_MAX];
  if (getcwd(cwd_buffer, sizeof cwd_buffer) == nullptr)
    Fail("cannot read the working directory");
  const std::string cwd = cwd_buffer;

  // Make every path argument absolute, since the fuzzer leaves the directory
  // it was started from.
  static std::vector<std::string> args;
  static std::vector<char*> new_argv;
  bool has_artifact_prefix = false;
  static const char* const path_flags[] = {
      "-artifact_prefix=", "-exact_artifact_path=", "-dict=",
      "-merge_control_file=", "-features_dir=", "-stop_file=",
      "-mutation_graph_file=", "-load_coverage_summary=",
      "-dump_coverage_summary="};
  for (int i = 0; i < *argc; ++i) {
    std::string a = (*argv)[i];
    if (i > 0 && !a.empty() && a[0] != '-') {
      a = Absolute(cwd, a.c_str());
    } else {
      for (const char* flag : path_flags) {
        size_t n = std::strlen(flag);
        if (a.compare(0, n, flag) == 0) {
          std::string value = a.substr(n);
          a = flag + Absolute(cwd, value.c_str());
          if (std::strcmp(flag, "-artifact_prefix=") == 0)
            has_artifact_prefix = true;
        }
      }
    }
    args.push_back(a);
  }
  if (!has_artifact_prefix) args.push_back("-artifact_prefix=" + cwd + "/");
  for (std::string& a : args) new_argv.push_back(a.data());
  new_argv.push_back(nullptr);
  *argc = static_cast<int>(args.size());
  *argv = new_argv.data();

  const char* tmp = std::getenv("TMPDIR");
  std::string pattern =
      std::string(tmp != nullptr && tmp[0] != '\0' ? tmp : "/tmp") +
      "/tremvert-fuzz.XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (mkdtemp(name.data()) == nullptr) Fail("cannot create the work directory");
  work_dir = name.data();
  if (chdir(work_dir.c_str()) != 0) Fail("cannot enter the work directory");
  std::atexit(Remove_Work_Dir);

  struct stat st;
  if (stat("/usr/share/zoneinfo/America/Los_Angeles", &st) != 0)
    los_angeles = "PST8PDT,M3.2.0,M11.1.0";  // the same rules without tzdata
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const unsigned options = data[0];
  std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  std::string_view parts[3];
  for (int i = 0; i < 3; ++i) {
    size_t sep = i < 2 ? rest.find(kSeparator) : std::string_view::npos;
    parts[i] = rest.substr(0, sep);
    if (sep == std::string_view::npos) {
      rest = {};
    } else {
      rest.remove_prefix(sep + kSeparator.size());
    }
  }

  const bool alternate = (options & 1) != 0;
  const bool los_angeles_zone = (options & 2) != 0;
  const int missing = (options & 0xe0) == 0xe0 ? static_cast<int>((options >> 2) & 3) : -1;

  Remove_Work_Files();
  if (missing != 0) Write_File(kSheet, parts[0]);
  if (missing != 1) Write_File(kStation, parts[1]);
  if (missing != 2) Write_File(kInstrument, parts[2]);

  setenv("TZ", los_angeles_zone ? los_angeles.c_str() : "UTC", 1);

  const char* base = missing == 3 ? "no-such-directory/f" : "f";
  const char* argv[] = {"Tremvert", base, "-F", nullptr};
  const int argc = alternate ? 3 : 2;

  static char out_buffer[4096];
  FILE* out = fmemopen(out_buffer, sizeof out_buffer, "w");
  if (out == nullptr) Fail("fmemopen failed");
  const int status = Run_Conversion(argc, argv, out);
  std::fflush(out);
  const long out_size = std::ftell(out);
  std::fclose(out);
  const std::string_view stdout_text(out_buffer,
                                     out_size > 0 ? static_cast<size_t>(out_size) : 0);

  if (status != 0 && status != 1) Fail("exit status is neither 0 nor 1");
  const std::string banner =
      std::string("\n Converting to CNSS format --- ") + base + ".sheet\n\n";
  switch (missing) {
    case -1:
      if (status != 0) Fail("a run with all its files did not end with 0", stdout_text);
      if (stdout_text != banner + "\n\n")
        Fail("standard output is not the banner and two line ends", stdout_text);
      break;
    case 0:
      if (stdout_text.substr(0, banner.size()) != banner)
        Fail("standard output does not begin with the banner", stdout_text);
      if (stdout_text.find("Error : f.sheet could not be opened.") ==
          std::string_view::npos)
        Fail("missing sheet not reported", stdout_text);
      break;
    case 1:
      if (status != 1 || stdout_text != "Error : Station file could not be opened.")
        Fail("missing station mapping file not handled", stdout_text);
      break;
    case 2:
      if (status != 1 || stdout_text != "Error : Instrument file could not be opened.")
        Fail("missing instrument mapping file not handled", stdout_text);
      break;
    case 3:
      if (status != 1 ||
          stdout_text != "Error : no-such-directory/f.error.log could not be opened.")
        Fail("unwritable error log not handled", stdout_text);
      break;
  }

  std::string content;
  const bool have_catalog = Read_File(kCatalog, content);
  if (missing >= 1) {
    if (have_catalog) Fail("catalog written although the run could not start");
    if (Read_File(kErrorLog, content)) Fail("error log written although the run could not start");
    return 0;
  }
  if (!have_catalog) Fail("no catalog file");
  Check_Catalog(content);
  if (missing == 0 && content != kHeader)
    Fail("catalog of a missing sheet holds more than the header", content);
  std::string log;
  if (!Read_File(kErrorLog, log)) Fail("no error log");
  Check_Error_Log(log);
  if (missing == 0 && log != "\n") Fail("error log of a missing sheet is not one line end", log);

  // A last line without its line end is converted like every other line:
  // the same sheet with the line end added gives the same catalog and log.
  if (missing == -1 && !parts[0].empty() && parts[0].back() != '\n') {
    std::string ended(parts[0]);
    ended += '\n';
    Write_File(kSheet, ended);
    FILE* again = fmemopen(out_buffer, sizeof out_buffer, "w");
    if (again == nullptr) Fail("fmemopen failed");
    const int status_again = Run_Conversion(argc, argv, again);
    std::fclose(again);
    if (status_again != status) Fail("final line end changes the exit status");
    std::string content_again, log_again;
    if (!Read_File(kCatalog, content_again) || content_again != content)
      Fail("final line end changes the catalog", content_again);
    if (!Read_File(kErrorLog, log_again) || log_again != log)
      Fail("final line end changes the error log", log_again);
  }
  return 0;
}
