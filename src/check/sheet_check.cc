// One sheet checked.  See the header.
#include "check/sheet_check.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <new>
#include <string_view>
#include <utility>
#include <vector>

#include "check/event_distance.h"
#include "driver/dispatch.h"
#include "records/misreadings.h"
#include "reference/code_lookup.h"
#include "text/descriptor.h"
#include "text/escaped_text.h"
#include "text/failure.h"
#include "text/fields.h"
#include "text/file_system.h"
#include "text/line_reader.h"
#include "text/record_text.h"

namespace {

// "SHEET:LINE: KIND: TEXT", the sheet's name escaped already.
void Put_Problem(Out_Buffer& out, std::string_view sheet, long line,
                 const char* kind, std::string_view text) {
  Put_Text(out, sheet);
  Put_Char(out, ':');
  Put_Text(out, std::to_string(line));
  Put_Text(out, ": ");
  Put_Text(out, kind);
  Put_Text(out, ": ");
  Put_Escaped(out, text, true);
  Put_Char(out, '\n');
}

// The summary line of a sheet that could not be read: it never gives counts,
// so that no survey takes it for a clean sheet.
void Put_Unread(Out_Buffer& out, const std::string& name, const char* what,
                const std::string& reason) {
  Put_Escaped(out, name, true);
  Put_Text(out, ": could not be ");
  Put_Text(out, what);
  Put_Text(out, ": ");
  Put_Escaped(out, reason, true);
  Put_Char(out, '\n');
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
  long ended_at = 0;    // the X that wrote the latest event's $end, or 0
  Event_Distance distance;
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

// A line whose second character is not white space: the converters read it
// from its third character on, whatever the second is.
void Warn_Second_Column(Sheet_Check& c, std::string_view info) {
  if (info.size() < 3 || Is_Field_Space(info[1])) return;
  Field_Cursor f = Fields_Of_Sheet_Line(info);
  c.warnings.push_back(Quoted("the second character", info.substr(1, 1)) +
                       " is not a blank: it is skipped, and the line read "
                       "from " +
                       Quoted("", Next_Field(f)).substr(1));
}

// A comment's carriage return before the line end, and a cut inside a UTF-8
// character between two pieces, both written into the catalog.
void Warn_Comment(Sheet_Check& c, std::string_view info,
                  std::string_view written) {
  if (info.size() >= 2 && info[info.size() - 2] == '\r' &&
      written.find('\r') != std::string_view::npos)
    c.warnings.push_back(
        "the line ends with a carriage return, copied into the comment (a "
        "sheet with CRLF line ends)");
  const std::string_view text =
      info.size() > 3 ? info.substr(2, info.size() - 3) : std::string_view();
  for (size_t k = 80; k < text.size(); k += 80) {
    const unsigned char next = text[k], before = text[k - 1];
    if ((next & 0xC0) == 0x80 && before >= 0x80) {
      c.warnings.push_back(
          "the comment is cut into pieces of 80 bytes inside a UTF-8 "
          "character after byte " +
          std::to_string(k) + ": the catalog is not valid UTF-8 there");
      return;
    }
  }
}

// Converts one line and reports what the conversion made of it.  (Inlined
// in the loop over the lines: a call for each line costs more than the
// checks of most lines.)
[[gnu::always_inline]] inline void Check_Line(Sheet_Check& c,
                                              std::string_view info) {
  Sheet_Tally& t = c.t;
  Conversion_State& s = c.state;
  ++t.lines;
  const Record_Kind kind = Kind_Of(Record_Letter(info));
  const bool gate_was_open = s.Flag != 0;
  if (kind == Record_Kind::kEvent && c.open_event != 0)
    Warn_Unended(c, "before this event");
  if (kind == Record_Kind::kEvent) c.open_event = c.last_event = t.lines;
  if (kind == Record_Kind::kEnd) c.open_event = 0;

  c.warnings.clear();
  c.log.size = c.catalog.size = 0;
  if (kind != Record_Kind::kEnd && kind != Record_Kind::kIgnored &&
      kind != Record_Kind::kUnknown)
    Warn_Second_Column(c, info);
  if (kind == Record_Kind::kPhase) Before_Phase(c.distance, s);
  const Line_Result r = Dispatch_Line(info, s, c.maps, c.log, c.catalog);
  const std::string_view written = Text_Of(c.catalog);
  // The records: each ends with its line end.  Only amplitude lines write
  // more than one reading.
  long records = r.wrote;
  if (kind == Record_Kind::kAmplitude)
    for (size_t at = written.find('\n'); at + 1 < written.size();
         at = written.find('\n', at + 1))
      ++records;
  if (kind == Record_Kind::kEvent) {
    ++t.events;
    ++(s.Flag != 0 ? t.converted : t.rejected);
    After_Event(c.distance, s, t.lines, s.Flag != 0);
    c.ended_at = 0;
  }
  // A line that the converter warned of already is misread in its own way;
  // where its reading lands follows from that.
  const bool misread = !c.warnings.empty();
  if (Is_Reading(kind)) {
    t.readings += records;
    if (records > 0 && !s.n_s.Station_Listed)
      c.warnings.push_back(Quoted("station", s.Sta_Name) +
                           " is on no line of station.mapping.out: written "
                           "with network XX");
  }
  // (A phase line rejected by its form moved nothing.)
  if (kind == Record_Kind::kPhase && !Is_Usual_Phase(c.distance, s)) {
    std::string text = After_Phase(c.distance, s, t.lines, r.wrote);
    if (misread) text.clear();
    if (!text.empty()) c.warnings.push_back(std::move(text));
  }
  if (kind == Record_Kind::kAmplitude && r.wrote &&
      !Is_On_Origin_Date(c.distance, s)) {
    std::string text = After_Amplitude(c.distance, s);
    if (!text.empty()) c.warnings.push_back(std::move(text));
  }
  if (kind == Record_Kind::kComment && r.wrote) Warn_Comment(c, info, written);
  if (c.ended_at != 0 && r.wrote && gate_was_open) {
    if (kind == Record_Kind::kEnd)
      c.warnings.push_back("a second end record for the event at line " +
                           std::to_string(c.last_event) +
                           ": writes a second $end");
    else
      c.warnings.push_back("written after the end record at line " +
                           std::to_string(c.ended_at) +
                           ", outside any event block");
  }
  if (kind == Record_Kind::kEnd && c.ended_at == 0 && r.wrote)
    c.ended_at = t.lines;

  // The warnings first: they say what was read, which the errors judge.
  for (const std::string& text : c.warnings) Problem(c, "warning", text);
  t.warnings += c.warnings.size();
  const std::string_view log = Text_Of(c.log);
  for (int i = 0; i < r.messages; ++i) {
    const size_t start = r.message_start[i];
    const size_t end = i + 1 < r.messages ? r.message_start[i + 1] : log.size();
    ++t.errors;
    // Without its leading line end and blank.
    Problem(c, "error", log.substr(start + 2, end - start - 2));
  }

  if (r.outcome == Line_Outcome::kDropped) {
    ++t.dropped;
    std::string text = r.wrote ? "the comment's last piece dropped" : "dropped";
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
                 Sheet_Tally& tally, std::string* err) {
  // Closed whichever way the check ends, a lack of memory included.
  const Descriptor fd(System().Open(name.c_str(), O_RDONLY | O_CLOEXEC, 0));
  if (!fd.is_open()) {
    *err = Reason_Of(errno);
    Put_Unread(out, name, "opened", *err);
    return false;
  }
  Out_Buffer escaped;  // the name as the problems show it
  Open_Out_Buffer(escaped, -1, 0);
  Put_Escaped(escaped, name, true);
  Sheet_Check c{Text_Of(escaped),
                maps,
                summary_only ? nullptr : &out,
                tally,
                {},
                {},
                {},
                {},
                0,
                0,
                0,
                {}};
  c.state.F_Flag = F_Flag;
  c.state.Warnings = &c.warnings;
  Open_Out_Buffer(c.log, -1, 1 << 12);
  Open_Out_Buffer(c.catalog, -1, 1 << 12);

  std::string reason;
  Line_Reader reader;
  try {
    Open_Line_Reader(reader, fd.get());
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
    *err = std::move(reason);
    return false;
  }
  Put_Escaped(out, name, true);
  Put_Text(out, ": ");
  Put_Text(out, Tally_Text(tally));
  Put_Char(out, '\n');
  return true;
}
