// The files of a run that an interruption must not leave behind (its new
// files and its lock file): a run ended by SIGINT, SIGTERM or SIGHUP removes
// them before it ends, so that the files it would have replaced stay exactly
// as they were.
#ifndef TREMVERT_DRIVER_INTERRUPTION_H_
#define TREMVERT_DRIVER_INTERRUPTION_H_

#include <string>

// Installs the handlers: each removes the registered files, then ends the
// process by the same signal, as it would have ended without a handler.
void Remove_New_Files_On_Interruption();

// Holds back the three signals while a new file is created or put in place,
// (the whole replacement of the outputs is one such step),
// so that no file is left behind, or half the outputs replaced, between two
// steps; a signal that came meanwhile is handled when the guard goes.
struct Interruption_Guard {
  Interruption_Guard();
  ~Interruption_Guard();
  Interruption_Guard(const Interruption_Guard&) = delete;
  Interruption_Guard& operator=(const Interruption_Guard&) = delete;
};

// Under a guard, once the outputs are in place: a signal that came while they
// were put in place is dropped, since the run it would have ended is over.
void Drop_Held_Interruptions();

// The slots: one for each output's new file, one for the lock file.
inline constexpr int kLog_Slot = 0, kCatalog_Slot = 1, kLock_Slot = 2;

// Registers the file `name` of the folder open on `folder` under `slot`, or
// forgets the slot's file when `name` is empty.  A name is one component, so
// shorter than kName_Room.  Call under an Interruption_Guard.
void Register_New_File(int slot, int folder, const std::string& name);

// Removes the registered files: what the handlers do before the process
// ends.  Only calls that a signal handler may make (unlinkat with the
// folders' descriptors: nothing to allocate, no path to resolve again).
void Remove_New_Files();

#endif  // TREMVERT_DRIVER_INTERRUPTION_H_
