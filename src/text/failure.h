// How a call that can fail says so, in every folder of the project:
//
//   bool Do_Something(..., std::string* err);
//
// It returns true when it did what it says.  Otherwise it returns false and
// sets *err to the reason alone, in the system's words ("No such file or
// directory", from Reason_Of) or in the project's own ("not a regular
// file"); the caller adds what it was doing and to which file.  Nothing is
// half done unless the call's comment says what is left.
//
// Two things are not carried this way:
// - Memory that runs out is thrown (std::bad_alloc) and caught where a run
//   or a sheet can still end in order; a size limit that is not memory is an
//   ordinary failure with its own reason.
// - A stream keeps its first failure (Out_Buffer::failed, and the line
//   reader's read_error) so that writing or reading can go on without a test
//   after every call; the run looks at it once, when it closes the stream.
//
// Checks that answer a question about their input (Test_Event, Is_Decimal,
// Check_Form) are not calls that fail: they return whether the input passed
// (Test_Event and Test_Phase as the int 1 or 0 that their definition gives).
//
// Two kinds of call keep the system's own convention, -1 or false with errno
// set, and are named for it in their comments:
// - The file-system seam (File_System) and the small helpers that stand for
//   one system call (Clear_Nonblock, Make_New_File): their callers decide on
//   the errno value itself (EEXIST: another name; EACCES: a temporary file).
// - The replacement of the outputs (Replace_Outputs, Copy_Into_Place), which
//   may allocate nothing between its steps, not even a reason's text: it
//   keeps the errno value, and the caller makes the reason once it is over.
// Whichever it is, Last_Error() is the errno value to report.
#ifndef TREMVERT_TEXT_FAILURE_H_
#define TREMVERT_TEXT_FAILURE_H_

#include <string>

// The system's text for an errno value, or "input/output error" for 0.
std::string Reason_Of(int errnum);

// errno after a system call that failed, or EIO when it set none (a short
// write, a read of no bytes where some were due).
int Last_Error();

#endif  // TREMVERT_TEXT_FAILURE_H_
