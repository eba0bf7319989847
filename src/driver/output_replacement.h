// The replacement of a run's outputs, as one small transaction: both new
// outputs take their places, or neither does.
//
//   1. Keep each earlier file under a second name in its folder (a hard
//      link, "<output>.Tremvert-earlier-XXXXXX").
//   2. Put each output in place: rename its new file over its name (the
//      name itself is replaced, never a file that a link there leads to),
//      or copy its temporary file into it.  Outputs that cannot be put back
//      come last, a copied one the very last.
//   3. On a failure, put back what was put in place: rename the second link
//      over the name again, or remove an output that did not exist before.
//   4. Remove the second links.
//
// Call with the three signals held (Interruption_Guard), after everything
// else that can fail, standard output included.
#ifndef TREMVERT_DRIVER_OUTPUT_REPLACEMENT_H_
#define TREMVERT_DRIVER_OUTPUT_REPLACEMENT_H_

#include <string>
#include <vector>

#include "driver/output_file.h"

// A step that failed: the output and the reason.
struct Replacement_Failure {
  const Output_File* output;
  std::string reason;
};

// Puts the two outputs in place.  True when both are; otherwise false, with
// the step that failed first in `failures`, followed by any earlier file
// that could not be put back (its reason says where it is kept).
bool Replace_Outputs(Output_File& first, Output_File& second,
                     std::vector<Replacement_Failure>& failures);

#endif  // TREMVERT_DRIVER_OUTPUT_REPLACEMENT_H_
