// Tremvert-check: says what is wrong with each line of historical sheets.
#include <cstdio>

#include "check/check_run.h"

int main(int argc, char** argv) {
  return Run_Check(argc, argv, stdout, stderr);
}
