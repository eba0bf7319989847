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

// The $pic record of the reading in the state, with the onset letter
// `onset`: by the fast writer, which writes it only when every value fits
// its usual columns (false: nothing written), and by the general one, for
// any widths.  Convert_Phase uses both; the tests prove them equal.
bool Write_Pic_Usual(Out_Buffer& r, const Conversion_State& s, char onset);
void Write_Pic_Any(Out_Buffer& r, const Conversion_State& s, char onset);

#endif  // TREMVERT_RECORDS_PHASE_RECORD_H_
