// Start-up, line loop and shutdown of one run.  See the header.
#include "driver/conversion_run.h"

#include <fcntl.h>

#include <cerrno>
#include <new>
#include <string>
#include <string_view>
#include <utility>

#include "driver/command_line.h"
#include "records/conversion_state.h"
#include "driver/dispatch.h"
#include "driver/fatal_failure.h"
#include "driver/file_identity.h"
#include "driver/interruption.h"
#include "driver/mapping_files.h"
#include "driver/output_file.h"
#include "driver/output_lock.h"
#include "driver/output_replacement.h"
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

// One run: its standard streams, its files and its state.  The destructor
// closes whatever is still open, lets the lock go and removes new files that
// never took their output's name, whichever way the run ends (out of memory
// included).
struct Run {
  Out_Buffer& out;
  Out_Buffer& err;
  Input_File inst, stat, sheet;
  int sheet_failed = 0;  // errno of the sheet's open
  Output_File log, catalog;
  Output_Lock lock;
  // Standard output and error are known to be none of the run's files
  // (checked), or one is and the run was refused for it (refused).
  bool streams_checked = false, streams_refused = false;
  Conversion_State state;
  Mapping_Tables maps;
  int status = 0;

  Run(Out_Buffer& o, Out_Buffer& e) : out(o), err(e) {
    inst.name = kInstrument_Mapping;
    stat.name = kStation_Mapping;
  }
  ~Run() {
    for (Output_File* o : {&catalog, &log}) Close_Output(*o);
    Unlock_Outputs(lock);
    for (Output_File* o : {&catalog, &log}) Discard_Output(*o);
    for (Input_File* f : {&sheet, &stat, &inst}) Close_Input(*f);
  }
};

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

// The run's file that the standard stream on `fd` is, or nullptr.
const std::string* Run_File_Of(const Run& r, int fd) {
  struct stat st;
  if (fd < 0 || System().Fstat(fd, &st) != 0) return nullptr;
  const File_Identity id = Identity_Of_Status(st);
  const std::string* same = Same_As(id, {&r.sheet, &r.inst, &r.stat}, &r.log);
  return same != nullptr || !Same_File(id, r.catalog.identity)
             ? same
             : &r.catalog.name;
}

// Standard output or standard error that is one of the run's files (of those
// known so far): written to, it would overwrite an output or feed the sheet
// that is being read.  The refusal is said on the other stream, which is not
// the culprit; with both streams culprits, it is said nowhere.  False, with
// the status set, when the run is refused.
bool Standard_Streams_Clear(Run& r) {
  if (r.streams_checked) return true;
  if (r.streams_refused) return false;
  const std::string* out_file = Run_File_Of(r, r.out.fd);
  const std::string* err_file = Run_File_Of(r, r.err.fd);
  if (out_file == nullptr && err_file == nullptr) return true;
  r.streams_refused = true;
  r.status = 1;
  if (out_file != nullptr && err_file != nullptr) return false;
  Out_Buffer nothing;  // nothing goes to the culprit, not even what it holds
  if (out_file != nullptr)
    Report_Fatal(nothing, r.err, kProgram, "standard output",
                 "is the same file as " + *out_file);
  else
    Report_Fatal(nothing, r.out, kProgram, "standard error",
                 "is the same file as " + *err_file);
  return false;
}

// A failure: "Error : <subject> could not be <what>." on standard output,
// its line on standard error, and status 1; unless a standard stream is one
// of the run's files, which is then reported instead.
void Fail(Run& r, std::string_view subject, const char* what,
          std::string_view file, std::string_view reason) {
  if (!Standard_Streams_Clear(r)) return;
  Put_Text(r.out, "Error : ");
  Put_Escaped(r.out, subject);
  Put_Text(r.out, " could not be ");
  Put_Text(r.out, what);
  Put_Text(r.out, ".");
  Report_Fatal(r.out, r.err, kProgram, file, reason);
  r.status = 1;
}

// Opens the mapping files and the sheet, then makes the outputs ready to be
// written, in order: finds each (its folder and final name), takes their
// lock, opens their earlier files, checks that neither is an input or the
// other output and that standard output and error are none of these, and
// only then makes the new files.  False, with the failure reported, when the
// run cannot start; nothing has been written then.
bool Start_Up(Run& r) {
  std::string reason;
  if (!Open_Mapping_File(r.inst, &reason)) {
    Fail(r, "Instrument file", "opened", r.inst.name, reason);
    return false;
  }
  if (!Open_Mapping_File(r.stat, &reason)) {
    Fail(r, "Station file", "opened", r.stat.name, reason);
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
  for (Output_File* o : {&r.log, &r.catalog}) {
    if (!Find_Output(*o, &reason)) {
      Fail(r, o->name, "opened", o->name, reason);
      return false;
    }
  }
  if (const Output_File* o = Lock_Outputs(r.lock, r.catalog, r.log, &reason)) {
    Fail(r, o->name, "opened", o->name, reason);
    return false;
  }
  for (auto [o, other] : {std::pair{&r.log, (const Output_File*)nullptr},
                          std::pair{&r.catalog, (const Output_File*)&r.log}}) {
    if (!Open_Earlier(*o, &reason)) {
      Fail(r, o->name, "opened", o->name, reason);
      return false;
    }
    if (const std::string* same =
            Same_As(o->identity, {&r.sheet, &r.inst, &r.stat}, other)) {
      Fail(r, o->name, "opened", o->name, "is the same file as " + *same);
      return false;
    }
  }
  if (!Standard_Streams_Clear(r)) return false;
  r.streams_checked = true;
  for (auto [o, capacity] : {std::pair{&r.log, kLog_Buffer},
                             std::pair{&r.catalog, kCatalog_Buffer}}) {
    if (!Make_Output(*o, capacity, &reason)) {
      Fail(r, o->name, "opened", o->name, reason);
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
    Fail(r, r.sheet.name, "opened", r.sheet.name, Reason_Of(r.sheet_failed));
    return;
  }
  std::string reason;
  if (const char* mapping = Load_Mapping_Files(r.inst, r.stat, r.maps, &reason)) {
    Fail(r, mapping == r.inst.name ? "Instrument file" : "Station file", "read",
         mapping, reason);
    return;
  }
  const Loop_End end = Convert_Lines(r);
  if (end.read_error != 0 || end.out_of_memory)
    Fail(r, r.sheet.name, "read", r.sheet.name,
         end.out_of_memory ? "out of memory" : Reason_Of(end.read_error));
}

// Closes the outputs and reports a failed write of either.  When the run
// succeeded, writes out standard output (the banner and the closing line
// ends), and only then, if that worked, puts both outputs in place: nothing
// that can fail comes after.
void Shut_Down(Run& r) {
  Close_Input(r.sheet);
  Put_Text(r.out, "\n\n");
  Put_Char(r.log.out, '\n');
  const int log_failed = Close_Output(r.log);
  const int catalog_failed = Close_Output(r.catalog);
  Close_Input(r.stat);
  Close_Input(r.inst);
  if (log_failed != 0)
    Fail(r, r.log.name, "written", r.log.name, Reason_Of(log_failed));
  if (catalog_failed != 0)
    Fail(r, r.catalog.name, "written", r.catalog.name,
         Reason_Of(catalog_failed));
  if (r.status != 0) return;  // the destructor removes the new files
  if (!Flush_Output(r.out, r.err, kProgram)) {
    r.status = 1;
    return;
  }
  Interruption_Guard guard;
  Replacement_Failure f;
  const bool replaced = Replace_Outputs(r.catalog, r.log, f);
  Drop_Held_Interruptions();
  if (replaced) return;
  // An earlier file that could not be put back is never removed: its second
  // link is taken from the output before anything may run out of memory.
  std::string kept;
  if (f.not_put_back != nullptr) {
    kept.swap(f.not_put_back->restore_name);  // leaves it empty
  }
  Fail(r, f.failed->name, "written", f.failed->name, Reason_Of(f.error));
  if (const Output_File* o = f.not_put_back) {
    std::string reason = "could not be put back: " + Reason_Of(f.put_back_error);
    if (!kept.empty()) reason += "; the earlier file is kept as " + o->folder_path + kept;
    Fail(r, o->name, "written", o->name, reason);
  }
}

int Convert(const Command_Line& c, Out_Buffer& out, Out_Buffer& err) {
  Run r(out, err);
  r.state.F_Flag = c.F_Flag;
  r.sheet.name = c.base + ".sheet";
  r.log.name = c.base + ".error.log";
  r.log.slot = kLog_Slot;
  r.catalog.name = c.base + ".vrn.cnss";
  r.catalog.slot = kCatalog_Slot;
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
  Put_Escaped(out, c.base);
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
  // A standard output that failed has been reported already.
  return out.failed == 0 && Flush_Output(out, err, kProgram) ? status : 1;
}
