// The one conversion state of a run, in three parts: what the run holds from
// line to line (switches, the event gate, the date and time that travel from
// line to line, the event origin), what the current reading holds, and what
// the sheet checker observes.  Created with its initial values by the driver
// (or the checker) and shared by all converters.
//
// The reading's text fields are views of the line being converted (or of
// constants such as "Unknown"), valid while that line is converted: a token
// of any length is held whole, without a copy, and the catalog's column
// widths are minimums, so a longer value widens its record instead of being
// cut or written out of bounds.
#ifndef TREMVERT_RECORDS_CONVERSION_STATE_H_
#define TREMVERT_RECORDS_CONVERSION_STATE_H_

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "records/seconds_text.h"
#include "reference/number_seed.h"

// A date and clock time, as read or as normalised.
struct Clock {
  int32_t Year, Month, Day, Hour, Minute;
  float Second;
};

struct Run_State {
  // Switches.
  int F_Flag = 0;  // 1: alternate phase layout (time on the last field)
  int Flag = 0;    // the event gate, 1 open

  // Event identifier: always 1 / "1".
  int EventId = 1;
  std::string C_EventId = "1";

  // Date and time of the current event or reading, normalised in place.
  int32_t Year = 0, Month = 0, Day = 0, Hour = 0, Minute = 0;
  float Second = 0.0f;
  Seconds_Text C_Second;  // the seconds text of the latest event or reading

  // Event origin.
  float Latitude = 0.0f, Longitude = 0.0f, Depth = 0.0f, Mag = 0.0f;
};

struct Reading_State {
  std::string_view Sta_Name, Instrument, Onset, Phase_Type, Component;
  char G_Motion = ' ';
  float Zamp = 0.0f, Namp = 0.0f, Eamp = 0.0f, Freq = 0.0f;

  // Codes of the latest lookup.
  Number_SEED n_s;

  // What the current line left in the error log: where each message starts
  // (at most three, the lookups of an amplitude line; a phase line gives a
  // lookup's and a check's), and whether one of them rejected the line.
  // The driver's dispatch empties it before each line.
  static constexpr int kMost_Messages = 3;
  size_t Message_Start[kMost_Messages] = {};
  int Messages = 0;
  bool Rejected = false;
};

struct Check_Observations {
  // Where the converters say what they read but probably misread: set by the
  // sheet checker for each line, left unset by a conversion.
  std::vector<std::string>* Warnings = nullptr;

  // The latest phase reading's clock time as the sheet wrote it (its date
  // that of the state before the line), and its time field.
  Clock Read_Clock{};
  std::string_view Time_Field;

  // Whether an event has given the state its date: before that, a reading's
  // date is no date at all.
  bool Dated = false;
};

struct Conversion_State : Run_State, Reading_State, Check_Observations {};

// Notes a message that starts at `start` of the error log; `rejects`: it
// rejects the line.
inline void Note_Message(Reading_State& s, size_t start, bool rejects) {
  assert(s.Messages < Reading_State::kMost_Messages);
  if (s.Messages < Reading_State::kMost_Messages)
    s.Message_Start[s.Messages++] = start;
  s.Rejected |= rejects;
}

#endif  // TREMVERT_RECORDS_CONVERSION_STATE_H_
