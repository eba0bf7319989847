// The codes of one reading as the code lookup gives them: the number code
// and SEED channel code of the instrument, the network code of the station.
#ifndef TREMVERT_REFERENCE_NUMBER_SEED_H_
#define TREMVERT_REFERENCE_NUMBER_SEED_H_

#include <string>

struct Number_SEED {
  std::string Number;   // number code ("99" when not found) of the instrument
  std::string Seed;     // SEED code prefix with the component appended
  std::string Network;  // network code ("XX" when not found) of the station
};

#endif  // TREMVERT_REFERENCE_NUMBER_SEED_H_
