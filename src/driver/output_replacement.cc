// The outputs' replacement.  See the header.
#include "driver/output_replacement.h"

#include <cassert>
#include <cerrno>
#include <utility>

#include "driver/interruption.h"
#include "text/file_system.h"

namespace {

// Step 1: whether the output can be put back once in place, with a second
// link to its earlier file made if it needs one.  Where none can be made (a
// file system without hard links, a file that the system protects from
// links by others), or for a copied output, it cannot.
bool Keep_Earlier(Output_File& o) {
  if (o.mode == Output_File::kTemporary) return false;
  if (o.mode == Output_File::kInPlace || !o.exists) return true;
  bool shorter = false;
  for (int attempt = 0; attempt < 100; ++attempt) {
    o.restore_name = Name_Beside(o, "earlier", shorter);
    if (System().Linkat(o.folder.get(), o.final_name.c_str(), o.folder.get(),
                        o.restore_name.c_str()) == 0)
      return true;
    o.restore_name.clear();
    if (errno == ENAMETOOLONG && !shorter)
      shorter = true;
    else if (errno != EEXIST)
      return false;
  }
  return false;
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
  assert(!o.new_name.empty());  // made, and not yet in place
  assert(o.out.fd < 0);         // written out and closed
  if (System().Renameat(o.folder.get(), o.new_name.c_str(), o.folder.get(),
                        o.final_name.c_str()) != 0)
    return errno;
  Register_New_File(o.slot, o.folder.get(), "");
  o.new_name.clear();
  return 0;
}

// Step 3, for the output put in place first: 0, or the errno of the
// failure.
int Put_Back(Output_File& o) {
  if (o.mode != Output_File::kReplace) return 0;
  assert(o.new_name.empty());                    // in place
  assert(!o.exists || !o.restore_name.empty());  // kept by step 1
  if ((o.exists ? System().Renameat(o.folder.get(), o.restore_name.c_str(),
                                    o.folder.get(), o.final_name.c_str())
                : System().Unlinkat(o.folder.get(), o.final_name.c_str())) != 0)
    return errno;
  o.restore_name.clear();
  return 0;
}

// Step 4.
void Drop_Earlier(Output_File& o) {
  if (o.restore_name.empty()) return;
  System().Unlinkat(o.folder.get(), o.restore_name.c_str());
  o.restore_name.clear();
}

}  // namespace

bool Replace_Outputs(Output_File& first, Output_File& second,
                     Replacement_Failure& failure) {
  // Only the output put in place first may have to be put back: the first
  // that can be (a second link is made for it alone), else a renamed one
  // before a copied one.
  assert(&first != &second);
  assert(failure.failed == nullptr && failure.not_put_back == nullptr);
  Output_File* order[] = {&first, &second};
  const bool first_back = Keep_Earlier(first);
  const bool second_back = !first_back && Keep_Earlier(second);
  if (second_back || (!first_back && first.mode == Output_File::kTemporary))
    std::swap(order[0], order[1]);
  if ((failure.error = Put_In_Place(*order[0])) != 0) {
    failure.failed = order[0];
  } else if ((failure.error = Put_In_Place(*order[1])) != 0) {
    failure.failed = order[1];
    if ((first_back || second_back) &&
        (failure.put_back_error = Put_Back(*order[0])) != 0)
      failure.not_put_back = order[0];
  }
  if (order[0] != failure.not_put_back) Drop_Earlier(*order[0]);
  return failure.failed == nullptr;
}
