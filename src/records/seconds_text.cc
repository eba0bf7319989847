// The seconds text.  See the header.
#include "records/seconds_text.h"

#include "text/fixed_point.h"

void Format_Seconds(float Second, std::string& C_Second) {
  char text[kFixed_Room];
  if (Second < 10.0f) {  // "0%6.4f"
    C_Second.assign(1, '0');
    C_Second.append(text, Format_Fixed(text, Second, 6, 4, false));
  } else {  // "%7.4f"
    C_Second.assign(text, Format_Fixed(text, Second, 7, 4, false));
  }
}
