// Tremvert: converts one historical earthquake sheet into a CNSS catalog.
#include "driver/conversion_run.h"
#include "driver/interruption.h"
#include "driver/standard_streams.h"

int main(int argc, char** argv) {
  Keep_Standard_Descriptors();
  Ignore_Write_Signals();
  Remove_New_Files_On_Interruption();
  Out_Buffer out, err;
  Open_Out_Buffer(out, 1, 1 << 12);
  Open_Out_Buffer(err, 2, 1 << 12);
  return Run_Conversion(argc, argv, out, err);
}
