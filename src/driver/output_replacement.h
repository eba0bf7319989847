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

#include "driver/output_file.h"

// What failed, kept without allocating (nothing that can fail, running out
// of memory included, may come between two steps).
struct Replacement_Failure {
  const Output_File* failed = nullptr;  // the step that failed, and its errno
  int error = 0;
  // An output put in place that could not be put back, and its errno; its
  // earlier file stays at its restore_name then.
  Output_File* not_put_back = nullptr;
  int put_back_error = 0;
};

// Puts the two outputs in place.  True when both are; otherwise false, with
// what failed in `failure`.
bool Replace_Outputs(Output_File& first, Output_File& second,
                     Replacement_Failure& failure);

#endif  // TREMVERT_DRIVER_OUTPUT_REPLACEMENT_H_
