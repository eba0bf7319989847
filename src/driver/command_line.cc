// The converter's command line.  See the header.
#include "driver/command_line.h"

#include <algorithm>
#include <cassert>
#include <vector>

#include "driver/mapping_files.h"

#define TREMVERT_USAGE                   \
  "\n Tremvert <Historical file> [-F]\n" \
  "-F: alternate phase format (time on the last field).\n\n"

const char kUsage_Text[] = TREMVERT_USAGE;

const char kHelp_Text[] = TREMVERT_USAGE
    "Usage: Tremvert [OPTION]... NAME [-F]\n"
    "       Tremvert [OPTION]... --each SHEET...\n"
    "Converts the sheet NAME.sheet into the CNSS catalog NAME.vrn.cnss, with\n"
    "the records it rejects in NAME.error.log.  A name that ends in .sheet\n"
    "names the sheet itself.  Options come before the names.\n"
    "\n"
    "  -F                  alternate phase layout (time on the last field)\n"
    "  --each              convert every SHEET named, in order, in one "
    "process\n"
    "                      that reads the mapping files once; a sheet that\n"
    "                      fails does not stop the others\n"
    "  --stations FILE     station mapping file (default station.mapping.out)\n"
    "  --instruments FILE  instrument mapping file\n"
    "                      (default instrument.mapping.out)\n"
    "  --output-dir DIR    write DIR/NAME.vrn.cnss and DIR/NAME.error.log,\n"
    "                      NAME being the sheet's file name without .sheet\n"
    "  --help              write this text\n"
    "  --version           write the version\n"
    "  --                  every word after it is a name\n"
    "\n"
    "Exit status: 0 when every sheet was converted, 1 otherwise.\n"
    "See man Tremvert, and man Tremvert-check for checking a sheet first.\n";

#undef TREMVERT_USAGE

namespace {

// The options that take a value, and where the value goes.
struct Valued_Option {
  std::string_view name;
  std::string_view Command_Line::*field;
};
constexpr Valued_Option kValued[] = {
    {"--stations", &Command_Line::stations},
    {"--instruments", &Command_Line::instruments},
    {"--output-dir", &Command_Line::output_dir},
};

// An option added with --each: as the second word of the one-sheet form it is
// a mistake, not a word to take as -F.
bool Is_New_Option(std::string_view arg) {
  if (arg == "--each") return true;
  for (const Valued_Option& o : kValued)
    if (arg.starts_with(o.name) &&
        (arg.size() == o.name.size() || arg[o.name.size()] == '='))
      return true;
  return false;
}

}  // namespace

std::string_view Base_Of(std::string_view name) {
  constexpr std::string_view kSheet = ".sheet";
  if (name.ends_with(kSheet)) name.remove_suffix(kSheet.size());
  return name;
}

Command_Line Parse_Command_Line(int argc, const char* const* argv) {
  Command_Line c;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--") break;
    if (arg == "--help" || arg == "--version") {
      c.what = arg == "--help" ? Command_Line::kHelp : Command_Line::kVersion;
      return c;
    }
  }
  const Command_Line usage;  // returned for any mistake
  bool F_option = false, ended = false;
  // The options, up to the first name: all the words after it are names
  // (a one-sheet form's second word included).
  int first = 1;
  for (; first < argc; ++first) {
    const std::string_view arg = argv[first];
    if (ended || arg.empty() || arg[0] != '-') break;
    if (arg == "--") {
      ended = true;
    } else if (arg == "-F") {
      if (F_option) return usage;
      F_option = true;
    } else if (arg == "--each") {
      if (c.each) return usage;
      c.each = true;
    } else {
      const Valued_Option* found = nullptr;
      std::string_view value;
      for (const Valued_Option& o : kValued) {
        if (!arg.starts_with(o.name)) continue;
        if (arg.size() == o.name.size()) {
          if (first + 1 >= argc) return usage;
          value = argv[++first];
          if (value.starts_with("-")) return usage;
        } else if (arg[o.name.size()] == '=') {
          value = arg.substr(o.name.size() + 1);
        } else {
          continue;
        }
        found = &o;
        break;
      }
      if (found == nullptr || value.empty() || !(c.*found->field).empty())
        return usage;
      c.*found->field = value;
    }
  }
  const std::span<const char* const> names(argv + first, argv + argc);
  c.F_Flag = F_option;
  if (c.each) {
    // With --each, options come before the first sheet (or after "--").
    if (!ended)
      for (std::string_view name : names.subspan(names.empty() ? 0 : 1))
        if (name.starts_with("-")) return usage;
    c.sheets = names;
  } else {
    if (names.empty() || names.size() > 2) return usage;
    if (names.size() == 2) {
      // The second word is -F whatever its text, but for the options added
      // with --each, and when -F came before the name.
      const std::string_view second = names[1];
      if (F_option || (!ended && Is_New_Option(second))) return usage;
      c.F_Flag = 1;
      if (second != "-F") c.taken_as_F = second;
    }
    c.base = Base_Of(names[0]);
    c.sheets = names.first(1);
  }
  if (c.stations.empty()) c.stations = kStation_Mapping;
  if (c.instruments.empty()) c.instruments = kInstrument_Mapping;
  c.what = Command_Line::kConvert;
  return c;
}

std::string Output_Base(const Command_Line& c, std::string_view base) {
  if (c.output_dir.empty()) return std::string(base);
  const size_t slash = base.rfind('/');
  if (slash != std::string_view::npos) base.remove_prefix(slash + 1);
  std::string path(c.output_dir);
  if (!path.ends_with('/')) path += '/';
  path += base;
  return path;
}

bool Find_Name_Clash(const Command_Line& c, size_t* first, size_t* second) {
  if (c.output_dir.empty()) return false;
  auto name = [&c](size_t i) {
    const std::string_view base = Base_Of(c.sheets[i]);
    const size_t slash = base.rfind('/');
    return slash == std::string_view::npos ? base : base.substr(slash + 1);
  };
  // Indexes sorted by NAME, then by position: equal NAMEs are neighbours,
  // the earlier sheet first.
  std::vector<size_t> order(c.sheets.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    const std::string_view x = name(a), y = name(b);
    return x < y || (x == y && a < b);
  });
  bool found = false;
  for (size_t k = 1; k < order.size(); ++k) {
    if (name(order[k - 1]) != name(order[k])) continue;
    // The pair whose second sheet comes first on the command line: its
    // neighbour is then the first sheet of that NAME.
    if (!found || order[k] < *second) {
      *first = order[k - 1];
      *second = order[k];
      found = true;
    }
  }
  assert(!found || *first < *second);
  return found;
}
