// Tremvert-check: says what is wrong with each line of historical sheets.
#include "check/check_run.h"
#include "driver/standard_streams.h"

int main(int argc, char** argv) {
  Keep_Standard_Descriptors();
  Ignore_File_Size_Signal();
  Out_Buffer out, err;
  Open_Out_Buffer(out, 1, 1 << 16);
  Open_Out_Buffer(err, 2, 1 << 12);
  return Run_Check(argc, argv, out, err);
}
