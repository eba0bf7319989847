// The converter's command line.  See the header.
#include "driver/command_line.h"

#include <string_view>

Command_Line Parse_Command_Line(int argc, const char* const* argv) {
  Command_Line c;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "--version") {
      c.what = arg == "--help" ? Command_Line::kHelp : Command_Line::kVersion;
      return c;
    }
  }
  if (argc < 2 || argc > 3) return c;
  int base = 1;
  if (argc == 3) {
    c.F_Flag = 1;
    // "-F demo", as the checker takes it, or "demo WORD": a second argument
    // selects the alternate layout whatever its text, as scripts may rely on.
    if (std::string_view(argv[1]) == "-F")
      base = 2;
    else if (std::string_view(argv[2]) != "-F")
      c.taken_as_F = argv[2];
  }
  std::string_view name = argv[base];
  if (!name.empty() && name[0] == '-') return c;  // an option, not a name
  constexpr std::string_view kSheet = ".sheet";
  if (name.ends_with(kSheet)) name.remove_suffix(kSheet.size());
  c.base = name;
  c.what = Command_Line::kConvert;
  return c;
}
