// Interruptions.  See the header.
#include "driver/interruption.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cassert>
#include <cstring>

#include "text/file_system.h"

namespace {

constexpr int kSlots = 3;
// The handler reads these; each slot is written only while the signals are
// held back.  Of a name's room, so no allocation is involved.
struct Registered {
  int folder;
  char name[kName_Room];
} new_files[kSlots];
const int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
// How many Interruption_Guards are alive: the signals are held while it is
// more than 0.  Only asserts read it.
int guards_held = 0;

extern "C" void Handle_Interruption(int signal_number) {
  Remove_New_Files();
  struct sigaction plain {};
  plain.sa_handler = SIG_DFL;
  sigaction(signal_number, &plain, nullptr);
  raise(signal_number);  // delivered, and fatal, once this handler returns
}

sigset_t Held_Signals() {
  sigset_t set;
  sigemptyset(&set);
  for (int s : kSignals) sigaddset(&set, s);
  return set;
}

}  // namespace

void Remove_New_Files_On_Interruption() {
  struct sigaction action {};
  action.sa_handler = Handle_Interruption;
  action.sa_mask = Held_Signals();
  for (int s : kSignals) {
    struct sigaction before;
    // A signal that the caller ignores (nohup) stays ignored.
    if (sigaction(s, nullptr, &before) == 0 && before.sa_handler == SIG_IGN)
      continue;
    sigaction(s, &action, nullptr);
  }
}

Interruption_Guard::Interruption_Guard() {
  const sigset_t set = Held_Signals();
  sigprocmask(SIG_BLOCK, &set, nullptr);
  ++guards_held;
}

Interruption_Guard::~Interruption_Guard() {
  assert(guards_held > 0);
  // An inner guard must not let the signals through under an outer one.
  if (--guards_held > 0) return;
  const sigset_t set = Held_Signals();
  sigprocmask(SIG_UNBLOCK, &set, nullptr);
}

void Drop_Held_Interruptions() {
  assert(guards_held > 0);
  const sigset_t set = Held_Signals();
  const struct timespec now {};
  while (sigtimedwait(&set, nullptr, &now) > 0) {
  }
}

void Register_New_File(int slot, int folder, const std::string& name) {
  // A file that was made has a name shorter than kName_Room.
  assert(slot >= 0 && slot < kSlots);
  assert(name.size() < sizeof new_files[slot].name);
  // The handler reads the table: it must never see a slot half written.
  assert(guards_held > 0);
  assert(name.empty() || folder >= 0 || folder == AT_FDCWD);
  assert(name.find('/') == std::string::npos);
  new_files[slot].folder = folder;
  std::memcpy(new_files[slot].name, name.c_str(), name.size() + 1);
}

void Remove_New_Files() {
  for (const Registered& file : new_files)
    if (file.name[0] != '\0') unlinkat(file.folder, file.name, 0);
}
