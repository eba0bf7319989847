// The outputs' replacement.  See the header.
#include "driver/output_replacement.h"

#include <cerrno>
#include <utility>

#include "driver/fatal_failure.h"
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

// Step 2.
bool Put_In_Place(Output_File& o, std::string* err) {
  switch (o.mode) {
    case Output_File::kInPlace:
      return true;
    case Output_File::kTemporary:
      return Copy_Into_Place(o, err);
    case Output_File::kReplace:
      break;
  }
  if (System().Renameat(o.folder, o.new_name.c_str(), o.folder,
                        o.final_name.c_str()) != 0) {
    *err = Reason_Of(errno);
    return false;
  }
  Register_New_File(o.slot, o.folder, "");
  o.new_name.clear();
  return true;
}

// Step 3, for an output of rank 0 that is in place.
bool Put_Back(Output_File& o, std::string* err) {
  if (o.mode != Output_File::kReplace) return true;
  const int result =
      o.exists ? System().Renameat(o.folder, o.restore_name.c_str(), o.folder,
                                   o.final_name.c_str())
               : System().Unlinkat(o.folder, o.final_name.c_str());
  if (result != 0) {
    *err = Reason_Of(errno);
    if (o.exists)
      *err += "; the earlier file is kept as " + o.folder_path + o.restore_name;
    o.restore_name.clear();  // so that step 4 leaves it
    return false;
  }
  o.restore_name.clear();
  return true;
}

// Step 4.
void Drop_Earlier(Output_File& o) {
  if (o.restore_name.empty()) return;
  System().Unlinkat(o.folder, o.restore_name.c_str());
  o.restore_name.clear();
}

}  // namespace

bool Replace_Outputs(Output_File& first, Output_File& second,
                     std::vector<Replacement_Failure>& failures) {
  Keep_Earlier(first);
  Keep_Earlier(second);
  Output_File* order[] = {&first, &second};
  if (Rank(second) < Rank(first)) std::swap(order[0], order[1]);
  std::string reason;
  bool replaced = true;
  if (!Put_In_Place(*order[0], &reason)) {
    failures.push_back({order[0], reason});
    replaced = false;
  } else if (!Put_In_Place(*order[1], &reason)) {
    failures.push_back({order[1], reason});
    replaced = false;
    if (Rank(*order[0]) == 0 && !Put_Back(*order[0], &reason))
      failures.push_back({order[0], "could not be put back: " + reason});
  }
  Drop_Earlier(first);
  Drop_Earlier(second);
  return replaced;
}
