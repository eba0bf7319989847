// records/: one converter for each family of sheet records, reading its
// fields and writing its catalog records.  It uses reference/ and text/, and
// the conversion state that the driver defines.
//
// Amplitude records (letters D, A, S, B): the amplitudes of one station and
// instrument on up to three components, one $amp record for each non-zero
// component in the order Z, N, E, under an open event gate.
#ifndef TREMVERT_RECORDS_AMPLITUDE_RECORD_H_
#define TREMVERT_RECORDS_AMPLITUDE_RECORD_H_

#include <string_view>

#include "records/conversion_state.h"
#include "reference/code_lookup.h"
#include "text/output_buffer.h"

// `letter` is the upper-cased record letter: 'D', 'A', 'S' or 'B'.
void Convert_Amplitude(std::string_view info, char letter, Conversion_State& s,
                       const Mapping_Tables& maps, Out_Buffer& f_err,
                       Out_Buffer& f_cnss);

#endif  // TREMVERT_RECORDS_AMPLITUDE_RECORD_H_
