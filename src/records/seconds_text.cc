// The seconds text.  See the header.
#include "records/seconds_text.h"

#include "records/record_text.h"

void Format_Seconds(float Second, std::string& C_Second) {
  C_Second.clear();
  if (Second < 10.0f) {  // "0%6.4f"
    Put_Char(C_Second, '0');
    Put_Fixed(C_Second, Second, 6, 4, false);
  } else {  // "%7.4f"
    Put_Fixed(C_Second, Second, 7, 4, false);
  }
}
