// driver/: the runs themselves: the command line, the files and their
// failures, the outputs replaced at the end of a run, the line loop with the
// dispatch on the record letter, and --each over many sheets.  It uses
// records/, reference/ and text/.
//
// The converter's command line, read without touching any file:
//
//   Tremvert [OPTION]... NAME [-F]
//   Tremvert [OPTION]... --each SHEET...
//
// Options come before the names, in any order, each at most once: -F,
// --each, --stations FILE, --instruments FILE, --output-dir DIR, --help,
// --version, and "--", after which every word is a name.  An option's value
// is the next word, or follows "=" (--stations=FILE); a value that is missing,
// empty, or a next word that begins with "-" is a usage error (write
// ./-name for a file whose name begins with "-").  --help and --version
// anywhere before "--" win over everything else.
//
// No mistake is taken as an instruction: an unknown option where a name goes
// is a usage error.  The one-sheet form keeps its old reading: a second word
// after NAME selects the alternate layout whatever its text, and is said to
// be taken as -F unless it is "-F" (or empty), as scripts may rely on; but a
// second word that is one of the options added since (--each, --stations,
// --instruments, --output-dir) is a usage error, and so is a second word when
// -F came before NAME.  With --each, every name is a sheet; an option after
// the first sheet is a usage error, unless "--" came first.  --each with no
// sheet converts none: xargs runs the command once even for an empty list.
#ifndef TREMVERT_DRIVER_COMMAND_LINE_H_
#define TREMVERT_DRIVER_COMMAND_LINE_H_

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

// The words it names are views into argv, which lives as long as the program:
// reading it allocates nothing beyond the one-sheet form's base name, so that
// it cannot run out of memory.
struct Command_Line {
  enum What { kConvert, kUsage, kHelp, kVersion } what = kUsage;
  std::string base;        // the one-sheet form's base name, without a ".sheet"
                           // it was given with; empty with --each
  int F_Flag = 0;          // 1: the alternate phase layout, for every sheet
  std::string taken_as_F;  // a second word other than -F, taken as -F
  bool each = false;       // --each
  std::span<const char* const>
      sheets;  // the words naming the sheets to
               // convert, in order (Base_Of gives their base
               // names): the one-sheet form's NAME alone, or every
               // name after --each (maybe none)
  std::string_view stations;     // the station mapping file
  std::string_view instruments;  // the instrument mapping file
  std::string_view output_dir;   // empty: the outputs go beside each sheet
};

Command_Line Parse_Command_Line(int argc, const char* const* argv);

// The usage text, written with status 1 for a wrong command line, and the
// --help text, which begins with it and lists every option.
extern const char kUsage_Text[];
extern const char kHelp_Text[];

// The base name of a sheet named on the command line: the name without a
// final ".sheet".
std::string_view Base_Of(std::string_view name);

// The path before ".vrn.cnss" and ".error.log" of the outputs of the sheet
// `base`: `base` itself, or with --output-dir, DIR/NAME where NAME is the
// last component of `base` (the sheet's file name without ".sheet").
std::string Output_Base(const Command_Line& c, std::string_view base);

// With --output-dir, two sheets of the same NAME would write the same files:
// true, with the indexes in `sheets` of the first such pair (*first <
// *second).  Always false without --output-dir.  Throws std::bad_alloc.
bool Find_Name_Clash(const Command_Line& c, size_t* first, size_t* second);

#endif  // TREMVERT_DRIVER_COMMAND_LINE_H_
