// Event records (letter E): the origin of one earthquake.  Sets the event
// gate and, for an event that passes its checks, writes $beg, $loc and $mag.
#ifndef TREMVERT_RECORDS_EVENT_RECORD_H_
#define TREMVERT_RECORDS_EVENT_RECORD_H_

#include <string_view>

#include "records/conversion_state.h"
#include "text/output_buffer.h"

void Convert_Event(std::string_view info, Conversion_State& s,
                   Out_Buffer& f_err, Out_Buffer& f_cnss);

#endif  // TREMVERT_RECORDS_EVENT_RECORD_H_
