// Comment records (letters C and F): the line's free text as $com$rem
// records of 80 characters each.
#ifndef TREMVERT_RECORDS_COMMENT_RECORD_H_
#define TREMVERT_RECORDS_COMMENT_RECORD_H_

#include <string_view>

#include "records/conversion_state.h"
#include "text/output_buffer.h"

// `info` is the whole line with its line end.  Every full piece of 80
// characters is written whatever the gate; the last piece (0 to 79
// characters, blank-filled) only while the gate is open.
void Convert_Comment(std::string_view info, Conversion_State& s,
                     Out_Buffer& f_cnss);

#endif  // TREMVERT_RECORDS_COMMENT_RECORD_H_
