// Dispatch on the record letter.  See the header.
#include "driver/dispatch.h"

#include <cassert>

#include "records/amplitude_record.h"
#include "records/comment_record.h"
#include "records/event_record.h"
#include "records/phase_record.h"
#include "text/record_text.h"

Line_Result Dispatch_Line(std::string_view info, Conversion_State& s,
                          const Mapping_Tables& maps, Out_Buffer& f_err,
                          Out_Buffer& f_cnss) {
  const char Header = Record_Letter(info);
  const Record_Kind kind = Kind_Of(Header);
  const size_t written_at = f_cnss.size;
  s.Messages = 0;
  s.Rejected = false;
  switch (kind) {
    case Record_Kind::kIgnored:
      break;
    case Record_Kind::kEnd:
      if (s.Flag != 0) Put_Text(f_cnss, "$end\n");
      break;
    case Record_Kind::kEvent:
      Convert_Event(info, s, f_err, f_cnss);
      break;
    case Record_Kind::kPhase:
      Convert_Phase(info, s, maps, f_err, f_cnss);
      break;
    case Record_Kind::kAmplitude:
      Convert_Amplitude(info, Header, s, maps, f_err, f_cnss);
      break;
    case Record_Kind::kComment:
      Convert_Comment(info, s, f_cnss);
      break;
    case Record_Kind::kUnknown:
      // "\n Error : Header (%c) found in catalog."
      Note_Message(s, f_err.size, true);
      Put_Text(f_err, "\n Error : Header (");
      Put_Char(f_err, Header);
      Put_Text(f_err, ") found in catalog.");
  }
  Line_Result r;
  r.kind = kind;
  r.wrote = f_cnss.size != written_at;
  assert(s.Messages >= 0 && s.Messages <= Reading_State::kMost_Messages);
  r.messages = s.Messages;
  for (int i = 0; i < s.Messages; ++i) r.message_start[i] = s.Message_Start[i];
  if (s.Rejected)
    r.outcome = Line_Outcome::kRejected;
  else if (kind == Record_Kind::kIgnored || kind == Record_Kind::kEnd)
    r.outcome = r.wrote ? Line_Outcome::kWritten : Line_Outcome::kIgnored;
  else if (s.Flag == 0 && Is_Gated(kind) &&
           (kind != Record_Kind::kAmplitude || s.Zamp != 0.0f ||
            s.Namp != 0.0f || s.Eamp != 0.0f))
    r.outcome = Line_Outcome::kDropped;
  else
    r.outcome = r.wrote ? Line_Outcome::kWritten : Line_Outcome::kNothing;
  return r;
}
