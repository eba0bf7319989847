// The code lookup.  See the header.
#include "reference/code_lookup.h"

#include "text/record_text.h"

namespace {

void Apply_Component_Rule(std::string_view& Comp) {
  if (Comp == "NE" || Comp == "NZ" || Comp == "NEZ")
    Comp = "N";
  else if (Comp == "EZ")
    Comp = "E";
}

}  // namespace

bool Load_Station_Mapping(int f_stat, Mapping_Tables& tables,
                          std::string* err) {
  return Load_Mapping_Table(f_stat, 2, 1, tables.stations, err);
}

bool Load_Instrument_Mapping(int f_inst, Mapping_Tables& tables,
                             std::string* err) {
  return Load_Mapping_Table(f_inst, 3, 0, tables.instruments, err);
}

Number_SEED Get_Number_SEED(const Mapping_Tables& tables, std::string_view Stat,
                            std::string_view Inst, Out_Buffer& f,
                            std::string_view& Comp) {
  Apply_Component_Rule(Comp);
  Number_SEED codes;
  if (const char* station = Find_Mapping(tables.stations, Stat)) {
    codes.Network = Token_Before(tables.stations, station);
    codes.Station_Listed = true;
  }
  codes.Number = "99";
  if (Inst == "-") return codes;
  const char* instrument = Find_Mapping(tables.instruments, Inst);
  if (instrument == nullptr) {
    Put_Text(f, "\n Error [Unknown instrument] : ");  // "%s." of Inst
    Put_Text(f, Inst);
    Put_Char(f, '.');
    return codes;
  }
  const std::string_view number = Token_After(instrument, Inst.size(), 1);
  if (!number.empty()) {
    codes.Number = number;
    const std::string_view prefix = Token_After(instrument, Inst.size(), 2);
    if (!prefix.empty()) codes.Seed = {prefix, Comp};
  }
  return codes;
}
