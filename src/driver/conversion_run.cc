// Start-up, line loop and shutdown of one run.  See the header.
#include "driver/conversion_run.h"

#include <cerrno>
#include <memory>
#include <new>
#include <string>
#include <string_view>

#include "driver/dispatch.h"
#include "driver/fatal_failure.h"
#include "driver/file_identity.h"
#include "driver/mapping_files.h"
#include "driver/output_file.h"
#include "text/line_reader.h"

namespace {

constexpr const char* kProgram = "Tremvert";

void Write_Usage(FILE* out) {
  std::fputs("\n Tremvert <Historical file> [-F]\n", out);
  std::fputs("-F: alternate phase format (time on the last field).\n\n", out);
}

// The standard-output message of a failure, and its line on standard error.
void Report(FILE* out, FILE* err, const std::string& message,
            const std::string& file, const std::string& reason) {
  std::fputs(message.c_str(), out);
  Report_Fatal(err, kProgram, file, reason);
}

std::string Could_Not(const std::string& name, const char* what) {
  return "Error : " + name + " could not be " + what + ".";
}

// Closes whatever start-up has opened, when it cannot go on.
bool Stop_Start_Up(Conversion_Run& run) {
  for (FILE* f : {run.f_cnss, run.f_err, run.f_stat, run.f_inst})
    if (f != nullptr) std::fclose(f);
  return false;
}

// The names of a run's own files, formed from the base name, and its
// outputs.
struct Run_Names {
  std::string Error_Name, CNSS_Name, Catalog_Name;
  Output_File err, cnss;
};

// Closes an output.  Returns 0, or the errno of its first failed write or of
// the close.
int Close_Written(FILE* f, const Output_File& file) {
  const bool flagged = std::ferror(f);
  std::fclose(f);
  return file.failed != 0 ? file.failed : flagged ? EIO : 0;
}

// Opens the mapping files, then the error log and the catalog, once it is
// sure that neither output is an input or the other output: nothing is
// emptied before.  False, with the failure reported and every file closed,
// when one cannot be opened.
bool Open_Files(Conversion_Run& run, Run_Names& n, FILE* out, FILE* err) {
  std::string reason;
  run.f_inst = Open_Mapping_File(kInstrument_Mapping, true, reason);
  if (run.f_inst == nullptr) {
    Report(out, err, "Error : Instrument file could not be opened.",
           kInstrument_Mapping, reason);
    return Stop_Start_Up(run);
  }
  run.f_stat = Open_Mapping_File(kStation_Mapping, true, reason);
  if (run.f_stat == nullptr) {
    Report(out, err, "Error : Station file could not be opened.",
           kStation_Mapping, reason);
    return Stop_Start_Up(run);
  }

  const Named_Identity sheet{n.Catalog_Name, Identity_Of(n.Catalog_Name)};
  const Named_Identity inst{kInstrument_Mapping, Identity_Of(run.f_inst)};
  const Named_Identity stat{kStation_Mapping, Identity_Of(run.f_stat)};
  const Named_Identity log{n.Error_Name, Identity_Of(n.Error_Name)};
  std::string same = Same_File_Among(log.identity, {sheet, inst, stat});
  if (!same.empty()) {
    Report(out, err, Could_Not(n.Error_Name, "opened"), n.Error_Name,
           "is the same file as " + same);
    return Stop_Start_Up(run);
  }
  same = Same_File_Among(Identity_Of(n.CNSS_Name), {sheet, inst, stat, log});
  if (!same.empty()) {
    Report(out, err, Could_Not(n.CNSS_Name, "opened"), n.CNSS_Name,
           "is the same file as " + same);
    return Stop_Start_Up(run);
  }

  run.f_err = Open_Output(n.Error_Name, n.err, reason);
  if (run.f_err == nullptr) {
    Report(out, err, Could_Not(n.Error_Name, "opened"), n.Error_Name, reason);
    return Stop_Start_Up(run);
  }
  // A catalog name that led nowhere may lead to the error log just created.
  same = Same_File_Among(Identity_Of(n.CNSS_Name),
                         {{n.Error_Name, Identity_Of(n.err.fd)}});
  if (same.empty()) run.f_cnss = Open_Output(n.CNSS_Name, n.cnss, reason);
  if (run.f_cnss == nullptr) {
    Report(out, err, Could_Not(n.CNSS_Name, "opened"), n.CNSS_Name,
           same.empty() ? reason : "is the same file as " + same);
    return Stop_Start_Up(run);
  }
  return true;
}

// How the line loop ended, when it did not reach the sheet's end.
struct Loop_End {
  int read_error = 0;          // errno of a failed read of the sheet
  bool out_of_memory = false;  // a line larger than memory
};

// Reads the sheet to its end, one whole line at a time, and stops at a read
// error, at a line that memory cannot hold, and after the line during which
// a write to the catalog or the error log failed.
Loop_End Convert_Lines(Conversion_Run& run) {
  Loop_End end;
  Line_Reader reader;
  try {
    Open_Line_Reader(reader, run.f_cat);
    std::string_view info;
    while (Read_Line(reader, info)) {
      Dispatch_Line(info, run);
      if (std::ferror(run.f_cnss) || std::ferror(run.f_err)) return end;
    }
  } catch (const std::bad_alloc&) {
    end.out_of_memory = true;
  }
  end.read_error = reader.read_error;
  return end;
}

// Opens the sheet, reads the mapping files, converts the lines and closes
// the sheet; a failure is reported and sets `status` to 1.
void Convert_Sheet(Conversion_Run& run, const Run_Names& n, FILE* out,
                   FILE* err, int& status) {
  errno = 0;
  run.f_cat = std::fopen(n.Catalog_Name.c_str(), "r");
  std::string reason = run.f_cat == nullptr ? Reason_Of(errno) : "";
  if (run.f_cat != nullptr) {
    // A sheet name that led nowhere may lead to an output just created.
    const std::string same = Same_File_Among(
        Identity_Of(run.f_cat), {{n.Error_Name, Identity_Of(n.err.fd)},
                                 {n.CNSS_Name, Identity_Of(n.cnss.fd)}});
    if (!same.empty()) {
      reason = "is the same file as " + same;
      std::fclose(run.f_cat);
      run.f_cat = nullptr;
    }
  }
  if (run.f_cat == nullptr) {
    Report(out, err, Could_Not(n.Catalog_Name, "opened"), n.Catalog_Name,
           reason);
    status = 1;
    return;
  }

  const char* mapping =
      Load_Mapping_Files(run.f_inst, run.f_stat, run.maps, reason);
  if (mapping != nullptr) {
    const char* label = std::string_view(mapping) == kInstrument_Mapping
                            ? "Instrument"
                            : "Station";
    Report(out, err, Could_Not(std::string(label) + " file", "read"), mapping,
           reason);
    status = 1;
  } else {
    const Loop_End end = Convert_Lines(run);
    if (end.read_error != 0 || end.out_of_memory) {
      Report(out, err, Could_Not(n.Catalog_Name, "read"), n.Catalog_Name,
             end.out_of_memory ? "out of memory" : Reason_Of(end.read_error));
      status = 1;
    }
  }
  std::fclose(run.f_cat);
  run.f_cat = nullptr;
}

// Closes the outputs and reports a failed write of either; returns the
// status of the run.
int Shut_Down(Conversion_Run& run, const Run_Names& n, FILE* out, FILE* err,
              int status) {
  std::fputs("\n\n", out);
  std::fputc('\n', run.f_err);
  const int log_failed = Close_Written(run.f_err, n.err);
  const int catalog_failed = Close_Written(run.f_cnss, n.cnss);
  std::fclose(run.f_stat);
  std::fclose(run.f_inst);
  if (log_failed != 0)
    Report(out, err, Could_Not(n.Error_Name, "written"), n.Error_Name,
           Reason_Of(log_failed));
  if (catalog_failed != 0)
    Report(out, err, Could_Not(n.CNSS_Name, "written"), n.CNSS_Name,
           Reason_Of(catalog_failed));
  return log_failed != 0 || catalog_failed != 0 ? 1 : status;
}

int Convert(int argc, const char* const* argv, FILE* out, FILE* err) {
  Conversion_Run run;
  if (argc < 2 || argc > 3) {
    Write_Usage(out);
    return 1;
  }
  if (argc == 3) run.state.F_Flag = 1;
  const std::string base = argv[1];
  Run_Names names{
      base + ".error.log", base + ".vrn.cnss", base + ".sheet", {}, {}};
  // Large buffers: a catalog is often more than twice the size of its sheet.
  // Taken before any output is emptied, so that a lack of memory cannot
  // leave the outputs empty.
  constexpr size_t kCnss_Buffer = 1 << 20, kErr_Buffer = 1 << 16;
  std::unique_ptr<char[]> cnss_buffer(new char[kCnss_Buffer]);
  std::unique_ptr<char[]> err_buffer(new char[kErr_Buffer]);
  try {
    if (!Open_Files(run, names, out, err)) return 1;
  } catch (const std::bad_alloc&) {
    Stop_Start_Up(run);
    throw;
  }
  std::setvbuf(run.f_cnss, cnss_buffer.get(), _IOFBF, kCnss_Buffer);
  std::setvbuf(run.f_err, err_buffer.get(), _IOFBF, kErr_Buffer);
  std::fputs("$fmt cnss-catalog-ver-1.0.1\n", run.f_cnss);
  std::fprintf(out, "\n Converting to CNSS format --- %s.sheet\n\n",
               base.c_str());

  int status = 0;
  try {
    Convert_Sheet(run, names, out, err, status);
  } catch (const std::bad_alloc&) {  // the outputs are still closed in order
    if (run.f_cat != nullptr) std::fclose(run.f_cat);
    Report_Fatal(err, kProgram, names.Catalog_Name, "out of memory");
    status = 1;
  }
  return Shut_Down(run, names, out, err, status);
}

}  // namespace

int Run_Conversion(int argc, const char* const* argv, FILE* out, FILE* err) {
  int status;
  try {
    status = Convert(argc, argv, out, err);
  } catch (const std::bad_alloc&) {  // at start-up: no output written
    Report_Fatal(err, kProgram,
                 argc > 1 ? std::string(argv[1]) + ".sheet" : "Tremvert",
                 "out of memory");
    status = 1;
  }
  return Flush_Output(out, err, kProgram) ? status : 1;
}
