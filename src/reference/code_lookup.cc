// Mapping tables and the code lookup.  See the header.
#include "reference/code_lookup.h"

#include "text/fields.h"
#include "text/line_reader.h"
#include "text/record_text.h"

namespace {

// Calls `each_line` for every line of the file, the last one included even
// without a line end; lines of any length are taken whole.  Returns 0, or the
// errno of a failed read.
template <typename Each_Line>
int For_Each_Line(int f, Each_Line each_line) {
  Line_Reader reader;
  Open_Line_Reader(reader, f);
  std::string_view line;
  while (Read_Line(reader, line)) each_line(Fields_Of(line));
  return reader.read_error;
}

void Apply_Component_Rule(std::string& Comp) {
  if (Comp == "NE" || Comp == "NZ" || Comp == "NEZ")
    Comp.assign(1, 'N');
  else if (Comp == "EZ")
    Comp.assign(1, 'E');
}

}  // namespace

int Load_Station_Mapping(int f_stat, Mapping_Tables& tables) {
  return For_Each_Line(f_stat, [&](Field_Cursor c) {
    std::string_view network = Next_Field(c);
    std::string_view station = Next_Field(c);
    if (station.empty()) return;
    tables.Network_Of_Station.try_emplace(std::string(station), network);
  });
}

int Load_Instrument_Mapping(int f_inst, Mapping_Tables& tables) {
  return For_Each_Line(f_inst, [&](Field_Cursor c) {
    std::string_view code = Next_Field(c);
    if (code.empty()) return;
    std::string_view number = Next_Field(c);
    std::string_view prefix = Next_Field(c);
    tables.Codes_Of_Instrument.try_emplace(
        std::string(code),
        Instrument_Codes{std::string(number), std::string(prefix)});
  });
}

Number_SEED Get_Number_SEED(const Mapping_Tables& tables,
                            const std::string& Stat, const std::string& Inst,
                            Out_Buffer& f, std::string& Comp) {
  Apply_Component_Rule(Comp);
  Number_SEED codes;

  auto station = tables.Network_Of_Station.find(Stat);
  codes.Network =
      station != tables.Network_Of_Station.end() ? station->second : "XX";

  codes.Number = "99";
  if (Inst == "-") return codes;
  auto instrument = tables.Codes_Of_Instrument.find(Inst);
  if (instrument == tables.Codes_Of_Instrument.end()) {
    Put_Text(f, "\n Error [Unknown instrument] : ");  // "%s." of Inst
    Put_Text(f, Inst);
    Put_Char(f, '.');
    return codes;
  }
  const Instrument_Codes& listed = instrument->second;
  if (!listed.Number.empty()) codes.Number = listed.Number;
  if (!listed.Seed_Prefix.empty()) codes.Seed = listed.Seed_Prefix + Comp;
  return codes;
}

bool Is_Station_Listed(const Mapping_Tables& tables, const std::string& Stat) {
  return tables.Network_Of_Station.count(Stat) != 0;
}
