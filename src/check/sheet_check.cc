// One sheet checked.  See the header.
#include "check/sheet_check.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <new>
#include <string_view>
#include <vector>

#include "driver/conversion_state.h"
#include "driver/dispatch.h"
#include "driver/fatal_failure.h"
#include "records/misreadings.h"
#include "reference/code_lookup.h"
#include "text/escaped_text.h"
#include "text/file_system.h"
#include "text/line_reader.h"
#include "text/record_text.h"

namespace {

constexpr std::string_view kMessage_Start = "\n Error";

// "SHEET:LINE: KIND: TEXT", the sheet's name escaped already.
void Put_Problem(Out_Buffer& out, std::string_view sheet, long line,
                 const char* kind, std::string_view text) {
  Put_Text(out, sheet);
  Put_Char(out, ':');
  Put_Text(out, std::to_string(line));
  Put_Text(out, ": ");
  Put_Text(out, kind);
  Put_Text(out, ": ");
  Put_Escaped(out, text);
  Put_Char(out, '\n');
}

// The messages that one line left in the error log, each without its leading
// line end and blank.  A message ends where the next one starts: the log's
// messages hold no line end of their own but that of "Header (\n)", which no
// "Error" follows.
std::vector<std::string_view> Messages_Of(std::string_view log) {
  std::vector<std::string_view> messages;
  while (!log.empty()) {
    size_t next = log.find(kMessage_Start, 1);
    std::string_view message = log.substr(0, next);
    message.remove_prefix(std::min<size_t>(2, message.size()));
    messages.push_back(message);
    if (next == std::string_view::npos) break;
    log.remove_prefix(next);
  }
  return messages;
}

// The summary line of a sheet that could not be read: it never gives counts,
// so that no survey takes it for a clean sheet.
void Put_Unread(Out_Buffer& out, const std::string& name, const char* what,
                const std::string& reason) {
  Put_Escaped(out, name);
  Put_Text(out, ": could not be ");
  Put_Text(out, what);
  Put_Text(out, ": ");
  Put_Escaped(out, reason);
  Put_Char(out, '\n');
}

bool Is_Amplitude(char letter) {
  return letter == 'D' || letter == 'A' || letter == 'S' || letter == 'B';
}

bool Is_Reading(char letter) { return letter == 'P' || Is_Amplitude(letter); }

// The letters whose lines a closed gate drops.
bool Is_Gated(char letter) {
  return Is_Reading(letter) || letter == 'C' || letter == 'F';
}

// One sheet's check between its lines: the conversion's own state, and the
// error log and catalog that the converters write into memory, read and
// emptied after each line.
struct Sheet_Check {
  std::string_view name;  // escaped
  const Mapping_Tables& maps;
  Out_Buffer* out;  // nullptr: the summary alone
  Sheet_Tally& t;
  Conversion_State state;
  Out_Buffer log, catalog;
  std::vector<std::string> warnings;
  long open_event = 0;  // the line of an event that no X has ended yet
  long last_event = 0;  // the line of the latest event
};

void Problem(const Sheet_Check& c, const char* kind, std::string_view text) {
  if (c.out != nullptr) Put_Problem(*c.out, c.name, c.t.lines, kind, text);
}

void Warn_Unended(Sheet_Check& c, const char* where) {
  ++c.t.warnings;
  Problem(c, "warning",
          "the event at line " + std::to_string(c.open_event) +
              " is not ended with X " + where);
}

// Converts one line and reports what the conversion made of it.
void Check_Line(Sheet_Check& c, std::string_view info) {
  Sheet_Tally& t = c.t;
  Conversion_State& s = c.state;
  ++t.lines;
  const char letter = Record_Letter(info);
  const bool gate_was_open = s.Flag != 0;
  if (letter == 'E' && c.open_event != 0) Warn_Unended(c, "before this event");
  if (letter == 'E') c.open_event = c.last_event = t.lines;
  if (letter == 'X') c.open_event = 0;

  c.warnings.clear();
  c.log.size = c.catalog.size = 0;
  Dispatch_Line(info, s, c.maps, c.log, c.catalog);
  const std::string_view written = Text_Of(c.catalog);
  // The records: each ends with its line end.  Only amplitude lines write
  // more than one reading.
  long records = !written.empty();
  if (Is_Amplitude(letter))
    for (size_t at = written.find('\n'); at + 1 < written.size();
         at = written.find('\n', at + 1))
      ++records;
  if (letter == 'E') {
    ++t.events;
    ++(s.Flag != 0 ? t.converted : t.rejected);
  }
  if (Is_Reading(letter)) {
    t.readings += records;
    if (records > 0 && !s.n_s.Station_Listed)
      c.warnings.push_back(Quoted("station", s.Sta_Name) +
                           " is on no line of station.mapping.out: written "
                           "with network XX");
  }
  // The warnings first: they say what was read, which the errors judge.
  for (const std::string& text : c.warnings) Problem(c, "warning", text);
  t.warnings += c.warnings.size();
  bool rejected = false;  // by a message of its own
  for (std::string_view message : Messages_Of(Text_Of(c.log))) {
    ++t.errors;
    rejected |= message.rfind("Error [Unknown instrument]", 0) != 0;
    Problem(c, "error", message);
  }

  const bool amplitudes = s.Zamp != 0 || s.Namp != 0 || s.Eamp != 0;
  if (!gate_was_open && !rejected && Is_Gated(letter) &&
      (amplitudes || !Is_Amplitude(letter))) {
    ++t.dropped;
    std::string text =
        records > 0 ? "the comment's last piece dropped" : "dropped";
    if (c.last_event == 0)
      text += ": no event before it";
    else
      text += ": the event at line " + std::to_string(c.last_event) +
              " was rejected";
    Problem(c, "note", text);
  }
}

}  // namespace

void Add_Tally(Sheet_Tally& total, const Sheet_Tally& sheet) {
  total.lines += sheet.lines;
  total.events += sheet.events;
  total.converted += sheet.converted;
  total.rejected += sheet.rejected;
  total.readings += sheet.readings;
  total.dropped += sheet.dropped;
  total.errors += sheet.errors;
  total.warnings += sheet.warnings;
}

std::string Tally_Text(const Sheet_Tally& t) {
  auto count = [](long n, const char* word) {
    return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
  };
  return count(t.lines, "line") + ", " + count(t.events, "event") + " (" +
         std::to_string(t.converted) + " converted, " +
         std::to_string(t.rejected) + " rejected), " +
         count(t.readings, "reading") + " written, " +
         std::to_string(t.dropped) + " dropped, " + count(t.errors, "error") +
         ", " + count(t.warnings, "warning");
}

bool Check_Sheet(const std::string& name, const Mapping_Tables& maps,
                 int F_Flag, bool summary_only, Out_Buffer& out,
                 Out_Buffer& err, Sheet_Tally& tally) {
  const int fd = System().Open(name.c_str(), O_RDONLY | O_CLOEXEC, 0);
  if (fd < 0) {
    const std::string reason = Reason_Of(errno);
    Put_Unread(out, name, "opened", reason);
    Report_Fatal(out, err, kCheck_Program, name, reason);
    return false;
  }
  struct Closer {  // whichever way the check ends, a lack of memory included
    int fd;
    ~Closer() { System().Close(fd); }
  } closer{fd};
  Out_Buffer escaped;  // the name as the problems show it
  Open_Out_Buffer(escaped, -1, 0);
  Put_Escaped(escaped, name);
  Sheet_Check c{Text_Of(escaped), maps, summary_only ? nullptr : &out, tally,
                {},               {},   {},                            {}};
  c.state.F_Flag = F_Flag;
  c.state.Warnings = &c.warnings;
  Open_Out_Buffer(c.log, -1, 1 << 12);
  Open_Out_Buffer(c.catalog, -1, 1 << 12);

  std::string reason;
  Line_Reader reader;
  try {
    Open_Line_Reader(reader, fd);
    std::string_view info;
    while (Read_Line(reader, info)) Check_Line(c, info);
    if (reader.read_error != 0) reason = Reason_Of(reader.read_error);
  } catch (const std::bad_alloc&) {
    reason = "out of memory";
  }
  if (reason.empty() && c.open_event != 0)
    Warn_Unended(c, "before the end of the sheet");
  if (!reason.empty()) {
    // What the lines before the failure had is not the sheet's summary.
    Put_Unread(out, name, "read", reason);
    Report_Fatal(out, err, kCheck_Program, name, reason);
    return false;
  }
  Put_Escaped(out, name);
  Put_Text(out, ": ");
  Put_Text(out, Tally_Text(tally));
  Put_Char(out, '\n');
  return true;
}
