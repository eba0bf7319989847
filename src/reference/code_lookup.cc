// Mapping tables and the code lookup.  See the header.
#include "reference/code_lookup.h"

#include <string>

#include "records/sheet_fields.h"

namespace {

// Calls `each_line` for every line of the file, the last one included even
// without a line end; lines of any length are taken whole.
template <typename Each_Line>
void For_Each_Line(FILE* f, Each_Line each_line) {
  std::string text;
  char chunk[65536];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) text.append(chunk, n);
  std::string_view rest(text);
  while (!rest.empty()) {
    size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    each_line(Field_Cursor{line.data(), line.data() + line.size()});
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
}

}  // namespace

void Load_Station_Mapping(FILE* f_stat, Mapping_Tables& tables) {
  For_Each_Line(f_stat, [&](Field_Cursor c) {
    std::string_view network = Next_Field(c);
    std::string_view station = Next_Field(c);
    if (station.empty()) return;
    tables.Network_Of_Station.try_emplace(std::string(station), network);
  });
}

void Load_Instrument_Mapping(FILE* f_inst, Mapping_Tables& tables) {
  For_Each_Line(f_inst, [&](Field_Cursor c) {
    std::string_view code = Next_Field(c);
    if (code.empty()) return;
    std::string_view number = Next_Field(c);
    std::string_view prefix = Next_Field(c);
    tables.Codes_Of_Instrument.try_emplace(
        std::string(code),
        Instrument_Codes{std::string(number), std::string(prefix)});
  });
}

void Apply_Component_Rule(std::string& Comp) {
  if (Comp == "NE" || Comp == "NZ" || Comp == "NEZ")
    Comp.assign(1, 'N');
  else if (Comp == "EZ")
    Comp.assign(1, 'E');
}

Number_SEED Get_Number_SEED(const Mapping_Tables& tables,
                            const std::string& Stat, const std::string& Inst,
                            FILE* f, std::string& Comp) {
  Apply_Component_Rule(Comp);
  Number_SEED codes;

  auto station = tables.Network_Of_Station.find(Stat);
  codes.Network =
      station != tables.Network_Of_Station.end() ? station->second : "XX";

  codes.Number = "99";
  if (Inst == "-") return codes;
  auto instrument = tables.Codes_Of_Instrument.find(Inst);
  if (instrument == tables.Codes_Of_Instrument.end()) {
    std::fprintf(f, "\n Error [Unknown instrument] : %s.", Inst.c_str());
    return codes;
  }
  const Instrument_Codes& listed = instrument->second;
  if (!listed.Number.empty()) codes.Number = listed.Number;
  if (!listed.Seed_Prefix.empty()) codes.Seed = listed.Seed_Prefix + Comp;
  return codes;
}
