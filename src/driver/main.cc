// Tremvert: converts one historical earthquake sheet into a CNSS catalog.
#include <cstdio>

#include "driver/conversion_run.h"
#include "driver/standard_streams.h"

int main(int argc, char** argv) {
  Prepare_Standard_Streams();
  return Run_Conversion(argc, argv, stdout, stderr);
}
