// Amplitude records.  See the header.
#include "records/amplitude_record.h"

#include <string>

#include "records/catalog_record.h"
#include "records/misreadings.h"
#include "text/fields.h"
#include "text/fixed_point.h"
#include "text/numbers.h"
#include "text/record_text.h"

namespace {

// An amplitude or frequency token that is not read whole, for the sheet
// checker; the dash that stands for no value is read as 0 on purpose.
void Warn_Number(const Conversion_State& s, std::string_view field,
                 std::string_view token, float value, int precision,
                 const char* when_zero) {
  if (token == "-" || Is_Decimal(token)) return;
  s.Warnings->push_back(Quoted(field, token) + " read as " +
                        Fixed_Text(value, precision) +
                        (value == 0.0f ? when_zero : ""));
}

}  // namespace

void Convert_Amplitude(std::string_view info, char letter, Conversion_State& s,
                       const Mapping_Tables& maps, Out_Buffer& f_err,
                       Out_Buffer& f_cnss) {
  Field_Cursor c = Fields_Of_Sheet_Line(info);
  s.Sta_Name = Next_Field(c);
  s.Instrument = Next_Field(c);
  std::string_view freq, skipped[3];
  if (letter == 'B') freq = Next_Field(c);
  if (letter == 'D') skipped[0] = Next_Field(c);
  std::string_view zamp = Next_Field(c);
  if (letter == 'D') skipped[1] = Next_Field(c);
  std::string_view namp = Next_Field(c);
  if (letter == 'D') skipped[2] = Next_Field(c);
  std::string_view eamp = Next_Field(c);

  // A missing token reads as 0: no record for that component.
  s.Zamp = static_cast<float>(Read_Real(zamp));
  s.Namp = static_cast<float>(Read_Real(namp));
  s.Eamp = static_cast<float>(Read_Real(eamp));
  if (s.Warnings != nullptr && letter == 'D' && namp.empty() &&
      !skipped[1].empty() && Is_Decimal(skipped[0]) &&
      Is_Decimal(skipped[1])) {
    // "D PAS BH 3.5 1.2 0": the five fields of an A line, of which the D
    // layout skips the first and third amplitudes.
    s.Warnings->push_back(
        "the fields are those of an A line, but D reads station instrument x "
        "Z x N x E: \"" +
        std::string(skipped[0]) + "\" and \"" + std::string(skipped[1]) +
        "\" are skipped, and \"" + std::string(zamp) +
        "\" is read as amplitude Z");
  }
  if (s.Warnings != nullptr) {
    const char* unwritten = ": no record for it";
    Warn_Number(s, "amplitude Z", zamp, s.Zamp, 2, unwritten);
    Warn_Number(s, "amplitude N", namp, s.Namp, 2, unwritten);
    Warn_Number(s, "amplitude E", eamp, s.Eamp, 2, unwritten);
  }
  char freq_text[kFixed_Room] = "     ";
  std::string_view C_Freq(freq_text, 5);
  if (letter == 'B') {
    s.Freq = static_cast<float>(Read_Real(freq));
    if (s.Warnings != nullptr)
      Warn_Number(s, "frequency", freq, s.Freq, 3,
                  ": the frequency column is blank");
    if (s.Freq != 0.0f)  // "%5.3f"
      C_Freq = {freq_text, Format_Fixed(freq_text, s.Freq, 5, 3, false)};
  }

  struct Component_Amplitude {
    const char* comp;
    std::string_view channel_of_S;
    float value;
  };
  const Component_Amplitude components[] = {
      {"Z", "ELZ", s.Zamp}, {"N", "ELN", s.Namp}, {"E", "ELE", s.Eamp}};
  Out_Buffer& r = f_cnss;
  for (const Component_Amplitude& a : components) {
    if (s.Flag == 0 || a.value == 0.0f) continue;
    std::string comp = a.comp;
    s.n_s = Get_Number_SEED(maps, s.Sta_Name, s.Instrument, f_err, comp);
    std::string_view channel =
        letter == 'S' ? a.channel_of_S : std::string_view(s.n_s.Seed);
    // "%-4s%4d%02d%02d%.2s%.2s%.7s%-5s%-2s%6s%-3s%3s%-3s%-3s%-4s%c%5s%c%12s\n"
    // with "$amp", Year, Month, Day, "  ", "  ", "       ", Sta_Name,
    // Network, the amplitude "%6.2f", "QV", Number, the channel, "WAS", "mm",
    // '1', C_Freq, ' ', C_EventId.
    Put_Left(r, "$amp", 4);
    Put_Date(r, s.Year, s.Month, s.Day);
    Put_Blanks(r, 2 + 2 + 7);
    Put_Left(r, s.Sta_Name, 5);
    Put_Left(r, s.n_s.Network, 2);
    Put_Fixed(r, a.value, 6, 2, false);
    Put_Left(r, "QV", 3);
    Put_Right(r, s.n_s.Number, 3);
    Put_Left(r, channel, 3);
    Put_Left(r, "WAS", 3);
    Put_Left(r, "mm", 4);
    Put_Char(r, '1');
    Put_Right(r, C_Freq, 5);
    Put_Char(r, ' ');
    Put_Record_End(r, s.C_EventId);
  }
}
