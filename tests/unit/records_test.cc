// The $pic and $amp records, written through their fast path for the usual
// widths or through the Put_ helpers for wider values, against snprintf with
// the records' printf formats: on random readings of every width, and each
// field of a reading at every width, where both writers must agree.
#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "records/amplitude_record.h"
#include "records/conversion_state.h"
#include "records/phase_record.h"
#include "records/seconds_text.h"
#include "reference/code_lookup.h"
#include "test_files.h"
#include "test_printf.h"

namespace {

// The seconds text, "0%6.4f" below 10 and "%7.4f" from 10 on, on every kind
// of value: its quick path for 0 to 100 and printf for the others.
TEST(SecondsText, LikePrintf) {
  std::mt19937 random(60);
  std::uniform_real_distribution<float> near(-150.0f, 150.0f);
  std::vector<float> values = {0.0f,      -0.0f, 9.99995f, 9.99994f,  99.99995f,
                               99.99994f, 10.0f, 100.0f,   0.00005f,  0.00015f,
                               1e9f,      -1e9f, INFINITY, -INFINITY, NAN};
  for (int i = 0; i < 200000; ++i) {
    float v = near(random);
    values.push_back(v);
    values.push_back(std::round(v * 2000.0f) / 2000.0f);  // ties at 4 digits
  }
  for (float v : values) {
    Seconds_Text text;
    Format_Seconds(v, text);
    EXPECT_EQ(v < 10.0f ? Printf("0%6.4f", static_cast<double>(v))
                        : Printf("%7.4f", static_cast<double>(v)),
              std::string_view(text))
        << v;
  }
}

class Records : public testing::Test {
 protected:
  void SetUp() override {
    std::string reason;
    ASSERT_TRUE(Load_Tables("NN ABC\nLONGNET SIXCHR\n",
                            "ABC 01 BH\nWIDE 12345 LONGPRE\nNOSEED 7\n", maps_,
                            &reason))
        << reason;
    Open_Out_Buffer(log_, -1, 0);
    Open_Out_Buffer(catalog_, -1, 0);
  }

  std::string Pick(const std::vector<std::string>& choices) {
    return choices[random_() % choices.size()];
  }

  std::mt19937 random_{1965};
  Mapping_Tables maps_;
  Out_Buffer log_, catalog_;
};

// The $pic record of a line built from known pieces, each with what the
// catalog must hold for it, against snprintf with the record's format; the
// date and time against timegm and gmtime_r.
TEST_F(Records, PicLikePrintf) {
  struct Piece {
    std::string text, written;
  };
  auto pick = [&](const std::vector<Piece>& choices) {
    return choices[random_() % choices.size()];
  };
  int written = 0;
  for (int i = 0; i < 20000; ++i) {
    Conversion_State s;
    s.Flag = 1;
    s.Year = 1965, s.Month = 3, s.Day = 7;
    const Piece station = pick({{"ABC", "NN"},
                                {"SIXCHR", "LONGNET"},
                                {"XYZ", "XX"},
                                {"ABCDEFGH", "XX"},
                                {"Q", "XX"}});
    // The number code and SEED code prefix of each instrument.
    const std::vector<std::vector<std::string>> instruments = {
        {"ABC", "01", "BH"},
        {"WIDE", "12345", "LONGPRE"},
        {"NOSEED", "7", ""},
        {"-", "99", ""},
        {"ZZ", "99", ""}};
    const std::vector<std::string> instrument =
        instruments[random_() % instruments.size()];
    const Piece onset = pick(
        {{"(e)", "e"}, {"i", "i"}, {"(", " "}, {"E", "E"}, {"(x)yz", "x"}});
    const Piece phase = pick({{"Pn", "Pn"},
                              {"-", "Unknown"},
                              {"PKPPKPPKP", "PKPPKPPKP"},
                              {"S", "S"},
                              {"Lg", "Lg"}});
    const Piece component = pick({{"Z", "Z"},
                                  {"NEZ", "N"},
                                  {"EZ", "E"},
                                  {"ZN", "ZN"},
                                  {"LONGCOMP", "LONGCOMP"}});
    const std::string seconds =
        Pick({"20.25", "05", "75.5", "", "9.99999", "123.5", "-1.5", "-0.5",
              "1e3", "0.0001"});
    const Piece motion = pick({{"c", "c"}, {"d", "d"}, {"+", " "}, {"D", " "}});
    const int hour = static_cast<int>(random_() % 25);
    const int minute = static_cast<int>(random_() % 61);
    const std::string line =
        "P " + station.text + " " + instrument[0] + " " + onset.text + " " +
        phase.text + " " + component.text + " " +
        Printf("%02d%02d", hour, minute) + seconds + " " + motion.text + "\n";
    catalog_.size = log_.size = 0;
    Convert_Phase(line, s, maps_, log_, catalog_);

    // The clock time from the date's midnight, in whole seconds truncated
    // toward zero, with the fraction kept apart.
    const float second =
        static_cast<float>(std::strtod(seconds.c_str(), nullptr));
    const float whole = std::trunc(second);
    std::tm date{};
    date.tm_year = 65, date.tm_mon = 2, date.tm_mday = 7;
    const time_t instant =
        timegm(&date) + hour * 3600 + minute * 60 + static_cast<time_t>(whole);
    std::tm t;
    gmtime_r(&instant, &t);
    const float normalised = static_cast<float>(t.tm_sec) + (second - whole);
    std::string expected;
    if (normalised >= 0.0f && normalised < 60.0f) {  // the phase check
      const std::string seed =
          instrument[2].empty() ? "" : instrument[2] + component.written;
      const double as_read = second;
      expected = Printf(
          "%-4s%4d%02d%02d%02d%02d%.7s%-5s%-2s%-8s%-3s%3s%3s%c%c%c%c%12s\n",
          "$pic", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour,
          t.tm_min,
          (second < 10.0f ? Printf("0%6.4f", as_read)
                          : Printf("%7.4f", as_read))
              .c_str(),
          station.text.c_str(), station.written.c_str(), phase.written.c_str(),
          "QV", instrument[1].c_str(), seed.c_str(), onset.written[0],
          motion.written[0], ' ', ' ', "1");
    }
    written += !expected.empty();
    EXPECT_EQ(expected, Text_Of(catalog_)) << line;
  }
  EXPECT_GT(written, 10000);
}

TEST_F(Records, AmpLikePrintf) {
  int written = 0;
  for (int i = 0; i < 20000; ++i) {
    Conversion_State s;
    s.Flag = 1;
    s.Year = 1975, s.Month = 12, s.Day = 31;
    const char letter = "DASB"[random_() % 4];
    const std::string station = Pick({"ABC", "SIXCHR", "XYZ", "ABCDEFGH"});
    const std::string instrument = Pick({"ABC", "WIDE", "NOSEED", "-", "ZZ"});
    std::string amplitudes[3];
    for (std::string& a : amplitudes)
      a = Pick({"0", "1.115", "-0.5", "999.994", "999.995", "-99.999",
                "12345.5", "0.004", "1e30", "nan", "x"});
    const std::string frequency = Pick({"1.2", "0", "9.9995", "10", "-1"});
    std::string line(1, letter);
    line += " " + station + " " + instrument;
    if (letter == 'B') line += " " + frequency;
    for (const std::string& a : amplitudes)
      line += (letter == 'D' ? " x " : " ") + a;
    line += "\n";
    catalog_.size = log_.size = 0;
    Convert_Amplitude(line, letter, s, maps_, log_, catalog_);
    std::string expected;
    const std::string freq_text =
        letter == 'B' && s.Freq != 0.0f
            ? Printf("%5.3f", static_cast<double>(s.Freq))
            : "     ";
    const float values[] = {s.Zamp, s.Namp, s.Eamp};
    for (int c = 0; c < 3; ++c) {
      if (values[c] == 0.0f) continue;
      const std::string comp(1, "ZNE"[c]);
      std::string number = "99", seed;
      if (instrument == "ABC") number = "01", seed = "BH" + comp;
      if (instrument == "WIDE") number = "12345", seed = "LONGPRE" + comp;
      if (instrument == "NOSEED") number = "7";
      const std::string channel = letter == 'S' ? "EL" + comp : seed;
      expected += Printf(
          "%-4s%4d%02d%02d%.2s%.2s%.7s%-5s%-2s%6s%-3s%3s%-3s%-3s%-4s%c%5s%c%"
          "12s\n",
          "$amp", s.Year, s.Month, s.Day, "  ", "  ", "       ",
          station.c_str(), std::string(s.n_s.Network).c_str(),
          Printf("%6.2f", static_cast<double>(values[c])).c_str(), "QV",
          number.c_str(), channel.c_str(), "WAS", "mm", '1', freq_text.c_str(),
          ' ', s.C_EventId.c_str());
    }
    written += !expected.empty();
    EXPECT_EQ(expected, Text_Of(catalog_)) << line;
  }
  EXPECT_GT(written, 10000);
}

// A reading whose every value fits its usual columns.
Conversion_State Usual_Reading() {
  Conversion_State s;
  s.Year = 1965, s.Month = 3, s.Day = 7, s.Hour = 10, s.Minute = 5;
  Format_Seconds(20.25f, s.C_Second);
  s.Sta_Name = "ABC";
  s.n_s.Network = "NN";
  s.Phase_Type = "Pn";
  s.n_s.Number = "01";
  s.n_s.Seed = {"BH", "Z"};
  s.G_Motion = 'c';
  return s;
}

// One field of a reading changed, and whether its value fits the field's
// usual columns, so that the fast writer must take the record.
struct Variant {
  std::string what;
  std::function<void(Conversion_State&)> set;
  bool usual;
};

// The text fields at every width from none to two beyond their columns, and
// the numbers at every count of digits around their columns, signs included;
// the phase and the SEED code too for a $pic record (`pic`).
std::vector<Variant> Variants(std::vector<std::string>& texts, bool pic) {
  texts.reserve(1000);  // the views below stay valid
  auto text = [&](size_t n) -> std::string_view {
    texts.push_back(std::string(n, 'W'));
    return texts.back();
  };
  std::vector<Variant> v;
  for (size_t n = 0; n <= 14; ++n) {
    const std::string w = std::to_string(n);
    const std::string_view t = text(n);
    if (n <= 7)
      v.push_back({"Sta_Name " + w, [t](auto& s) { s.Sta_Name = t; }, n <= 5});
    if (n <= 4)
      v.push_back(
          {"Network " + w, [t](auto& s) { s.n_s.Network = t; }, n <= 2});
    if (pic && n <= 10)
      v.push_back(
          {"Phase_Type " + w, [t](auto& s) { s.Phase_Type = t; }, n <= 8});
    if (n <= 5)
      v.push_back({"Number " + w, [t](auto& s) { s.n_s.Number = t; }, n <= 3});
    if (pic && n <= 5)
      v.push_back({"Seed " + w,
                   [t](auto& s) {
                     s.n_s.Seed = {t, {}};
                   },
                   n <= 3});
    if (pic && n >= 1 && n <= 5) {
      const std::string_view prefix = text(n - 1);
      v.push_back({"Seed and component " + w,
                   [prefix](auto& s) {
                     s.n_s.Seed = {prefix, "Z"};
                   },
                   n <= 3});
    }
    v.push_back({"C_EventId " + w,
                 [n](auto& s) { s.C_EventId = std::string(n, '9'); }, n <= 12});
  }
  for (int year :
       {INT_MIN, -1000, -1, 0, 9, 99, 999, 1000, 9999, 10000, INT_MAX})
    v.push_back({"Year " + std::to_string(year),
                 [year](auto& s) { s.Year = year; },
                 year >= 1000 && year <= 9999});
  for (int n : {INT_MIN, -10, -1, 0, 9, 10, 99, 100, 1000, INT_MAX}) {
    const std::string w = std::to_string(n);
    const bool two = n >= 0 && n <= 99;
    v.push_back({"Month " + w, [n](auto& s) { s.Month = n; }, two});
    v.push_back({"Day " + w, [n](auto& s) { s.Day = n; }, two});
  }
  return v;
}

// The $pic record of a reading, as snprintf writes it.
std::string Pic_By_Printf(const Conversion_State& s, char onset) {
  return Printf(
      "%-4s%4d%02d%02d%02d%02d%.7s%-5s%-2s%-8s%-3s%3s%3s%c%c%c%c%12s\n", "$pic",
      s.Year, s.Month, s.Day, s.Hour, s.Minute, std::string(s.C_Second).c_str(),
      std::string(s.Sta_Name).c_str(), std::string(s.n_s.Network).c_str(),
      std::string(s.Phase_Type).c_str(), "QV",
      std::string(s.n_s.Number).c_str(), s.n_s.Seed.Text().c_str(), onset,
      s.G_Motion, ' ', ' ', s.C_EventId.c_str());
}

// Both $pic writers, on each field at each width: the fast one takes the
// record exactly when every value fits its columns, and then writes what the
// general one writes; both write what snprintf does.
TEST(Record_Writers, PicWritersAgreeOnEveryWidth) {
  std::vector<std::string> texts;
  std::vector<Variant> variants = Variants(texts, true);
  for (int n : {INT_MIN, -10, -1, 0, 9, 10, 99, 100, 1000, INT_MAX}) {
    const std::string w = std::to_string(n);
    const bool two = n >= 0 && n <= 99;
    variants.push_back({"Hour " + w, [n](auto& s) { s.Hour = n; }, two});
    variants.push_back({"Minute " + w, [n](auto& s) { s.Minute = n; }, two});
  }
  for (size_t n = 0; n <= 9; ++n) {  // the seconds text, cut to seven
    variants.push_back({"C_Second " + std::to_string(n),
                        [n](auto& s) {
                          std::memcpy(s.C_Second.text, "12.345678", n);
                          s.C_Second.size = n;
                        },
                        n >= 7});
  }
  for (float second : {-0.0f, -1.5f, 9.99995f, 99.99995f, 1e9f, 1e30f, NAN})
    variants.push_back(
        {"Second " + std::to_string(second),
         [second](auto& s) { Format_Seconds(second, s.C_Second); }, true});
  for (const Variant& v : variants) {
    Conversion_State s = Usual_Reading();
    v.set(s);
    const std::string expected = Pic_By_Printf(s, 'e');
    Out_Buffer fast, general;
    Open_Out_Buffer(fast, -1, 0);
    Open_Out_Buffer(general, -1, 0);
    const bool usual = v.usual && s.C_Second.size >= 7;
    EXPECT_EQ(usual, Write_Pic_Usual(fast, s, 'e')) << v.what;
    Write_Pic_Any(general, s, 'e');
    EXPECT_EQ(expected, Text_Of(general)) << v.what;
    if (usual)
      EXPECT_EQ(expected, Text_Of(fast)) << v.what;
    else
      EXPECT_EQ("", Text_Of(fast)) << v.what;
  }
}

// The same for both $amp writers, with the amplitude and the frequency
// column at every width too.
TEST(Record_Writers, AmpWritersAgreeOnEveryWidth) {
  std::vector<std::string> texts;
  std::vector<Variant> variants = Variants(texts, false);
  struct Amp {
    float value;
    Seed_Code channel;
    std::string_view C_Freq;
  };
  Amp amp{1.25f, {"BH", "Z"}, "1.200"};
  for (float value :
       {0.5f, 1.25f, 12.25f, 99.995f, 123.25f, 999.99f, 999.995f, 1234.5f,
        -0.004f, -1.25f, -12.25f, -123.25f, 1e8f, 1e9f, 1e30f, INFINITY, NAN})
    variants.push_back(
        {"amplitude " + std::to_string(value),
         [&amp, value](auto&) { amp.value = value; },
         std::fabs(value) < 1e9f &&
             Printf("%.2f", static_cast<double>(value)).size() <= 6});
  for (size_t n = 0; n <= 5; ++n) {
    const std::string_view prefix = [&] {
      texts.push_back(std::string(n, 'E'));
      return std::string_view(texts.back());
    }();
    variants.push_back({"channel " + std::to_string(n),
                        [&amp, prefix](auto&) {
                          amp.channel = {prefix, {}};
                        },
                        n <= 3});
    variants.push_back({"channel and component " + std::to_string(n + 1),
                        [&amp, prefix](auto&) {
                          amp.channel = {prefix, "N"};
                        },
                        n + 1 <= 3});
  }
  for (size_t n = 0; n <= 7; ++n) {
    texts.push_back(std::string(n, '7'));
    const std::string_view freq = texts.back();
    variants.push_back({"C_Freq " + std::to_string(n),
                        [&amp, freq](auto&) { amp.C_Freq = freq; }, n <= 5});
  }
  for (const Variant& v : variants) {
    Conversion_State s = Usual_Reading();
    amp = Amp{1.25f, {"BH", "Z"}, "1.200"};
    v.set(s);
    const std::string expected = Printf(
        "%-4s%4d%02d%02d%.2s%.2s%.7s%-5s%-2s%6s%-3s%3s%-3s%-3s%-4s%c%5s%c%"
        "12s\n",
        "$amp", s.Year, s.Month, s.Day, "  ", "  ", "       ",
        std::string(s.Sta_Name).c_str(), std::string(s.n_s.Network).c_str(),
        Printf("%6.2f", static_cast<double>(amp.value)).c_str(), "QV",
        std::string(s.n_s.Number).c_str(), amp.channel.Text().c_str(), "WAS",
        "mm", '1', std::string(amp.C_Freq).c_str(), ' ', s.C_EventId.c_str());
    Out_Buffer fast, general;
    Open_Out_Buffer(fast, -1, 0);
    Open_Out_Buffer(general, -1, 0);
    EXPECT_EQ(v.usual,
              Write_Amp_Usual(fast, s, amp.value, amp.channel, amp.C_Freq))
        << v.what;
    Write_Amp_Any(general, s, amp.value, amp.channel, amp.C_Freq);
    EXPECT_EQ(expected, Text_Of(general)) << v.what;
    if (v.usual)
      EXPECT_EQ(expected, Text_Of(fast)) << v.what;
    else
      EXPECT_EQ("", Text_Of(fast)) << v.what;
  }
}

}  // namespace
