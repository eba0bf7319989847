// Tremvert-check: says what is wrong with each line of historical sheets.
#include <cstdio>

#include "check/check_run.h"
#include "driver/standard_streams.h"

int main(int argc, char** argv) {
  Keep_Standard_Descriptors();
  return Run_Check(argc, argv, stdout, stderr);
}
