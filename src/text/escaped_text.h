// text/: the bottom layer, which every other layer uses: fields of a line
// and lenient numbers, whole lines read from a file, text built with
// printf's conversions and written to a file, all through the one seam to
// the operating system (file_system.h).  It uses only the standard library
// and the system's calls.
//
// Text shown on one line whatever it holds: a control character becomes
// "\n", "\t", "\r" or "\xhh", so that a file name or a token can never split
// a message in two.  Bytes from 0x80 on stay as they are (UTF-8 stays
// readable).  With `backslash`, a backslash becomes "\\", so that a
// literal "\n" cannot pass for an escaped line end (the checker's lines).
#ifndef TREMVERT_TEXT_ESCAPED_TEXT_H_
#define TREMVERT_TEXT_ESCAPED_TEXT_H_

#include <string_view>

#include "text/output_buffer.h"

void Put_Escaped(Out_Buffer& r, std::string_view text, bool backslash = false);

#endif  // TREMVERT_TEXT_ESCAPED_TEXT_H_
