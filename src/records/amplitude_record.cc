// Amplitude records.  See the header.
#include "records/amplitude_record.h"

#include <string>

#include "records/sheet_fields.h"

namespace {

// "%6.2f" or "%5.3f" of a single-precision value; at most 39 digits before
// the point, so the text always fits.
struct Number_Text {
  char text[64];
};

Number_Text Format(const char* format, float value) {
  Number_Text t;
  std::snprintf(t.text, sizeof t.text, format, static_cast<double>(value));
  return t;
}

}  // namespace

void Convert_Amplitude(std::string_view info, char letter, Conversion_State& s,
                       const Mapping_Tables& maps, FILE* f_err, FILE* f_cnss) {
  Field_Cursor c = Fields_Of_Sheet_Line(info);
  s.Sta_Name = Next_Field(c);
  s.Instrument = Next_Field(c);
  std::string_view freq;
  if (letter == 'B') freq = Next_Field(c);
  if (letter == 'D') Next_Field(c);
  std::string_view zamp = Next_Field(c);
  if (letter == 'D') Next_Field(c);
  std::string_view namp = Next_Field(c);
  if (letter == 'D') Next_Field(c);
  std::string_view eamp = Next_Field(c);

  // A missing token reads as 0: no record for that component.
  s.Zamp = static_cast<float>(Read_Real(zamp));
  s.Namp = static_cast<float>(Read_Real(namp));
  s.Eamp = static_cast<float>(Read_Real(eamp));
  Number_Text C_Freq{"     "};
  if (letter == 'B') {
    s.Freq = static_cast<float>(Read_Real(freq));
    if (s.Freq != 0.0f) C_Freq = Format("%5.3f", s.Freq);
  }

  struct Component_Amplitude {
    const char* comp;
    const char* channel_of_S;
    float value;
  };
  const Component_Amplitude components[] = {{"Z", "ELZ", s.Zamp},
                                            {"N", "ELN", s.Namp},
                                            {"E", "ELE", s.Eamp}};
  for (const Component_Amplitude& a : components) {
    if (s.Flag == 0 || a.value == 0.0f) continue;
    std::string comp = a.comp;
    s.n_s = Get_Number_SEED(maps, s.Sta_Name, s.Instrument, f_err, comp);
    Number_Text amp = Format("%6.2f", a.value);
    const char* channel = letter == 'S' ? a.channel_of_S : s.n_s.Seed.c_str();
    std::fprintf(f_cnss,
                 "%-4s%4d%02d%02d%.2s%.2s%.7s%-5s%-2s%6s%-3s%3s%-3s%-3s%-4s%c%"
                 "5s%c%12s\n",
                 "$amp", s.Year, s.Month, s.Day, "  ", "  ", "       ",
                 s.Sta_Name.c_str(), s.n_s.Network.c_str(), amp.text, "QV",
                 s.n_s.Number.c_str(), channel, "WAS", "mm", '1', C_Freq.text,
                 ' ', s.C_EventId.c_str());
  }
}
