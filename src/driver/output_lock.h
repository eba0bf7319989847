// The lock that keeps runs for the same outputs apart: while one run writes
// and replaces a pair of outputs, another run for the same outputs waits for
// it (as flock(1) does), so that the final pair always comes from one run.
//
// The lock is a file beside the catalog, "<catalog>.Tremvert-lock" (or
// "Tremvert-lock" beside a catalog name too long to take more), locked with
// flock.  Runs for other base names lock other files, and never wait for
// each other.  The file is removed by the run that holds the lock before it
// lets go, so a waiting run checks, once it holds the lock, that the name
// still leads to the file it locked, and starts again if not.  In a folder
// that refuses a new file, the catalog itself is locked.  A catalog that is a
// character device or a FIFO keeps nothing to protect: the error log's
// folder holds the lock then, and with both such files there is none.
#ifndef TREMVERT_DRIVER_OUTPUT_LOCK_H_
#define TREMVERT_DRIVER_OUTPUT_LOCK_H_

#include <string>

#include "driver/output_file.h"
#include "text/descriptor.h"

struct Output_Lock {
  const Output_File* beside = nullptr;  // the output whose folder holds it
  int folder = -1;   // the folder of the lock file (the output's: not owned)
  std::string name;  // the lock file's name there; empty: an output's own
  Descriptor fd;     // the locked file, while locked
};

// Waits for the lock of the outputs and takes it.  Call once the outputs are
// found, before their earlier files are opened.  False, with the reason, when
// it cannot be taken; `beside` is the output it was to be taken beside.
bool Lock_Outputs(Output_Lock& lock, const Output_File& catalog,
                  const Output_File& log, std::string* err);

// Removes the lock file and lets the lock go.  Before the outputs' folders
// are closed.
void Unlock_Outputs(Output_Lock& lock);

#endif  // TREMVERT_DRIVER_OUTPUT_LOCK_H_
