// Dispatch on the record letter.  See the header.
#include "driver/dispatch.h"

#include "records/amplitude_record.h"
#include "records/comment_record.h"
#include "records/event_record.h"
#include "records/phase_record.h"

char Record_Letter(std::string_view info) {
  char c = info[0];
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

void Dispatch_Line(std::string_view info, Conversion_Run& run) {
  Conversion_State& s = run.state;
  char Header = Record_Letter(info);
  switch (Header) {
    case 'Q':
    case 'L':
    case 'I':
      break;
    case 'X':
      if (s.Flag != 0) std::fputs("$end\n", run.f_cnss);
      break;
    case 'E':
      Convert_Event(info, s, run.f_err, run.f_cnss);
      break;
    case 'P':
      Convert_Phase(info, s, run.maps, run.f_err, run.f_cnss);
      break;
    case 'D':
    case 'A':
    case 'S':
    case 'B':
      Convert_Amplitude(info, Header, s, run.maps, run.f_err, run.f_cnss);
      break;
    case 'C':
    case 'F':
      Convert_Comment(info, s, run.f_cnss);
      break;
    default:
      std::fprintf(run.f_err, "\n Error : Header (%c) found in catalog.",
                   Header);
  }
}
