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

// The $amp record of one component of the reading in the state, of the
// amplitude `value` on `channel`, with the frequency text C_Freq: by the fast
// writer, which writes it only when every value fits its usual columns
// (false: nothing written), and by the general one, for any widths.
// Convert_Amplitude uses both; the tests prove them equal.
bool Write_Amp_Usual(Out_Buffer& r, const Conversion_State& s, float value,
                     const Seed_Code& channel, std::string_view C_Freq);
void Write_Amp_Any(Out_Buffer& r, const Conversion_State& s, float value,
                   const Seed_Code& channel, std::string_view C_Freq);

#endif  // TREMVERT_RECORDS_AMPLITUDE_RECORD_H_
