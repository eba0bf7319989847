// reference/: the reference data of a conversion: calendar normalisation of
// dates and times, the validity checks of events and phases, and the codes
// of stations and instruments from the mapping files.  It uses only text/.
//
// Lookup of a reading's network, number and SEED codes in the two mapping
// files, each read once into a table that keeps the first line of every
// station or instrument: a lookup gives what a search of the file from its
// first line would give, at a cost that does not grow with the file.
#ifndef TREMVERT_REFERENCE_CODE_LOOKUP_H_
#define TREMVERT_REFERENCE_CODE_LOOKUP_H_

#include <string>
#include <string_view>

#include "reference/mapping_table.h"
#include "reference/number_seed.h"
#include "text/output_buffer.h"

struct Mapping_Tables {
  Mapping_Table stations;     // network code, station name
  Mapping_Table instruments;  // instrument code, number code, SEED prefix
};

// Read "station.mapping.out": network code, station name per line.  A line
// without a station name lists nothing.  False, with the reason, when the
// file cannot be read whole (see Load_Mapping_Table).  Throws std::bad_alloc
// when the file does not fit in memory.
bool Load_Station_Mapping(int f_stat, Mapping_Tables& tables, std::string* err);

// Read "instrument.mapping.out": instrument code, number code, SEED code
// prefix per line.  A blank line lists nothing; a line of the code alone
// lists the instrument with the default codes.  Fails and throws as above.
bool Load_Instrument_Mapping(int f_inst, Mapping_Tables& tables,
                             std::string* err);

// The codes of one reading.  Rewrites Comp by the component rule first (the
// combined codes NE, NZ and NEZ become N, and EZ becomes E), then gives the
// station's network code ("XX" when no line lists it, silently) and the
// instrument's number code and SEED code ("99" and empty when no line lists it,
// with "\n Error [Unknown instrument] : %s." in the error log f).  The
// instrument "-" is neither searched nor reported.
Number_SEED Get_Number_SEED(const Mapping_Tables& tables, std::string_view Stat,
                            std::string_view Inst, Out_Buffer& f,
                            std::string_view& Comp);

#endif  // TREMVERT_REFERENCE_CODE_LOOKUP_H_
