// The lock that keeps runs for the same outputs apart: while one run writes
// and replaces a pair of outputs, another run for the same outputs waits for
// it (as flock(1) does), so that the final pair always comes from one run.
//
// The lock is taken with flock on what the catalog's name leads to:
//   - the earlier catalog itself, when there is one;
//   - otherwise a lock file beside it, "<catalog>.Tremvert-lock" (or
//     "Tremvert-lock" beside a catalog name too long to take more), made for
//     the run and removed by it before it lets go.
// Runs for other base names lock other files, and never wait for each other.
// Converting an archive again thus makes no file but the outputs.
//
// The run also locks its new catalog as soon as it is made, and holds both
// locks to its end: from the moment the new catalog takes the name, a run
// that comes then waits on it.  So whatever a waiting run locked may no
// longer be at the name once it holds the lock (the earlier catalog,
// replaced; the lock file, removed): it checks, and starts again if not.
// Just before the outputs are replaced, the run checks once more that the
// name still leads to what it locked, and locks again if another program
// removed or replaced the catalog meanwhile, since a run started since then
// has locked something else.
//
// A catalog that is a character device or a FIFO keeps nothing to protect:
// the error log's name holds the lock then, in the same way, and with both
// such files there is none.  In a folder that refuses a new file no output
// can be made where there is none, and none is locked.
#ifndef TREMVERT_DRIVER_OUTPUT_LOCK_H_
#define TREMVERT_DRIVER_OUTPUT_LOCK_H_

#include <sys/types.h>

#include <string>

#include "driver/output_file.h"
#include "text/descriptor.h"

struct Output_Lock {
  const Output_File* beside = nullptr;  // the output whose name holds it
  Descriptor held;   // what is locked at its name: earlier file or lock file
  dev_t device = 0;  // and which file that is
  ino_t inode = 0;
  std::string name;  // the lock file's name, in that output's folder
                     // (empty: none was made)
  Descriptor made;   // the output's new file, locked once made
};

// Waits for the lock of the outputs and takes it.  Call once the outputs are
// found, before their earlier files are opened.  False, with the reason, when
// it cannot be taken; `beside` is the output it was to be taken for.
bool Lock_Outputs(Output_Lock& lock, const Output_File& catalog,
                  const Output_File& log, std::string* err);

// Locks the new file of the output that holds the lock, once made.  False,
// with the reason, when it cannot be locked.
bool Lock_New_File(Output_Lock& lock, std::string* err);

// Checks, just before the outputs are replaced, that the name still leads
// to what was locked, and locks again if not.  False, with the reason, when
// the lock cannot be taken again.
bool Confirm_Lock(Output_Lock& lock, std::string* err);

// Removes the lock file, if one was made, and lets the locks go.  Before the
// outputs' folders are closed.
void Unlock_Outputs(Output_Lock& lock);

#endif  // TREMVERT_DRIVER_OUTPUT_LOCK_H_
