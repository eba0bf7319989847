// libFuzzer target: one whole conversion (Run_Conversion in-process, base name
// "f", in a private directory made at start-up) and the number routines against
// the C library.  Input: the sheet itself (any sheet file is an input), then
// optionally 0xFF 0xFF and a station mapping file, then 0xFF 0xFF and an
// instrument mapping file (absent ones: those of tests/e2e/mappings/).  Bit 0
// of the input's length selects the alternate phase layout ("-F"), bit 1 the
// zone America/Los_Angeles (else UTC).  A failed check aborts: status 0,
// standard output the banner and two line ends, no standard error; the catalog
// is its header line, then lines of $beg, $loc (123 characters), $mag, $pic,
// $amp, $com$rem (100) or $end, each ended; the error log is messages that each
// start with "\n Error" and end with ".", then one line end; on the first 16
// tokens of the sheet's first line Read_Real equals strtod (bit for bit or
// both nan) and Is_Decimal says whether strtod takes the whole token as a
// decimal number, and on their values and the float of the
// first 4 bytes Format_Fixed equals snprintf in the records' formats.
// Tremvert-check on the same sheet ends with 1 when the log has messages, else
// 0, and its error lines are the log's messages, one for one.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "check/check_run.h"
#include "driver/conversion_run.h"
#include "records/misreadings.h"
#include "text/fixed_point.h"
#include "text/numbers.h"

namespace fs = std::filesystem;
using std::string_view;
constexpr size_t npos = string_view::npos;
static const char* zone = "America/Los_Angeles";  // or its rules, if no tzdata

static void Check(bool ok, const char* what, string_view near = {}) {
  if (ok) return;
  std::fprintf(stderr, "\n*** check failed: %s: \"%.*s\"\n", what,
               static_cast<int>(near.size()), near.data());
  std::abort();
}

static std::string Read(const char* name) {
  return {std::istreambuf_iterator<char>(std::ifstream(name).rdbuf()), {}};
}

static void Check_Fixed(double value) {
  constexpr int kFormats[][3] = {{6, 4, 0}, {7, 4, 0}, {9, 5, 1}, {10, 5, 1},
                                 {8, 4, 0}, {5, 2, 0}, {6, 2, 0}, {5, 3, 0}};
  for (auto [width, precision, plus] : kFormats) {
    char text[kFixed_Room], expected[kFixed_Room];
    const size_t n = Format_Fixed(text, value, width, precision, plus);
    std::snprintf(expected, sizeof expected, plus ? "%+*.*f" : "%*.*f", width,
                  precision, value);
    Check(string_view(text, n) == expected, "Format_Fixed", expected);
  }
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  // Paths on the command line become absolute, since the fuzzer leaves its
  // directory (they live as long as the process); artifacts go to that
  // directory unless a later -artifact_prefix says otherwise.
  const std::string cwd = fs::current_path().string() + "/";
  static auto& args = *new std::vector<char*>{
      **argv, strdup(("-artifact_prefix=" + cwd).c_str())};
  constexpr string_view kPaths =
      "-artifact_prefix= -exact_artifact_path= -dict= -merge_control_file=";
  for (int i = 1; i < *argc; ++i) {
    std::string arg = (*argv)[i];
    const size_t at = arg[0] == '-' ? arg.find('=') + 1 : 0;  // 0: no '='
    if ((at > 0 ? kPaths.find(arg.substr(0, at)) != npos : arg[0] != '-') &&
        arg[at] != '/')
      arg.insert(at, cwd);
    args.push_back(strdup(arg.c_str()));
  }
  *argc = static_cast<int>(args.size());
  args.push_back(nullptr);
  *argv = args.data();
  if (!fs::exists("/usr/share/zoneinfo/America/Los_Angeles"))
    zone = "PST8PDT,M3.2.0,M11.1.0";
  static std::string work = fs::temp_directory_path() / "tremvert-fuzz.XXXXXX";
  Check(mkdtemp(work.data()) != nullptr, "work directory", work);
  fs::current_path(work);
  std::atexit([] { fs::remove_all(work); });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  string_view parts[3] = {{reinterpret_cast<const char*>(data), size},
                          "NN ABC\nMM ABC\nKK DEF\n",
                          "ABC 01 BH\nSP 02 SH\n"};
  for (int i = 0; i < 2 && parts[i].find("\xff\xff") != npos; ++i) {
    parts[i + 1] = parts[i].substr(parts[i].find("\xff\xff") + 2);
    parts[i].remove_suffix(parts[i + 1].size() + 2);
  }
  int part = 0;
  for (auto name : {"f.sheet", "station.mapping.out", "instrument.mapping.out"})
    std::ofstream(name, std::ios::binary) << parts[part++];
  setenv("TZ", size & 2 ? zone : "UTC", 1);
  Out_Buffer out, err;
  Open_Out_Buffer(out, -1, 0);
  Open_Out_Buffer(err, -1, 0);
  const char* argv[] = {"Tremvert", "f", "-F"};
  const int status = Run_Conversion(size & 1 ? 3 : 2, argv, out, err);
  Check(status == 0 && err.size == 0 &&
            Text_Of(out) == "\n Converting to CNSS format --- f.sheet\n\n\n\n",
        "status, standard output or standard error", Text_Of(err));
  const std::string catalog = Read("f.vrn.cnss");
  constexpr string_view kHeader = "$fmt cnss-catalog-ver-1.0.1\n";
  constexpr string_view kKinds = "$beg$loc$mag$pic$amp$end$com$rem";
  Check(catalog.starts_with(kHeader) && catalog.ends_with('\n'), "catalog");
  for (size_t at = kHeader.size(), end; at < catalog.size(); at = end + 1) {
    end = catalog.find('\n', at);
    const string_view line = string_view(catalog).substr(at, end - at);
    const size_t kind =  // an offset in kKinds, a multiple of 4 when found
        kKinds.find(line.substr(0, line.starts_with("$com") ? 8 : 4));
    const size_t width = kind == 4 ? 123 : kind == 24 ? 100 : line.size();
    Check(line.size() >= 4 && kind % 4 == 0 && line.size() == width,
          "catalog line", line);
  }
  const std::string log = Read("f.error.log");
  Check(log.ends_with('\n'), "error log line end", log);
  const string_view body = string_view(log).substr(0, log.size() - 1);
  std::string messages;  // as the checker shows them, each on a line
  for (size_t at = 0, next; at < body.size(); at = next) {
    next = std::min(body.find("\n Error", at + 1), body.size());
    Check(body.substr(at).starts_with("\n Error") && body[next - 1] == '.',
          "error log message", body.substr(at, next - at));
    for (unsigned char c : body.substr(at + 2, next - at - 2)) {
      char escape[8] = {static_cast<char>(c)};
      if (c == '\\') std::strcpy(escape, "\\\\");
      if (c < 0x20 || c == 0x7f)
        std::snprintf(escape, sizeof escape,
                      c == '\n'   ? "\\n"
                      : c == '\t' ? "\\t"
                      : c == '\r' ? "\\r"
                                  : "\\x%02x",
                      c);
      messages += escape;
    }
    messages += '\n';
  }
  Out_Buffer checked, check_err;
  Open_Out_Buffer(checked, -1, 0);
  Open_Out_Buffer(check_err, -1, 0);
  const char* check_argv[] = {"Tremvert-check", "-F", "f"};
  const int check_status = Run_Check(
      size & 1 ? 3 : 2, size & 1 ? check_argv : argv, checked, check_err);
  std::string errors;
  for (string_view rest = Text_Of(checked); !rest.empty();) {
    const string_view line = rest.substr(0, rest.find('\n'));
    rest.remove_prefix(std::min(rest.size(), line.size() + 1));
    const size_t kind = line.find(": error: ");
    if (line.starts_with("f.sheet:") && kind != npos &&
        line.find_first_not_of("0123456789", 8) == kind)
      (errors += line.substr(kind + 9)) += '\n';
  }
  Check(check_status == (messages.empty() ? 0 : 1) && check_err.size == 0 &&
            errors == messages,
        "Tremvert-check's error lines", errors);
  constexpr string_view kBlank(" \t\r\v\f\0", 6);  // white space of a sheet
  string_view line = parts[0].substr(0, parts[0].find('\n'));
  for (int i = 0; i < 16 && line.find_first_not_of(kBlank) != npos; ++i) {
    line.remove_prefix(line.find_first_not_of(kBlank));
    const std::string token(line.substr(0, line.find_first_of(kBlank)));
    line.remove_prefix(token.size());
    char* end;
    const double value = std::strtod(token.c_str(), &end);
    const double read = Read_Real(token);
    Check(std::bit_cast<uint64_t>(read) == std::bit_cast<uint64_t>(value) ||
              (read != read && value != value),
          "Read_Real", token);
    const bool whole = static_cast<size_t>(end - token.c_str()) == token.size();
    Check(Is_Decimal(token) ==
              (whole && token.find_first_of("xXiInN") == std::string::npos),
          "Is_Decimal", token);
    Check_Fixed(value);
  }
  float value = 0;
  std::memcpy(&value, data, std::min<size_t>(size, 4));
  Check_Fixed(value);
  return 0;
}
