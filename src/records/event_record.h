// Event records (letter E): the origin of one earthquake.  Sets the event
// gate and, for an event that passes its checks, writes $beg, $loc and $mag.
#ifndef TREMVERT_RECORDS_EVENT_RECORD_H_
#define TREMVERT_RECORDS_EVENT_RECORD_H_

#include <cstdio>
#include <string>
#include <string_view>

#include "driver/conversion_state.h"

// A latitude or longitude token in decimal degrees or in the degrees-minutes
// form DD-MMMM / DDD-MMMM, as degrees (not negated).  A leading sign belongs
// to the whole value.  Computed in double precision, rounded once.
float Read_Coordinate(std::string_view token);

void Convert_Event(std::string_view info, Conversion_State& s, FILE* f_err,
                   FILE* f_cnss);

#endif  // TREMVERT_RECORDS_EVENT_RECORD_H_
