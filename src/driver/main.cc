// Tremvert: converts one historical earthquake sheet into a CNSS catalog.
#include <cstdio>

#include "driver/conversion_run.h"
#include "driver/standard_streams.h"

int main(int argc, char** argv) {
  Keep_Standard_Descriptors();
  Ignore_Write_Signals();
  return Run_Conversion(argc, argv, stdout, stderr);
}
