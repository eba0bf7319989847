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
#include "reference/code_lookup.h"
#include "text/line_reader.h"

namespace {

constexpr std::string_view kMessage_Start = "\n Error";

// An output that the converters write into memory, read after each line.
struct Memory_File {
  FILE* f = nullptr;
  char* data = nullptr;
  size_t size = 0;
};

// What the converters wrote for the current line; the file then starts over.
std::string_view Take_Line_Output(Memory_File& m) {
  std::fflush(m.f);
  std::string_view written(m.data, m.size);
  std::fseek(m.f, 0, SEEK_SET);
  return written;
}

// Writes "SHEET:LINE: KIND: TEXT" with each control character of the text as
// an escape, so that every problem stays on one line.
void Put_Problem(FILE* out, const std::string& sheet, long line,
                 const char* kind, std::string_view text) {
  std::fprintf(out, "%s:%ld: %s: ", sheet.c_str(), line, kind);
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

bool Is_Reading(char letter) {
  return std::string_view("PDASB").find(letter) != std::string_view::npos;
}

// The letters whose lines a closed gate drops.
bool Is_Gated(char letter) {
  return Is_Reading(letter) || letter == 'C' || letter == 'F';
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
                 bool summary_only, FILE* out, FILE* err, Sheet_Tally& t) {
  errno = 0;
  FILE* sheet = std::fopen(name.c_str(), "r");
  if (sheet == nullptr) {
    Report_Fatal(err, "Tremvert-check", name, Reason_Of(errno));
    return false;
  }
  Memory_File log, catalog;
  log.f = open_memstream(&log.data, &log.size);
  catalog.f = open_memstream(&catalog.data, &catalog.size);
  if (log.f == nullptr || catalog.f == nullptr) {
    Report_Fatal(err, "Tremvert-check", name, "out of memory");
    for (Memory_File* m : {&log, &catalog})
      if (m->f != nullptr) std::fclose(m->f), std::free(m->data);
    std::fclose(sheet);
    return false;
  }
  std::vector<std::string> warnings;
  const int F_Flag = run.state.F_Flag;
  run.state = Conversion_State{};
  run.state.F_Flag = F_Flag;
  run.state.Warnings = &warnings;
  run.f_err = log.f;
  run.f_cnss = catalog.f;

  auto problem = [&](const char* kind, std::string_view text) {
    if (!summary_only) Put_Problem(out, name, t.lines, kind, text);
  };
  long open_event = 0;  // the line of an event that no X has ended yet
  long last_event = 0;  // the line of the latest event
  auto unended = [&](const char* where) {
    ++t.warnings;
    problem("warning", "the event at line " + std::to_string(open_event) +
                           " is not ended with X " + where);
  };

  Line_Reader reader;
  std::string reason;
  try {
    Open_Line_Reader(reader, sheet);
    std::string_view info;
    while (Read_Line(reader, info)) {
      ++t.lines;
      const char letter = Record_Letter(info);
      const bool gate_was_open = run.state.Flag != 0;
      if (letter == 'E' && open_event != 0) unended("before this event");
      if (letter == 'E') open_event = last_event = t.lines;
      if (letter == 'X') open_event = 0;

      warnings.clear();
      Dispatch_Line(info, run);
      std::string_view written = Take_Line_Output(catalog);
      bool rejected = false;
      for (std::string_view message : Messages_Of(Take_Line_Output(log))) {
        ++t.errors;
        rejected |= message.rfind("Error [Unknown instrument]", 0) != 0;
        problem("error", message);
      }

      long records = 0;
      for (char c : written) records += c == '\n';
      if (letter == 'E') {
        ++t.events;
        ++(run.state.Flag != 0 ? t.converted : t.rejected);
      }
      if (Is_Reading(letter)) t.readings += records;
      if (Is_Reading(letter) && records > 0 &&
          !Is_Station_Listed(run.maps, run.state.Sta_Name))
        warnings.push_back("station \"" + run.state.Sta_Name +
                           "\" is on no line of station.mapping.out: "
                           "written with network XX");
      for (const std::string& text : warnings) problem("warning", text);
      t.warnings += warnings.size();

      if (!gate_was_open && !rejected && Is_Gated(letter)) {
        ++t.dropped;
        std::string what =
            records > 0 ? "the comment's last piece dropped" : "dropped";
        problem("note", last_event == 0
                            ? what + ": no event before it"
                            : what + ": the event at line " +
                                  std::to_string(last_event) + " was rejected");
      }
    }
    if (reader.read_error != 0) reason = Reason_Of(reader.read_error);
  } catch (const std::bad_alloc&) {
    reason = "out of memory";
  }
  if (reason.empty() && open_event != 0) unended("before the end of the sheet");
  run.state.Warnings = nullptr;
  for (Memory_File* m : {&log, &catalog}) {
    std::fclose(m->f);
    std::free(m->data);
  }
  std::fclose(sheet);
  std::fprintf(out, "%s: %s\n", name.c_str(), Tally_Text(t).c_str());
  if (!reason.empty()) Report_Fatal(err, "Tremvert-check", name, reason);
  return reason.empty();
}
