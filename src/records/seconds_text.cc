// The seconds text.  See the header.
#include "records/seconds_text.h"

#include <cstdio>

std::string Format_Seconds(float Second) {
  char text[64];  // a float needs at most 39 digits before the point
  std::snprintf(text, sizeof text, Second < 10.0f ? "0%6.4f" : "%7.4f",
                static_cast<double>(Second));
  return text;
}
