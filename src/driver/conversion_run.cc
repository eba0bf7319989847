// Start-up, line loop and shutdown of one run.  See the header.
#include "driver/conversion_run.h"

#include <fcntl.h>

#include <cerrno>
#include <new>
#include <string>
#include <string_view>

#include "driver/command_line.h"
#include "records/conversion_state.h"
#include "driver/dispatch.h"
#include "driver/fatal_failure.h"
#include "driver/file_identity.h"
#include "driver/interruption.h"
#include "driver/mapping_files.h"
#include "driver/output_file.h"
#include "reference/code_lookup.h"
#include "text/escaped_text.h"
#include "text/file_system.h"
#include "text/line_reader.h"
#include "text/record_text.h"

namespace {

constexpr const char* kProgram = "Tremvert";
// Large buffers: a catalog is often more than twice the size of its sheet.
constexpr size_t kCatalog_Buffer = 1 << 20, kLog_Buffer = 1 << 16;

void Write_Usage(Out_Buffer& out) {
  Put_Text(out, "\n Tremvert <Historical file> [-F]\n");
  Put_Text(out, "-F: alternate phase format (time on the last field).\n\n");
}

std::string Could_Not(const std::string& name, const char* what) {
  return "Error : " + name + " could not be " + what + ".";
}

// One run: its standard streams, its files and its state.  The destructor
// closes whatever is still open and removes new files that never took their
// output's name, whichever way the run ends (out of memory included).
struct Run {
  Out_Buffer& out;
  Out_Buffer& err;
  Input_File inst, stat, sheet;
  int sheet_failed = 0;  // errno of the sheet's open
  Output_File log, catalog;
  Conversion_State state;
  Mapping_Tables maps;
  int status = 0;

  Run(Out_Buffer& o, Out_Buffer& e) : out(o), err(e) {
    inst.name = kInstrument_Mapping;
    stat.name = kStation_Mapping;
  }
  ~Run() {
    for (Output_File* o : {&catalog, &log}) {
      Close_Output(*o);
      Discard_Output(*o);
    }
    for (Input_File* f : {&sheet, &stat, &inst}) Close_Input(*f);
  }
};

// A failure: the program's message on standard output, its line on standard
// error, and status 1.
void Fail(Run& r, const std::string& message, std::string_view file,
          std::string_view reason) {
  Put_Text(r.out, message);
  Report_Fatal(r.out, r.err, kProgram, file, reason);
  r.status = 1;
}

// The first of the files that is the same file as `file`, or nullptr.
const std::string* Same_As(const File_Identity& file,
                           std::initializer_list<const Input_File*> inputs,
                           const Output_File* output = nullptr) {
  for (const Input_File* f : inputs)
    if (Same_File(file, f->identity)) return &f->name;
  if (output != nullptr && Same_File(file, output->identity))
    return &output->name;
  return nullptr;
}

// Looks at an output: where its links lead, and that it is none of the files
// that the run reads (nor the other output).
bool Prepare(Run& r, Output_File& o, const Output_File* other) {
  std::string reason;
  if (!Prepare_Output(o, &reason)) {
    Fail(r, Could_Not(o.name, "opened"), o.name, reason);
    return false;
  }
  if (const std::string* same =
          Same_As(o.identity, {&r.sheet, &r.inst, &r.stat}, other)) {
    Fail(r, Could_Not(o.name, "opened"), o.name, "is the same file as " + *same);
    return false;
  }
  return true;
}

// Standard output or standard error that is one of the run's files: written
// to, it would overwrite the catalog or feed the sheet that is being read.
bool Check_Standard_Streams(Run& r) {
  struct Stream {
    Out_Buffer& buffer;
    const char* name;
    Out_Buffer& other;
  } const streams[] = {{r.out, "standard output", r.err},
                       {r.err, "standard error", r.out}};
  for (const Stream& s : streams) {
    struct stat st;
    if (s.buffer.fd < 0 || System().Fstat(s.buffer.fd, &st) != 0) continue;
    const std::string* same = Same_As(Identity_Of_Status(st),
                                      {&r.sheet, &r.inst, &r.stat}, &r.log);
    if (same == nullptr && Same_File(Identity_Of_Status(st), r.catalog.identity))
      same = &r.catalog.name;
    if (same == nullptr) continue;
    // The line goes to the other stream, which is not the culprit.
    Report_Fatal(r.out, s.other, kProgram, s.name, "is the same file as " + *same);
    r.status = 1;
    return false;
  }
  return true;
}

// Opens the mapping files and the sheet, and makes the new files of the
// outputs, once it is sure that neither output is an input or the other
// output, and that standard output and error are none of them.  False, with
// the failure reported, when the run cannot start.
bool Start_Up(Run& r) {
  std::string reason;
  if (!Open_Mapping_File(r.inst, &reason)) {
    Fail(r, "Error : Instrument file could not be opened.", r.inst.name, reason);
    return false;
  }
  if (!Open_Mapping_File(r.stat, &reason)) {
    Fail(r, "Error : Station file could not be opened.", r.stat.name, reason);
    return false;
  }
  // The sheet is opened now, so that each file is looked at once; a failure
  // is told after the banner, as the run's own.
  r.sheet.fd = System().Open(r.sheet.name.c_str(), O_RDONLY | O_CLOEXEC, 0);
  struct stat st;
  if (r.sheet.fd < 0 || System().Fstat(r.sheet.fd, &st) != 0) {
    r.sheet_failed = errno != 0 ? errno : EIO;
    Close_Input(r.sheet);
  } else {
    r.sheet.identity = Identity_Of_Status(st);
  }
  if (!Prepare(r, r.log, nullptr) || !Prepare(r, r.catalog, &r.log) ||
      !Check_Standard_Streams(r))
    return false;
  for (auto [o, capacity] : {std::pair{&r.log, kLog_Buffer},
                             std::pair{&r.catalog, kCatalog_Buffer}}) {
    if (!Open_Output(*o, capacity, &reason)) {
      Fail(r, Could_Not(o->name, "opened"), o->name, reason);
      return false;
    }
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
Loop_End Convert_Lines(Run& r) {
  Loop_End end;
  Line_Reader reader;
  try {
    Open_Line_Reader(reader, r.sheet.fd);
    std::string_view info;
    while (Read_Line(reader, info)) {
      Dispatch_Line(info, r.state, r.maps, r.log.out, r.catalog.out);
      if (r.catalog.out.failed != 0 || r.log.out.failed != 0) return end;
    }
  } catch (const std::bad_alloc&) {
    end.out_of_memory = true;
  }
  end.read_error = reader.read_error;
  return end;
}

// Reads the mapping files and converts the lines of the sheet; a failure is
// reported and sets the status to 1.
void Convert_Sheet(Run& r) {
  if (r.sheet.fd < 0) {
    Fail(r, Could_Not(r.sheet.name, "opened"), r.sheet.name,
         Reason_Of(r.sheet_failed));
    return;
  }
  std::string reason;
  if (const char* mapping = Load_Mapping_Files(r.inst, r.stat, r.maps, &reason)) {
    const char* label = mapping == r.inst.name ? "Instrument" : "Station";
    Fail(r, Could_Not(std::string(label) + " file", "read"), mapping, reason);
    return;
  }
  const Loop_End end = Convert_Lines(r);
  if (end.read_error != 0 || end.out_of_memory)
    Fail(r, Could_Not(r.sheet.name, "read"), r.sheet.name,
         end.out_of_memory ? "out of memory" : Reason_Of(end.read_error));
}

// Closes the outputs, reports a failed write of either, and puts both in
// place when the run succeeded.
void Shut_Down(Run& r) {
  Close_Input(r.sheet);
  Put_Text(r.out, "\n\n");
  Put_Char(r.log.out, '\n');
  const int log_failed = Close_Output(r.log);
  const int catalog_failed = Close_Output(r.catalog);
  Close_Input(r.stat);
  Close_Input(r.inst);
  if (log_failed != 0)
    Fail(r, Could_Not(r.log.name, "written"), r.log.name, Reason_Of(log_failed));
  if (catalog_failed != 0)
    Fail(r, Could_Not(r.catalog.name, "written"), r.catalog.name,
         Reason_Of(catalog_failed));
  if (r.status != 0) return;  // the destructor removes the new files
  Interruption_Guard guard;
  for (Output_File* o : {&r.catalog, &r.log}) {
    std::string reason;
    if (!Replace_Output(*o, &reason)) {
      Fail(r, Could_Not(o->name, "written"), o->name, reason);
      return;
    }
  }
  Drop_Held_Interruptions();
}

int Convert(const Command_Line& c, Out_Buffer& out, Out_Buffer& err) {
  Run r(out, err);
  r.state.F_Flag = c.F_Flag;
  r.sheet.name = c.base + ".sheet";
  r.log.name = c.base + ".error.log";
  r.log.slot = 0;
  r.catalog.name = c.base + ".vrn.cnss";
  r.catalog.slot = 1;
  if (!c.taken_as_F.empty()) {
    Put_Text(err, kProgram);
    Put_Text(err, ": the second argument \"");
    Put_Escaped(err, c.taken_as_F);
    Put_Text(err, "\" is taken as -F: the alternate phase layout\n");
    Flush_Out(err);
  }
  if (!Start_Up(r)) return r.status;
  Put_Text(r.catalog.out, "$fmt cnss-catalog-ver-1.0.1\n");
  Put_Text(out, "\n Converting to CNSS format --- ");
  Put_Text(out, c.base);
  Put_Text(out, ".sheet\n\n");
  Convert_Sheet(r);
  Shut_Down(r);
  return r.status;
}

}  // namespace

int Run_Conversion(int argc, const char* const* argv, Out_Buffer& out,
                   Out_Buffer& err) {
  const Command_Line c = Parse_Command_Line(argc, argv);
  int status = 0;
  switch (c.what) {
    case Command_Line::kUsage:
      Write_Usage(out);
      status = 1;
      break;
    case Command_Line::kHelp:
      Write_Usage(out);
      break;
    case Command_Line::kVersion:
      Put_Text(out, "Tremvert " TREMVERT_VERSION "\n");
      break;
    case Command_Line::kConvert:
      try {
        status = Convert(c, out, err);
      } catch (const std::bad_alloc&) {  // no output replaced
        Report_Fatal(out, err, kProgram, c.base + ".sheet", "out of memory");
        status = 1;
      }
  }
  return Flush_Output(out, err, kProgram) ? status : 1;
}
