// driver/: the runs themselves: the command line, the files and their
// failures, the outputs replaced at the end of a run, the line loop with the
// dispatch on the record letter, and the conversion state's definition.  It
// uses records/, reference/ and text/.
//
// The converter's command line: "Tremvert <Historical file> [-F]", with -F
// before or after the base name, --help and --version.  No mistake is taken
// as an instruction: an unknown option where the base name goes is a usage
// error, and a second word other than -F is said to be taken as -F.
#ifndef TREMVERT_DRIVER_COMMAND_LINE_H_
#define TREMVERT_DRIVER_COMMAND_LINE_H_

#include <string>

struct Command_Line {
  enum What { kConvert, kUsage, kHelp, kVersion } what = kUsage;
  std::string base;       // the base name, without a ".sheet" it was given with
  int F_Flag = 0;         // 1: the alternate phase layout
  std::string taken_as_F;  // a second word other than -F, taken as -F
};

Command_Line Parse_Command_Line(int argc, const char* const* argv);

#endif  // TREMVERT_DRIVER_COMMAND_LINE_H_
