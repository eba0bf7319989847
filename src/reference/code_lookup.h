// reference/: the reference data of a conversion: calendar normalisation of
// dates and times, the validity checks of events and phases, and the codes
// of stations and instruments from the mapping files.  It uses only text/.
//
// Lookup of a reading's network, number and SEED codes in the two mapping
// files.  Each file is read once into a table that keeps the first line of
// every station or instrument, so a lookup gives what a search of the file
// from its first line would give, at a cost that does not grow with the file.
#ifndef TREMVERT_REFERENCE_CODE_LOOKUP_H_
#define TREMVERT_REFERENCE_CODE_LOOKUP_H_

#include <string>
#include <unordered_map>

#include "reference/number_seed.h"
#include "text/output_buffer.h"

// What one instrument mapping line says of its instrument.  A line that stops
// after the instrument code still lists it; what it lacks takes the defaults
// ("99" for the number code, no SEED code).
struct Instrument_Codes {
  std::string Number;       // empty when the line has no number code
  std::string Seed_Prefix;  // empty when the line has no SEED code prefix
};

struct Mapping_Tables {
  // station name -> network code (first line listing the station)
  std::unordered_map<std::string, std::string> Network_Of_Station;
  // instrument code -> codes (first line listing the instrument)
  std::unordered_map<std::string, Instrument_Codes> Codes_Of_Instrument;
};

// Read "station.mapping.out": network code, station name per line.  A line
// without a station name lists nothing.  Returns 0, or the errno of a failed
// read (the table then holds what came before it).  Throws std::bad_alloc
// when the file does not fit in memory.
int Load_Station_Mapping(int f_stat, Mapping_Tables& tables);

// Read "instrument.mapping.out": instrument code, number code, SEED code
// prefix per line.  A blank line lists nothing.  Returns and throws as above.
int Load_Instrument_Mapping(int f_inst, Mapping_Tables& tables);

// The codes of one reading.  Rewrites Comp by the component rule first (the
// combined codes NE, NZ and NEZ become N, and EZ becomes E), then gives the
// station's network code ("XX" when no line lists it, silently) and the
// instrument's number code and SEED code ("99" and empty when no line lists
// it, with "\n Error [Unknown instrument] : %s." in the error log f).  The
// instrument "-" is neither searched nor reported.
Number_SEED Get_Number_SEED(const Mapping_Tables& tables,
                            const std::string& Stat, const std::string& Inst,
                            Out_Buffer& f, std::string& Comp);

// Whether a line of the station mapping file lists the station.
bool Is_Station_Listed(const Mapping_Tables& tables, const std::string& Stat);

#endif  // TREMVERT_REFERENCE_CODE_LOOKUP_H_
