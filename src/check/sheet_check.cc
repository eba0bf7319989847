// One sheet checked.  See the header.
#include "check/sheet_check.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string_view>
#include <vector>

#include "driver/dispatch.h"
#include "driver/fatal_failure.h"
#include "records/misreadings.h"
#include "reference/code_lookup.h"
#include "text/line_reader.h"

namespace {

constexpr const char* kProgram = "Tremvert-check";
constexpr std::string_view kMessage_Start = "\n Error";

// An output that the converters write into memory, read after each line.
struct Memory_File {
  FILE* f = nullptr;
  char* data = nullptr;
  size_t size = 0;
};

void Close_Memory_File(Memory_File& m) {
  if (m.f != nullptr) std::fclose(m.f);
  std::free(m.data);
}

// What the converters wrote for the current line; the file then starts over.
// Throws std::bad_alloc when the memory could not hold it all.
std::string_view Take_Line_Output(Memory_File& m) {
  if (std::fflush(m.f) != 0 || std::ferror(m.f)) throw std::bad_alloc();
  std::string_view written(m.data, m.size);
  std::fseek(m.f, 0, SEEK_SET);
  return written;
}

// Writes the text with each control character as an escape, so that every
// problem stays on one line.
void Put_Escaped(FILE* out, std::string_view text) {
  for (unsigned char c : text) {
    if (c == '\n')
      std::fputs("\\n", out);
    else if (c == '\t')
      std::fputs("\\t", out);
    else if (c == '\r')
      std::fputs("\\r", out);
    else if (c < 0x20 || c == 0x7f)
      std::fprintf(out, "\\x%02x", c);
    else
      std::fputc(c, out);
  }
}

// "SHEET:LINE: KIND: TEXT".
void Put_Problem(FILE* out, const std::string& sheet, long line,
                 const char* kind, std::string_view text) {
  Put_Escaped(out, sheet);
  std::fprintf(out, ":%ld: %s: ", line, kind);
  Put_Escaped(out, text);
  std::fputc('\n', out);
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

bool Is_Amplitude(char letter) {
  return std::string_view("DASB").find(letter) != std::string_view::npos;
}

bool Is_Reading(char letter) { return letter == 'P' || Is_Amplitude(letter); }

// The letters whose lines a closed gate drops.
bool Is_Gated(char letter) {
  return Is_Reading(letter) || letter == 'C' || letter == 'F';
}

// One sheet's check between its lines.
struct Sheet_Check {
  const std::string& name;
  Conversion_Run& run;
  FILE* out;  // nullptr: the summary alone
  Sheet_Tally& t;
  Memory_File log, catalog;
  std::vector<std::string> warnings;
  long open_event = 0;  // the line of an event that no X has ended yet
  long last_event = 0;  // the line of the latest event
};

void Problem(const Sheet_Check& c, const char* kind, std::string_view text) {
  if (c.out != nullptr) Put_Problem(c.out, c.name, c.t.lines, kind, text);
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
  Conversion_State& s = c.run.state;
  ++t.lines;
  const char letter = Record_Letter(info);
  const bool gate_was_open = s.Flag != 0;
  if (letter == 'E' && c.open_event != 0) Warn_Unended(c, "before this event");
  if (letter == 'E') c.open_event = c.last_event = t.lines;
  if (letter == 'X') c.open_event = 0;

  c.warnings.clear();
  Dispatch_Line(info, c.run);
  const std::string_view written = Take_Line_Output(c.catalog);
  bool rejected = false;  // by a message of its own
  for (std::string_view message : Messages_Of(Take_Line_Output(c.log))) {
    ++t.errors;
    rejected |= message.rfind("Error [Unknown instrument]", 0) != 0;
    Problem(c, "error", message);
  }

  const long records = std::count(written.begin(), written.end(), '\n');
  if (letter == 'E') {
    ++t.events;
    ++(s.Flag != 0 ? t.converted : t.rejected);
  }
  if (Is_Reading(letter)) {
    t.readings += records;
    if (records > 0 && !Is_Station_Listed(c.run.maps, s.Sta_Name))
      c.warnings.push_back(Quoted("station", s.Sta_Name) +
                           " is on no line of station.mapping.out: written "
                           "with network XX");
  }
  for (const std::string& text : c.warnings) Problem(c, "warning", text);
  t.warnings += c.warnings.size();

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

bool Check_Sheet(const std::string& name, Conversion_Run& run,
                 bool summary_only, FILE* out, FILE* err, Sheet_Tally& tally) {
  errno = 0;
  FILE* sheet = std::fopen(name.c_str(), "r");
  if (sheet == nullptr) {
    Report_Fatal(err, kProgram, name, Reason_Of(errno));
    return false;
  }
  Sheet_Check c{name, run, summary_only ? nullptr : out, tally, {}, {}, {}};
  c.log.f = open_memstream(&c.log.data, &c.log.size);
  c.catalog.f = open_memstream(&c.catalog.data, &c.catalog.size);
  std::string reason;
  if (c.log.f == nullptr || c.catalog.f == nullptr) reason = "out of memory";
  const int F_Flag = run.state.F_Flag;
  run.state = Conversion_State{};
  run.state.F_Flag = F_Flag;
  run.state.Warnings = &c.warnings;
  run.f_err = c.log.f;
  run.f_cnss = c.catalog.f;

  Line_Reader reader;
  try {
    Open_Line_Reader(reader, sheet);
    std::string_view info;
    while (reason.empty() && Read_Line(reader, info)) Check_Line(c, info);
    if (reader.read_error != 0) reason = Reason_Of(reader.read_error);
  } catch (const std::bad_alloc&) {
    reason = "out of memory";
  }
  if (reason.empty() && c.open_event != 0)
    Warn_Unended(c, "before the end of the sheet");
  run.state.Warnings = nullptr;
  Close_Memory_File(c.log);
  Close_Memory_File(c.catalog);
  std::fclose(sheet);
  Put_Escaped(out, name);
  std::fprintf(out, ": %s\n", Tally_Text(tally).c_str());
  if (!reason.empty()) Report_Fatal(err, kProgram, name, reason);
  return reason.empty();
}
