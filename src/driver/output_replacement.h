// The replacement of a run's outputs, as one small transaction: both new
// outputs take their places, or neither does.
//
//   1. Keep the earlier file of the output to be put in place first under a
//      second name in its folder (a hard link, "<output>.Tremvert-earlier-
//      XXXXXX"): the catalog's, or the error log's where the catalog's
//      cannot be linked.  The output put in place last never needs putting
//      back.  A copied output goes last.
//   2. Put each output in place: rename its new file over its name (the
//      name itself is replaced, never a file that a link there leads to),
//      or copy its temporary file into it.
//   3. When the second fails, put back the first: rename the second link
//      over its name again, or remove it if it did not exist before.
//   4. Remove the second link.
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
