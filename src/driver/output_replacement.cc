// The outputs' replacement.  See the header.
#include "driver/output_replacement.h"

#include <cerrno>
#include <utility>

#include "driver/interruption.h"
#include "text/file_system.h"

namespace {

// Step 1: a second link to the earlier file, so that it can be put back.
// Where none can be made (a file system without hard links, a file that the
// system protects from links by others), the output goes without one.
void Keep_Earlier(Output_File& o) {
  if (o.mode != Output_File::kReplace || !o.exists) return;
  bool shorter = false;
  for (int attempt = 0; attempt < 100; ++attempt) {
    o.restore_name = Name_Beside(o, "earlier", shorter);
    if (System().Linkat(o.folder, o.final_name.c_str(), o.folder,
                        o.restore_name.c_str()) == 0)
      return;
    o.restore_name.clear();
    if (errno == ENAMETOOLONG && !shorter) shorter = true;
    else if (errno != EEXIST) return;
  }
}

// Whether the output can be put back once in place: 0 yes, 1 no, 2 no and
// it may be cut if its copy fails.
int Rank(const Output_File& o) {
  if (o.mode == Output_File::kTemporary) return 2;
  return o.mode == Output_File::kReplace && o.exists && o.restore_name.empty();
}

// Step 2: 0, or the errno of the failure.
int Put_In_Place(Output_File& o) {
  switch (o.mode) {
    case Output_File::kInPlace:
      return 0;
    case Output_File::kTemporary:
      return Copy_Into_Place(o);
    case Output_File::kReplace:
      break;
  }
  if (System().Renameat(o.folder, o.new_name.c_str(), o.folder,
                        o.final_name.c_str()) != 0)
    return errno;
  Register_New_File(o.slot, o.folder, "");
  o.new_name.clear();
  return 0;
}

// Step 3, for an output of rank 0 that is in place: 0, or the errno of the
// failure.
int Put_Back(Output_File& o) {
  if (o.mode != Output_File::kReplace) return 0;
  if ((o.exists ? System().Renameat(o.folder, o.restore_name.c_str(), o.folder,
                                    o.final_name.c_str())
                : System().Unlinkat(o.folder, o.final_name.c_str())) != 0)
    return errno;
  o.restore_name.clear();
  return 0;
}

// Step 4.
void Drop_Earlier(Output_File& o) {
  if (o.restore_name.empty()) return;
  System().Unlinkat(o.folder, o.restore_name.c_str());
  o.restore_name.clear();
}

}  // namespace

bool Replace_Outputs(Output_File& first, Output_File& second,
                     Replacement_Failure& failure) {
  Keep_Earlier(first);
  Keep_Earlier(second);
  Output_File* order[] = {&first, &second};
  if (Rank(second) < Rank(first)) std::swap(order[0], order[1]);
  if ((failure.error = Put_In_Place(*order[0])) != 0) {
    failure.failed = order[0];
  } else if ((failure.error = Put_In_Place(*order[1])) != 0) {
    failure.failed = order[1];
    if (Rank(*order[0]) == 0 &&
        (failure.put_back_error = Put_Back(*order[0])) != 0)
      failure.not_put_back = order[0];
  }
  for (Output_File* o : order)
    if (o != failure.not_put_back) Drop_Earlier(*o);
  return failure.failed == nullptr;
}
