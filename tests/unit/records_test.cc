// The $pic and $amp records, written through their fast path for the usual
// widths or through the Put_ helpers for wider values, against snprintf with
// the records' printf formats, on random readings of every width.
#include "test_printf.h"
#include "test_files.h"
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
#include <vector>
#include <string>

#include "records/conversion_state.h"
#include "records/amplitude_record.h"
#include "records/phase_record.h"
#include "records/seconds_text.h"
#include "reference/code_lookup.h"

namespace {

// The seconds text, "0%6.4f" below 10 and "%7.4f" from 10 on, on every kind
// of value: its quick path for 0 to 100 and printf for the others.
TEST(SecondsText, LikePrintf) {
  std::mt19937 random(60);
  std::uniform_real_distribution<float> near(-150.0f, 150.0f);
  std::vector<float> values = {0.0f, -0.0f, 9.99995f, 9.99994f, 99.99995f,
                               99.99994f, 10.0f, 100.0f, 0.00005f, 0.00015f,
                               1e9f, -1e9f, INFINITY, -INFINITY, NAN};
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
    const int stations = File_With("NN ABC\nLONGNET SIXCHR\n");
    const int instruments =
        File_With("ABC 01 BH\nWIDE 12345 LONGPRE\nNOSEED 7\n");
    std::string reason;
    ASSERT_TRUE(Load_Station_Mapping(stations, maps_, &reason)) << reason;
    ASSERT_TRUE(Load_Instrument_Mapping(instruments, maps_, &reason)) << reason;
    close(stations);
    close(instruments);
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
    const Piece station = pick({{"ABC", "NN"}, {"SIXCHR", "LONGNET"},
                                {"XYZ", "XX"}, {"ABCDEFGH", "XX"}, {"Q", "XX"}});
    // The number code and SEED code prefix of each instrument.
    const std::vector<std::vector<std::string>> instruments = {
        {"ABC", "01", "BH"}, {"WIDE", "12345", "LONGPRE"}, {"NOSEED", "7", ""},
        {"-", "99", ""},     {"ZZ", "99", ""}};
    const std::vector<std::string> instrument =
        instruments[random_() % instruments.size()];
    const Piece onset = pick({{"(e)", "e"}, {"i", "i"}, {"(", " "}, {"E", "E"},
                              {"(x)yz", "x"}});
    const Piece phase = pick({{"Pn", "Pn"}, {"-", "Unknown"},
                              {"PKPPKPPKP", "PKPPKPPKP"}, {"S", "S"},
                              {"Lg", "Lg"}});
    const Piece component = pick({{"Z", "Z"}, {"NEZ", "N"}, {"EZ", "E"},
                                  {"ZN", "ZN"}, {"LONGCOMP", "LONGCOMP"}});
    const std::string seconds = Pick({"20.25", "05", "75.5", "", "9.99999",
                                      "123.5", "-1.5", "-0.5", "1e3", "0.0001"});
    const Piece motion = pick({{"c", "c"}, {"d", "d"}, {"+", " "}, {"D", " "}});
    const int hour = static_cast<int>(random_() % 25);
    const int minute = static_cast<int>(random_() % 61);
    const std::string line = "P " + station.text + " " + instrument[0] + " " +
                             onset.text + " " + phase.text + " " +
                             component.text + " " +
                             Printf("%02d%02d", hour, minute) + seconds + " " +
                             motion.text + "\n";
    catalog_.size = log_.size = 0;
    Convert_Phase(line, s, maps_, log_, catalog_);

    // The clock time from the date's midnight, in whole seconds truncated
    // toward zero, with the fraction kept apart.
    const float second = static_cast<float>(std::strtod(seconds.c_str(), nullptr));
    const float whole = std::trunc(second);
    std::tm date{};
    date.tm_year = 65, date.tm_mon = 2, date.tm_mday = 7;
    const time_t instant = timegm(&date) + hour * 3600 + minute * 60 +
                           static_cast<time_t>(whole);
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
          (second < 10.0f ? Printf("0%6.4f", as_read) : Printf("%7.4f", as_read))
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
          number.c_str(), channel.c_str(), "WAS", "mm", '1',
          freq_text.c_str(), ' ', s.C_EventId.c_str());
    }
    written += !expected.empty();
    EXPECT_EQ(expected, Text_Of(catalog_)) << line;
  }
  EXPECT_GT(written, 10000);
}

}  // namespace
