// The columns that several catalog records share: the date, and the event
// identifier column with the line end that closes every record but $fmt,
// $beg and $end.
#ifndef TREMVERT_RECORDS_CATALOG_RECORD_H_
#define TREMVERT_RECORDS_CATALOG_RECORD_H_

#include <cassert>
#include <string>

#include "records/conversion_state.h"
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

// For the records of the usual widths: whether a date takes its eight
// columns exactly, and its "%4d%02d%02d" at p.
inline bool Is_Usual_Date(int Year, int Month, int Day) {
  return Year >= 1000 && Year <= 9999 && Month >= 0 && Month <= 99 &&
         Day >= 0 && Day <= 99;
}
// And whether the columns that $pic and $amp share take their values at their
// usual widths: the date, station, network, number code and event identifier.
inline bool Is_Usual_Reading(const Conversion_State& s) {
  return Is_Usual_Date(s.Year, s.Month, s.Day) && s.Sta_Name.size() <= 5 &&
         s.n_s.Network.size() <= 2 && s.n_s.Number.size() <= 3 &&
         s.C_EventId.size() <= kEvent_Id_Width;
}
inline void Set_Date(char* p, int Year, int Month, int Day) {
  assert(Is_Usual_Date(Year, Month, Day));
  Set_Four_Digits(p, Year);
  Set_Two_Digits(p + 4, Month);
  Set_Two_Digits(p + 6, Day);
}

// And the record's end "%12s\n" at p, over blanks, for an identifier of at
// most 12 characters.
inline void Set_Record_End(char* p, std::string_view C_EventId) {
  assert(C_EventId.size() <= kEvent_Id_Width);
  Set_Right(p, kEvent_Id_Width, C_EventId);
  p[kEvent_Id_Width] = '\n';
}

// "%12s\n" of C_EventId: the end of a record.
inline void Put_Record_End(Out_Buffer& r, const std::string& C_EventId) {
  Put_Right(r, C_EventId, kEvent_Id_Width);
  Put_Char(r, '\n');
}

#endif  // TREMVERT_RECORDS_CATALOG_RECORD_H_
