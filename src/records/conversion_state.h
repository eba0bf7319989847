// The one conversion state of a run: switches, the event gate, the date and
// time that travel from line to line, and the fields of the current reading.
// Created with its initial values by the driver and shared by all converters.
//
// The reading's text fields are views of the line being converted (or of
// constants such as "Unknown"), valid while that line is converted: a token
// of any length is held whole, without a copy, and the catalog's column
// widths are minimums, so a longer value widens its record instead of being
// cut or written out of bounds.
#ifndef TREMVERT_DRIVER_CONVERSION_STATE_H_
#define TREMVERT_DRIVER_CONVERSION_STATE_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "records/seconds_text.h"
#include "reference/number_seed.h"

struct Conversion_State {
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

  // Reading.
  std::string_view Sta_Name, Instrument, Onset, Phase_Type, Component;
  char G_Motion = ' ';
  float Zamp = 0.0f, Namp = 0.0f, Eamp = 0.0f, Freq = 0.0f;

  // Codes of the latest lookup.
  Number_SEED n_s;

  // Where the converters say what they read but probably misread: set by the
  // sheet checker for each line, left unset by a conversion.
  std::vector<std::string>* Warnings = nullptr;
};

#endif  // TREMVERT_DRIVER_CONVERSION_STATE_H_
