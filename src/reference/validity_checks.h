// Validity checks of an event origin and of a phase reading's date and time.
// Each reports the first field out of range in the error log and returns 0,
// or returns 1 without writing.  Values that are not numbers pass.
#ifndef TREMVERT_REFERENCE_VALIDITY_CHECKS_H_
#define TREMVERT_REFERENCE_VALIDITY_CHECKS_H_

#include <cstdint>

#include "text/output_buffer.h"

int Test_Event(int EventId, int32_t Year, int32_t Month, int32_t Day,
               int32_t Hour, int32_t Minute, float Second, float Latitude,
               float Longitude, float Depth, Out_Buffer& f);

int Test_Phase(int EventId, int32_t Year, int32_t Month, int32_t Day,
               int32_t Hour, int32_t Minute, float Second, Out_Buffer& f);

#endif  // TREMVERT_REFERENCE_VALIDITY_CHECKS_H_
