// One run of the checker.  See the header.
#include "check/check_run.h"

#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "check/sheet_check.h"
#include "driver/conversion_run.h"
#include "driver/fatal_failure.h"
#include "driver/mapping_files.h"

namespace {

constexpr const char* kProgram = "Tremvert-check";

void Write_Usage(FILE* f) {
  std::fputs(
      "usage: Tremvert-check [-F] [--summary] SHEET...\n"
      "       Tremvert-check --help | --version\n",
      f);
}

void Write_Help(FILE* out) {
  Write_Usage(out);
  std::fputs(
      "\nChecks historical sheets as Tremvert would convert them, with the\n"
      "mapping files of the working directory, and prints each problem as\n"
      "SHEET:LINE: error|warning|note: TEXT, then a summary line per sheet.\n"
      "A SHEET is a sheet file or its base name.  Nothing is written to any\n"
      "file.\n\n"
      "  -F         the alternate phase layout (time on the last field)\n"
      "  --summary  only the summary lines, and a total for several sheets\n\n"
      "Exit status: 0 no sheet has an error, 1 one has, 2 usage error or a\n"
      "file that could not be read.\n",
      out);
}

int Usage_Error(FILE* err, const std::string& what) {
  std::fprintf(err, "%s: %s\n", kProgram, what.c_str());
  Write_Usage(err);
  return 2;
}

// The mapping files, read once for all the sheets; false after a failure,
// reported on `err`.
bool Read_Mapping_Files(Mapping_Tables& maps, FILE* err) {
  std::string reason;
  FILE* f_inst = Open_Mapping_File(kInstrument_Mapping, false, reason);
  if (f_inst == nullptr) {
    Report_Fatal(err, kProgram, kInstrument_Mapping, reason);
    return false;
  }
  FILE* f_stat = Open_Mapping_File(kStation_Mapping, false, reason);
  if (f_stat == nullptr) {
    Report_Fatal(err, kProgram, kStation_Mapping, reason);
    std::fclose(f_inst);
    return false;
  }
  const char* failed = Load_Mapping_Files(f_inst, f_stat, maps, reason);
  if (failed != nullptr) Report_Fatal(err, kProgram, failed, reason);
  std::fclose(f_stat);
  std::fclose(f_inst);
  return failed == nullptr;
}

// The sheet file of an argument: itself when it ends in ".sheet", else the
// base name's sheet.
std::string Sheet_Name(std::string_view arg) {
  constexpr std::string_view kSuffix = ".sheet";
  if (arg.size() >= kSuffix.size() &&
      arg.substr(arg.size() - kSuffix.size()) == kSuffix)
    return std::string(arg);
  return std::string(arg) + std::string(kSuffix);
}

int Check(int argc, const char* const* argv, FILE* out, FILE* err) {
  bool alternate = false, summary_only = false, options_end = false;
  std::vector<std::string> sheets;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (options_end || arg.size() < 2 || arg[0] != '-') {
      sheets.push_back(Sheet_Name(arg));
    } else if (arg == "--") {
      options_end = true;
    } else if (arg == "-F") {
      alternate = true;
    } else if (arg == "--summary") {
      summary_only = true;
    } else if (arg == "--help") {
      Write_Help(out);
      return 0;
    } else if (arg == "--version") {
      std::fprintf(out, "%s %s\n", kProgram, TREMVERT_VERSION);
      return 0;
    } else {
      return Usage_Error(err, "unknown option " + std::string(arg));
    }
  }
  if (sheets.empty()) return Usage_Error(err, "no sheet given");

  Conversion_Run run;
  if (!Read_Mapping_Files(run.maps, err)) return 2;
  int status = 0;
  Sheet_Tally total;
  for (const std::string& sheet : sheets) {
    Sheet_Tally tally;
    run.state.F_Flag = alternate ? 1 : 0;
    if (!Check_Sheet(sheet, run, summary_only, out, err, tally)) status = 2;
    if (tally.errors > 0 && status == 0) status = 1;
    Add_Tally(total, tally);
  }
  if (sheets.size() > 1)
    std::fprintf(out, "total: %zu sheets, %s\n", sheets.size(),
                 Tally_Text(total).c_str());
  return status;
}

}  // namespace

int Run_Check(int argc, const char* const* argv, FILE* out, FILE* err) {
  int status;
  try {
    status = Check(argc, argv, out, err);
  } catch (const std::bad_alloc&) {
    std::fprintf(err, "%s: out of memory\n", kProgram);
    status = 2;
  }
  return Flush_Output(out, err, kProgram) ? status : 2;
}
