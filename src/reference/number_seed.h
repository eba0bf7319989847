// The codes of one reading as the code lookup gives them: the number code
// and SEED channel code of the instrument, the network code of the station.
#ifndef TREMVERT_REFERENCE_NUMBER_SEED_H_
#define TREMVERT_REFERENCE_NUMBER_SEED_H_

#include <string>
#include <string_view>

// The network code of a station that no mapping line lists: Network is this
// very text (the same characters, not only equal ones) in that case, which
// tells it from a mapping line that gives the network code XX.
inline constexpr std::string_view kUnlisted_Network = "XX";

struct Number_SEED {
  // Number and Network are views of the mapping text, or of constants.
  std::string_view Number;  // number code ("99" when not found)
  std::string Seed;         // SEED code prefix with the component appended
  std::string_view Network = kUnlisted_Network;  // network code
};

#endif  // TREMVERT_REFERENCE_NUMBER_SEED_H_
