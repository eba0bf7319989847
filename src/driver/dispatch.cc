// Dispatch on the record letter.  See the header.
#include "driver/dispatch.h"

#include "records/amplitude_record.h"
#include "records/comment_record.h"
#include "records/event_record.h"
#include "records/phase_record.h"
#include "text/record_text.h"

void Dispatch_Line(std::string_view info, Conversion_State& s,
                   const Mapping_Tables& maps, Out_Buffer& f_err,
                   Out_Buffer& f_cnss) {
  char Header = Record_Letter(info);
  switch (Header) {
    case 'Q':
    case 'L':
    case 'I':
      break;
    case 'X':
      if (s.Flag != 0) Put_Text(f_cnss, "$end\n");
      break;
    case 'E':
      Convert_Event(info, s, f_err, f_cnss);
      break;
    case 'P':
      Convert_Phase(info, s, maps, f_err, f_cnss);
      break;
    case 'D':
    case 'A':
    case 'S':
    case 'B':
      Convert_Amplitude(info, Header, s, maps, f_err, f_cnss);
      break;
    case 'C':
    case 'F':
      Convert_Comment(info, s, f_cnss);
      break;
    default:
      // "\n Error : Header (%c) found in catalog."
      Put_Text(f_err, "\n Error : Header (");
      Put_Char(f_err, Header);
      Put_Text(f_err, ") found in catalog.");
  }
}
