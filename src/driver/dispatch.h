// Dispatch of one sheet line on its record letter.
#ifndef TREMVERT_DRIVER_DISPATCH_H_
#define TREMVERT_DRIVER_DISPATCH_H_

#include <string_view>

#include "driver/conversion_state.h"
#include "reference/code_lookup.h"
#include "text/output_buffer.h"

// The record letter of a line (never empty: it holds at least its line end):
// its first character, upper-cased by the C locale's rule (a to z become A
// to Z, every other byte stays).
inline char Record_Letter(std::string_view info) {
  const char c = info[0];
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Hands the line (with its line end) to the converter of its letter, writes
// "$end" for an end record under an open gate, ignores Q, L and I, and
// reports any other letter in the error log.
void Dispatch_Line(std::string_view info, Conversion_State& s,
                   const Mapping_Tables& maps, Out_Buffer& f_err,
                   Out_Buffer& f_cnss);

#endif  // TREMVERT_DRIVER_DISPATCH_H_
