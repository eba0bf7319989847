// The columns that several catalog records share: the date, and the event
// identifier column with the line end that closes every record but $fmt,
// $beg and $end.
#ifndef TREMVERT_RECORDS_CATALOG_RECORD_H_
#define TREMVERT_RECORDS_CATALOG_RECORD_H_

#include <string>

#include "text/output_buffer.h"
#include "text/record_text.h"

// Width of the event identifier column: "1" right-aligned, "%12s".
constexpr size_t kEvent_Id_Width = 12;

// "%4d%02d%02d": the date columns of $loc, $pic and $amp.
inline void Put_Date(Out_Buffer& r, int Year, int Month, int Day) {
  Put_Year(r, Year);
  Put_Two_Digits(r, Month);
  Put_Two_Digits(r, Day);
}

// "%12s\n" of C_EventId: the end of a record.
inline void Put_Record_End(Out_Buffer& r, const std::string& C_EventId) {
  Put_Right(r, C_EventId, kEvent_Id_Width);
  Put_Char(r, '\n');
}

#endif  // TREMVERT_RECORDS_CATALOG_RECORD_H_
