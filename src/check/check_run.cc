// One run of the checker.  See the header.
#include "check/check_run.h"

#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "check/sheet_check.h"
#include "driver/fatal_failure.h"
#include "driver/mapping_files.h"
#include "text/record_text.h"

namespace {

constexpr const char* kCheck_Program = "Tremvert-check";

void Write_Usage(Out_Buffer& f) {
  Put_Text(f,
           "usage: Tremvert-check [-F] [--summary] [--stations FILE]\n"
           "                      [--instruments FILE] SHEET...\n"
           "       Tremvert-check --help | --version\n");
}

void Write_Help(Out_Buffer& out) {
  Write_Usage(out);
  Put_Text(
      out,
      "\nChecks historical sheets as Tremvert would convert them, with the\n"
      "mapping files of the working directory, and prints each problem as\n"
      "SHEET:LINE: error|warning|note: TEXT, then a summary line per sheet.\n"
      "A SHEET is a sheet file or its base name.  Nothing is written to any\n"
      "file.\n\n"
      "  -F                  the alternate phase layout (time on the last\n"
      "                      field)\n"
      "  --summary           only the summary lines, and a total for several\n"
      "                      sheets\n"
      "  --stations FILE     the station mapping file (default\n"
      "                      station.mapping.out)\n"
      "  --instruments FILE  the instrument mapping file (default\n"
      "                      instrument.mapping.out)\n"
      "  --                  every later word is a sheet\n\n"
      "Exit status: 0 no sheet has an error, 1 one has, 2 usage error or a\n"
      "file that could not be read.  See man Tremvert-check.\n");
}

int Usage_Error(Out_Buffer& out, Out_Buffer& err, const std::string& what) {
  Flush_Out(out);
  Put_Text(err, kCheck_Program);
  Put_Text(err, ": ");
  Put_Text(err, what);
  Put_Char(err, '\n');
  Write_Usage(err);
  Flush_Out(err);
  return 2;
}

// The mapping files, read once for all the sheets; false after a failure,
// reported on `err`.
bool Read_Mapping_Files(Mapping_Files& m, Out_Buffer& out, Out_Buffer& err) {
  std::string reason;
  const Input_File* failed = nullptr;
  if (!Open_Mapping_File(m.inst, &reason))
    failed = &m.inst;
  else if (!Open_Mapping_File(m.stat, &reason))
    failed = &m.stat;
  else if (!Read_Instrument_File(m, &reason))
    failed = &m.inst;
  else if (!Read_Station_File(m, &reason))
    failed = &m.stat;
  if (failed != nullptr)
    Report_Fatal(out, err, kCheck_Program, failed->name, reason);
  Close_Input(m.stat);
  Close_Input(m.inst);
  return failed == nullptr;
}

// The sheet file of an argument: itself when it ends in ".sheet", else the
// base name's sheet.
std::string Sheet_Name(std::string_view arg) {
  constexpr std::string_view kSuffix = ".sheet";
  if (arg.ends_with(kSuffix)) return std::string(arg);
  return std::string(arg) + std::string(kSuffix);
}

int Check(int argc, const char* const* argv, Out_Buffer& out, Out_Buffer& err) {
  bool alternate = false, summary_only = false, options_end = false;
  bool stations_given = false, instruments_given = false;
  std::vector<std::string> sheets;
  Mapping_Files m;
  m.inst.name = kInstrument_Mapping;
  m.stat.name = kStation_Mapping;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (options_end || arg.size() < 2 || arg[0] != '-') {
      sheets.push_back(Sheet_Name(arg));
      continue;
    }
    // --stations FILE, --instruments FILE, or with "=FILE".
    std::string* file = nullptr;
    bool* given = nullptr;  // each at most once, as for the converter
    std::string_view option = arg.substr(0, arg.find('='));
    if (option == "--stations") file = &m.stat.name, given = &stations_given;
    if (option == "--instruments")
      file = &m.inst.name, given = &instruments_given;
    if (file != nullptr) {
      if (*given)
        return Usage_Error(out, err,
                           "option " + std::string(option) + " given twice");
      *given = true;
      std::string_view value;
      if (option.size() < arg.size())
        value = arg.substr(option.size() + 1);
      else if (i + 1 < argc && argv[i + 1][0] != '-')
        value = argv[++i];  // a word that begins with "-" is no file name
      if (value.empty())
        return Usage_Error(out, err,
                           "option " + std::string(option) + " needs a file");
      *file = value;
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
      Put_Text(out, "Tremvert-check " TREMVERT_VERSION "\n");
      return 0;
    } else {
      return Usage_Error(out, err, "unknown option " + std::string(arg));
    }
  }
  if (sheets.empty()) return Usage_Error(out, err, "no sheet given");

  if (!Read_Mapping_Files(m, out, err)) return 2;
  int status = 0;
  size_t unread = 0;
  Sheet_Tally total;
  for (const std::string& sheet : sheets) {
    Sheet_Tally tally;
    std::string reason;
    if (!Check_Sheet(sheet, m.maps, alternate ? 1 : 0, summary_only, out, tally,
                     &reason)) {
      Report_Fatal(out, err, kCheck_Program, sheet, reason);
      status = 2;
      ++unread;
    } else {
      Add_Tally(total, tally);
    }
    if (tally.errors > 0 && status == 0) status = 1;
  }
  if (sheets.size() > 1) {
    // The counts are those of the sheets read.
    Put_Text(out, "total: ");
    Put_Text(out, std::to_string(sheets.size()));
    Put_Text(out, " sheets");
    if (unread > 0) {
      Put_Text(out, " (");
      Put_Text(out, std::to_string(unread));
      Put_Text(out, " not read)");
    }
    Put_Text(out, ", ");
    Put_Text(out, Tally_Text(total));
    Put_Char(out, '\n');
  }
  return status;
}

}  // namespace

int Run_Check(int argc, const char* const* argv, Out_Buffer& out,
              Out_Buffer& err) {
  int status;
  try {
    status = Check(argc, argv, out, err);
  } catch (const std::bad_alloc&) {
    Flush_Out(out);
    Put_Text(err, "Tremvert-check: out of memory\n");
    Flush_Out(err);
    status = 2;
  }
  return Flush_Output(out, err, kCheck_Program) ? status : 2;
}
