// Start-up, line loop and shutdown of one run.  See the header.
#include "driver/conversion_run.h"

#include <fcntl.h>

#include <cerrno>
#include <new>
#include <string>
#include <string_view>
#include <utility>

#include "driver/command_line.h"
#include "driver/dispatch.h"
#include "driver/fatal_failure.h"
#include "driver/file_identity.h"
#include "driver/interruption.h"
#include "driver/mapping_files.h"
#include "driver/output_file.h"
#include "driver/output_lock.h"
#include "driver/output_replacement.h"
#include "records/conversion_state.h"
#include "reference/code_lookup.h"
#include "text/escaped_text.h"
#include "text/file_system.h"
#include "text/line_reader.h"
#include "text/record_text.h"

namespace {

constexpr const char* kProgram = "Tremvert";
// Large buffers: a catalog is often more than twice the size of its sheet.
constexpr size_t kCatalog_Buffer = 1 << 20, kLog_Buffer = 1 << 16;

// The run of one sheet: the standard streams, the mapping files (read once
// for all the sheets of --each), the sheet, its outputs and its state.  The
// destructor closes whatever is still open, lets the lock go and removes new
// files that never took their output's name, whichever way the run ends (out
// of memory included).
struct Run {
  Out_Buffer& out;
  Out_Buffer& err;
  Mapping_Files& m;
  bool maps_read = false;  // the tables hold both files
  Input_File sheet;
  std::string sheet_failed;  // why the sheet could not be opened
  Output_File log, catalog;
  Output_Lock lock;
  // Standard output and error are known to be none of the run's files
  // (checked), or one is and the run was refused for it (refused).
  bool streams_checked = false, streams_refused = false;
  Conversion_State state;
  int status = 0;
  // The one-sheet form's second word other than -F, taken as -F: said on
  // standard error once that stream is known to be none of the run's files.
  std::string_view taken_as_F;

  Run(Out_Buffer& o, Out_Buffer& e, Mapping_Files& maps)
      : out(o), err(e), m(maps) {}
  ~Run() {
    for (Output_File* o : {&catalog, &log}) Close_Output(*o);
    Unlock_Outputs(lock);
    for (Output_File* o : {&catalog, &log}) Discard_Output(*o);
    for (Input_File* f : {&sheet, &m.stat, &m.inst}) Close_Input(*f);
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
  const std::string* same =
      Same_As(id, {&r.sheet, &r.m.inst, &r.m.stat}, &r.log);
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

// Says once that a second word other than -F was taken as -F.
void Note_Taken_As_F(Run& r) {
  if (r.taken_as_F.empty()) return;
  Put_Text(r.err, kProgram);
  Put_Text(r.err, ": the second argument \"");
  Put_Escaped(r.err, r.taken_as_F);
  Put_Text(r.err, "\" is taken as -F: the alternate phase layout\n");
  Flush_Out(r.err);
  r.taken_as_F = {};
}

// A failure: "Error : <subject> could not be <what>." on standard output,
// its line on standard error, and status 1; unless a standard stream is one
// of the run's files, which is then reported instead.
void Fail(Run& r, std::string_view subject, const char* what,
          std::string_view file, std::string_view reason) {
  if (!Standard_Streams_Clear(r)) return;
  Note_Taken_As_F(r);
  Put_Text(r.out, "Error : ");
  Put_Escaped(r.out, subject);
  Put_Text(r.out, " could not be ");
  Put_Text(r.out, what);
  Put_Text(r.out, ".");
  Report_Fatal(r.out, r.err, kProgram, file, reason);
  r.status = 1;
}

// Opens both mapping files.  False, with the failure reported, when one
// cannot be opened.
bool Open_Mapping_Files(Run& r) {
  std::string reason;
  if (!Open_Mapping_File(r.m.inst, &reason)) {
    Fail(r, "Instrument file", "opened", r.m.inst.name, reason);
    return false;
  }
  if (!Open_Mapping_File(r.m.stat, &reason)) {
    Fail(r, "Station file", "opened", r.m.stat.name, reason);
    return false;
  }
  return true;
}

// Reads both mapping files into the tables and closes them.  False, with the
// failure reported, when one cannot be read.
bool Read_Mapping_Files(Run& r) {
  std::string reason;
  if (!Read_Instrument_File(r.m, &reason)) {
    Fail(r, "Instrument file", "read", r.m.inst.name, reason);
    return false;
  }
  if (!Read_Station_File(r.m, &reason)) {
    Fail(r, "Station file", "read", r.m.stat.name, reason);
    return false;
  }
  Close_Input(r.m.stat);
  Close_Input(r.m.inst);
  r.maps_read = true;
  return true;
}

// Opens the sheet, then makes the outputs ready to be written, in order:
// finds each (its folder and final name), takes their lock, opens their
// earlier files, checks that neither is an input or the other output and
// that standard output and error are none of these, and only then makes the
// new files (the lock's output's new file locked too).  False, with the failure
// reported, when the run cannot start; nothing has been written then.
bool Start_Up(Run& r) {
  std::string reason;
  // The sheet is opened now, so that each file is looked at once; a failure
  // is told after the banner, as the run's own.
  Open_Input(r.sheet, &r.sheet_failed);
  for (Output_File* o : {&r.log, &r.catalog}) {
    if (!Find_Output(*o, &reason)) {
      Fail(r, o->name, "opened", o->name, reason);
      return false;
    }
  }
  if (!Lock_Outputs(r.lock, r.catalog, r.log, &reason)) {
    Fail(r, r.lock.beside->name, "opened", r.lock.beside->name, reason);
    return false;
  }
  for (auto [o, other] : {std::pair{&r.log, (const Output_File*)nullptr},
                          std::pair{&r.catalog, (const Output_File*)&r.log}}) {
    if (!Open_Earlier(*o, &reason)) {
      Fail(r, o->name, "opened", o->name, reason);
      return false;
    }
    if (const std::string* same =
            Same_As(o->identity, {&r.sheet, &r.m.inst, &r.m.stat}, other)) {
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
  if (!Lock_New_File(r.lock, &reason)) {
    Fail(r, r.lock.beside->name, "opened", r.lock.beside->name, reason);
    return false;
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
    Open_Line_Reader(reader, r.sheet.fd.get());
    std::string_view info;
    while (Read_Line(reader, info)) {
      Dispatch_Line(info, r.state, r.m.maps, r.log.out, r.catalog.out);
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
  if (!r.sheet.fd.is_open()) {
    Fail(r, r.sheet.name, "opened", r.sheet.name, r.sheet_failed);
    return;
  }
  if (!r.maps_read && !Read_Mapping_Files(r)) return;
  const Loop_End end = Convert_Lines(r);
  if (end.read_error != 0 || end.out_of_memory)
    Fail(r, r.sheet.name, "read", r.sheet.name,
         end.out_of_memory ? "out of memory" : Reason_Of(end.read_error));
}

// Closes the outputs and reports a failed write of either.  When the run
// succeeded, makes sure that it still holds the lock, writes out standard
// output (the banner and the closing line ends), and only then, if that
// worked, puts both outputs in place: nothing that can fail comes after.
void Shut_Down(Run& r) {
  Close_Input(r.sheet);
  Put_Text(r.out, "\n\n");
  Put_Char(r.log.out, '\n');
  const bool log_closed = Close_Output(r.log);
  const bool catalog_closed = Close_Output(r.catalog);
  Close_Input(r.m.stat);
  Close_Input(r.m.inst);
  if (!log_closed)
    Fail(r, r.log.name, "written", r.log.name, Reason_Of(r.log.out.failed));
  if (!catalog_closed)
    Fail(r, r.catalog.name, "written", r.catalog.name,
         Reason_Of(r.catalog.out.failed));
  if (r.status != 0) return;  // the destructor removes the new files
  std::string reason;
  if (!Confirm_Lock(r.lock, &reason)) {
    Fail(r, r.lock.beside->name, "written", r.lock.beside->name, reason);
    return;
  }
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
    std::string reason =
        "could not be put back: " + Reason_Of(f.put_back_error);
    if (!kept.empty())
      reason += "; the earlier file is kept as " + o->folder_path + kept;
    Fail(r, o->name, "written", o->name, reason);
  }
}

// Converts the sheet named `word` on the command line, as one run, with
// the mapping files `m` (opened and read by this run unless `maps_read`).
int Convert_One(const Command_Line& c, std::string_view word, Mapping_Files& m,
                bool maps_read, Out_Buffer& out, Out_Buffer& err) {
  Run r(out, err, m);
  r.maps_read = maps_read;
  r.state.F_Flag = c.F_Flag;
  const std::string_view base = Base_Of(word);
  const std::string output = Output_Base(c, base);
  r.sheet.name = std::string(base) + ".sheet";
  r.log.name = output + ".error.log";
  r.log.slot = kLog_Slot;
  r.catalog.name = output + ".vrn.cnss";
  r.catalog.slot = kCatalog_Slot;
  if (!maps_read && !Open_Mapping_Files(r)) return r.status;
  r.taken_as_F = c.taken_as_F;
  if (!Start_Up(r)) return r.status;
  Note_Taken_As_F(r);
  Put_Text(r.catalog.out, "$fmt cnss-catalog-ver-1.0.1\n");
  Put_Text(out, "\n Converting to CNSS format --- ");
  Put_Escaped(out, base);
  Put_Text(out, ".sheet\n\n");
  Convert_Sheet(r);
  Shut_Down(r);
  return r.status;
}

// Fails a --each run whose outputs would clash (two sheets of one NAME with
// --output-dir) before anything is written; true when there is no clash.
bool No_Name_Clash(const Command_Line& c, Out_Buffer& out, Out_Buffer& err) {
  size_t first, second;
  if (!Find_Name_Clash(c, &first, &second)) return true;
  const std::string catalog =
      Output_Base(c, Base_Of(c.sheets[first])) + ".vrn.cnss";
  Put_Text(out, "Error : ");
  Put_Escaped(out, catalog);
  Put_Text(out, " could not be opened.");
  Report_Fatal(out, err, kProgram, catalog,
               "is the output of both " +
                   std::string(Base_Of(c.sheets[first])) + ".sheet and " +
                   std::string(Base_Of(c.sheets[second])) + ".sheet");
  return false;
}

// Converts every sheet that the command line names.  With --each, the
// mapping files are read once, before any sheet, and a sheet that fails does
// not stop the others; memory that runs out fails only the sheet it ran out
// in.  The status is 1 when any sheet failed.
int Convert(const Command_Line& c, Out_Buffer& out, Out_Buffer& err) {
  Mapping_Files m;
  m.inst.name = c.instruments;
  m.stat.name = c.stations;
  if (!c.each) {
    return Convert_One(c, c.sheets[0], m, false, out, err);
  }
  // No sheet: nothing to do (xargs runs the command once for an empty list).
  if (c.sheets.empty()) return 0;
  if (!No_Name_Clash(c, out, err)) return 1;
  {
    Run maps(out, err, m);  // no sheet, no output: the mapping files alone
    if (!Open_Mapping_Files(maps) || !Read_Mapping_Files(maps)) return 1;
  }
  int status = 0;
  for (const char* word : c.sheets) {
    try {
      if (Convert_One(c, word, m, true, out, err) != 0) status = 1;
    } catch (const std::bad_alloc&) {  // no output of this sheet replaced
      Report_Fatal(out, err, kProgram, std::string(Base_Of(word)) + ".sheet",
                   "out of memory");
      status = 1;
    }
  }
  return status;
}

}  // namespace

int Run_Conversion(int argc, const char* const* argv, Out_Buffer& out,
                   Out_Buffer& err) {
  int status = 0;
  std::string_view sheet;  // the one sheet, once the command line is read
  try {
    const Command_Line c = Parse_Command_Line(argc, argv);
    switch (c.what) {
      case Command_Line::kUsage:
        Put_Text(out, kUsage_Text);
        status = 1;
        break;
      case Command_Line::kHelp:
        Put_Text(out, kHelp_Text);
        break;
      case Command_Line::kVersion:
        Put_Text(out, "Tremvert " TREMVERT_VERSION "\n");
        break;
      case Command_Line::kConvert:
        if (!c.each) sheet = c.sheets[0];
        status = Convert(c, out, err);
    }
  } catch (const std::bad_alloc&) {  // no output replaced
    if (sheet.empty()) {             // no one sheet's failure
      Flush_Out(out);
      Put_Text(err, "Tremvert: out of memory\n");
      Flush_Out(err);
    } else {
      Report_Fatal(out, err, kProgram, sheet, "out of memory");
    }
    status = 1;
  }
  // A standard output that failed has been reported already.
  return out.failed == 0 && Flush_Output(out, err, kProgram) ? status : 1;
}
