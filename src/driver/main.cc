// Tremvert: converts one historical earthquake sheet into a CNSS catalog.
#include <cstdio>

#include "driver/conversion_run.h"

int main(int argc, char** argv) {
  return Run_Conversion(argc, argv, stdout, stderr);
}
