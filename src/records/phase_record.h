// Phase records (letter P): one phase reading of a station, instrument and
// component, written as a $pic record under an open event gate.
#ifndef TREMVERT_RECORDS_PHASE_RECORD_H_
#define TREMVERT_RECORDS_PHASE_RECORD_H_

#include <string_view>

#include "records/conversion_state.h"
#include "reference/code_lookup.h"
#include "text/output_buffer.h"

void Convert_Phase(std::string_view info, Conversion_State& s,
                   const Mapping_Tables& maps, Out_Buffer& f_err,
                   Out_Buffer& f_cnss);

#endif  // TREMVERT_RECORDS_PHASE_RECORD_H_
