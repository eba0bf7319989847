// One sheet checked: every line run through the converters themselves, with
// the catalog discarded; the dispatch says what each line did and where each
// of its error-log messages starts, so that each problem is reported with the
// line it belongs to.
#ifndef TREMVERT_CHECK_SHEET_CHECK_H_
#define TREMVERT_CHECK_SHEET_CHECK_H_

#include <string>

#include "reference/code_lookup.h"
#include "text/output_buffer.h"

// What a sheet holds, and what its conversion makes of it.
struct Sheet_Tally {
  long lines = 0, events = 0, converted = 0, rejected = 0, readings = 0,
       dropped = 0, errors = 0, warnings = 0;
};

void Add_Tally(Sheet_Tally& total, const Sheet_Tally& sheet);

// "12 lines, 2 events (1 converted, 1 rejected), 5 readings written,
// 1 dropped, 3 errors, 4 warnings".
std::string Tally_Text(const Sheet_Tally& t);

// Checks the sheet `name` with the mapping tables and the layout of F_Flag,
// writing one line for each problem to `out` unless `summary_only`, and the
// sheet's summary line.  False, with the reason, when the sheet cannot be
// opened or read; its summary line then says so instead of giving counts
// ("b.sheet: could not be read: Is a directory").
bool Check_Sheet(const std::string& name, const Mapping_Tables& maps,
                 int F_Flag, bool summary_only, Out_Buffer& out,
                 Sheet_Tally& tally, std::string* err);

#endif  // TREMVERT_CHECK_SHEET_CHECK_H_
