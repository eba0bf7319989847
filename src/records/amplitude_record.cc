// Amplitude records.  See the header.
//
// The $amp record has two writers: a fast one for the usual widths, which
// sets each value at its columns over a line of blanks, and the general one,
// a Put_ helper for each printf conversion, for values wider than their
// columns.  Both are kept only while records_test.cc proves them equal, and
// equal to snprintf, on every field at every width up to its columns and
// beyond (AmpWritersAgreeOnEveryWidth).
#include "records/amplitude_record.h"

#include <cassert>
#include <cmath>
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
                 std::string_view token, bool plain, float value, int precision,
                 const char* when_zero) {
  if (plain || token == "-") return;
  if (!Is_Decimal(token)) {
    s.Warnings->push_back(Quoted(field, token) + " read as " +
                          Fixed_Text(value, precision) +
                          (value == 0.0f ? when_zero : ""));
    return;
  }
  // A decimal read whole, but that single precision cannot hold.
  const double read = Read_Real(token);
  if (std::isinf(value) && std::isfinite(read))
    s.Warnings->push_back(Quoted(field, token) +
                          " is beyond single precision: written as " +
                          Fixed_Text(value, precision));
  else if (value == 0.0f && read != 0.0)
    s.Warnings->push_back(Quoted(field, token) +
                          " is below single precision: read as 0" +
                          std::string(when_zero));
}

}  // namespace

// The $amp record of one component:
// "%-4s%4d%02d%02d%.2s%.2s%.7s%-5s%-2s%6s%-3s%3s%-3s%-3s%-4s%c%5s%c%12s\n"
// with "$amp", Year, Month, Day, "  ", "  ", "       ", Sta_Name, Network,
// the amplitude "%6.2f", "QV", Number, the channel, "WAS", "mm", '1',
// C_Freq, ' ', C_EventId.
bool Write_Amp_Usual(Out_Buffer& r, const Conversion_State& s, float value,
                     const Seed_Code& channel, std::string_view C_Freq) {
  char digits[32];
  char* const end = digits + sizeof digits;
  const char* start = Fixed_Digits(value, 2, false, end);
  if (start == nullptr) return false;
  const std::string_view amplitude(start, end - start);
  const bool usual = amplitude.size() <= 6 && Is_Usual_Reading(s) &&
                     channel.size() <= 3 && C_Freq.size() <= 5;
  if (!usual) return false;
  // Every value fits its columns: 71 of them and the line end.
  char* p = Room_Of_Blanks(r, 72);
  std::memcpy(p, "$amp", 4);
  Set_Date(p + 4, s.Year, s.Month, s.Day);
  Set_Left(p + 23, s.Sta_Name);
  Set_Left(p + 28, s.n_s.Network);
  Set_Right(p + 30, 6, amplitude);
  std::memcpy(p + 36, "QV", 2);
  Set_Right(p + 39, 3, s.n_s.Number);
  Set_Left(p + 42, channel.prefix);
  Set_Left(p + 42 + channel.prefix.size(), channel.component);
  std::memcpy(p + 45, "WASmm  1", 8);
  Set_Right(p + 53, 5, C_Freq);
  Set_Record_End(p + 59, s.C_EventId);
  r.size += 72;
  return true;
}

void Write_Amp_Any(Out_Buffer& r, const Conversion_State& s, float value,
                   const Seed_Code& channel, std::string_view C_Freq) {
  Put_Left(r, "$amp", 4);
  Put_Date(r, s.Year, s.Month, s.Day);
  Put_Blanks(r, 2 + 2 + 7);
  Put_Left(r, s.Sta_Name, 5);
  Put_Left(r, s.n_s.Network, 2);
  Put_Fixed(r, value, 6, 2, false);
  Put_Left(r, "QV", 3);
  Put_Right(r, s.n_s.Number, 3);
  Put_Left(r, channel.prefix, channel.component, 3);
  Put_Left(r, "WAS", 3);
  Put_Left(r, "mm", 4);
  Put_Char(r, '1');
  Put_Right(r, C_Freq, 5);
  Put_Char(r, ' ');
  Put_Record_End(r, s.C_EventId);
}

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
  bool plain[4];  // each token a plain decimal: nothing to warn of
  s.Zamp = static_cast<float>(Read_Real(zamp, plain[0]));
  s.Namp = static_cast<float>(Read_Real(namp, plain[1]));
  s.Eamp = static_cast<float>(Read_Real(eamp, plain[2]));
  // A skipped token of an A line is a plain decimal or the dash of no value.
  auto amplitude_like = [](std::string_view token) {
    return !token.empty() && (token == "-" || Is_Decimal(token));
  };
  if (s.Warnings != nullptr && letter == 'D' && namp.empty() &&
      amplitude_like(skipped[0]) && amplitude_like(skipped[1])) {
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
    Warn_Number(s, "amplitude Z", zamp, plain[0], s.Zamp, 2, unwritten);
    Warn_Number(s, "amplitude N", namp, plain[1], s.Namp, 2, unwritten);
    Warn_Number(s, "amplitude E", eamp, plain[2], s.Eamp, 2, unwritten);
  }
  char freq_text[kFixed_Room];  // filled only for a frequency written
  std::string_view C_Freq = "     ";
  if (letter == 'B') {
    s.Freq = static_cast<float>(Read_Real(freq, plain[3]));
    if (s.Warnings != nullptr)
      Warn_Number(s, "frequency", freq, plain[3], s.Freq, 3,
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
  assert(C_Freq.size() >= 5);  // "%5s"
  for (const Component_Amplitude& a : components) {
    if (s.Flag == 0 || a.value == 0.0f) continue;
    std::string_view comp = a.comp;
    const size_t log_at = f_err.size;
    s.n_s = Get_Number_SEED(maps, s.Sta_Name, s.Instrument, f_err, comp);
    if (f_err.size != log_at) Note_Message(s, log_at, false);
    const Seed_Code channel =
        letter == 'S' ? Seed_Code{a.channel_of_S, {}} : s.n_s.Seed;
    if (!Write_Amp_Usual(r, s, a.value, channel, C_Freq))
      Write_Amp_Any(r, s, a.value, channel, C_Freq);
  }
}
