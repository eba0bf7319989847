// The codes of one reading as the code lookup gives them: the number code
// and SEED channel code of the instrument, the network code of the station.
#ifndef TREMVERT_REFERENCE_NUMBER_SEED_H_
#define TREMVERT_REFERENCE_NUMBER_SEED_H_

#include <string>
#include <string_view>

// The SEED channel code: the instrument's SEED code prefix with the
// reading's component appended, kept as the two views, which is what a
// record needs to write it.  Empty when the instrument has no prefix.
struct Seed_Code {
  std::string_view prefix, component;
  size_t size() const { return prefix.size() + component.size(); }
  std::string Text() const { return std::string(prefix) += component; }
};

struct Number_SEED {
  // Views of the mapping text or of constants, and of the component that
  // the lookup was given (valid while its line is converted).
  std::string_view Number;  // number code ("99" when not found)
  Seed_Code Seed;           // SEED code prefix with the component appended
  std::string_view Network = "XX";  // network code ("XX" when not found)
  // Whether a mapping line lists the station (a line may also give "XX"),
  // for the sheet checker.
  bool Station_Listed = false;
};

#endif  // TREMVERT_REFERENCE_NUMBER_SEED_H_
