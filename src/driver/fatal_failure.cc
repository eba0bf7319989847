// Failure lines.  See the header.
#include "driver/fatal_failure.h"

#include "text/escaped_text.h"
#include "text/record_text.h"

void Report_Fatal(Out_Buffer& out, Out_Buffer& err, const char* program,
                  std::string_view file, std::string_view reason) {
  Flush_Out(out);
  Put_Text(err, program);
  Put_Text(err, ": ");
  Put_Escaped(err, file);
  Put_Text(err, ": ");
  Put_Escaped(err, reason);
  Put_Char(err, '\n');
  Flush_Out(err);
}

bool Flush_Output(Out_Buffer& out, Out_Buffer& err, const char* program) {
  if (Flush_Out(out)) return true;
  Report_Fatal(out, err, program, "standard output", Reason_Of(out.failed));
  return false;
}
