// Dispatch of one sheet line on its record letter, and what the line did.
#ifndef TREMVERT_DRIVER_DISPATCH_H_
#define TREMVERT_DRIVER_DISPATCH_H_

#include <cstddef>
#include <string_view>

#include "records/conversion_state.h"
#include "records/record_letter.h"
#include "reference/code_lookup.h"
#include "text/output_buffer.h"

enum class Line_Outcome : uint8_t {
  kIgnored,   // Q, L, I, and an end record under a closed gate
  kWritten,   // wrote one record or more
  kNothing,   // wrote nothing under an open gate, and nothing asked it to
              // (an amplitude line whose amplitudes all read as 0)
  kDropped,   // a reading or comment that the closed gate dropped, whole or
              // (a long comment) its last piece
  kRejected,  // rejected by a message of its own in the error log
};

struct Line_Result {
  Record_Kind kind = Record_Kind::kUnknown;
  Line_Outcome outcome = Line_Outcome::kIgnored;
  bool wrote = false;  // some record written (a dropped comment's full pieces)
  // The messages that the line left in the error log, in order: where each
  // starts, at its line end (they end where the next one starts).
  int messages = 0;
  size_t message_start[Reading_State::kMost_Messages];
};

// Hands the line (with its line end) to the converter of its letter, writes
// "$end" for an end record under an open gate, ignores Q, L and I, and
// reports any other letter in the error log.  Says what the line did.
Line_Result Dispatch_Line(std::string_view info, Conversion_State& s,
                          const Mapping_Tables& maps, Out_Buffer& f_err,
                          Out_Buffer& f_cnss);

#endif  // TREMVERT_DRIVER_DISPATCH_H_
