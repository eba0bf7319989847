// The code lookup: first match in file order, exact whole-token comparison,
// the component rule, defaults and the unknown-instrument message.
#include "reference/code_lookup.h"

#include <gtest/gtest.h>

#include "test_files.h"

namespace {

class Lookup : public ::testing::Test {
 protected:
  void Load(const std::string& stations, const std::string& instruments) {
    FILE* s = File_With(stations);
    FILE* i = File_With(instruments);
    Load_Station_Mapping(s, tables);
    Load_Instrument_Mapping(i, tables);
    std::fclose(s);
    std::fclose(i);
  }
  Number_SEED Get(const std::string& station, const std::string& instrument,
                  std::string& comp) {
    return Get_Number_SEED(tables, station, instrument, log, comp);
  }
  Number_SEED Get(const std::string& station, const std::string& instrument,
                  const char* comp = "Z") {
    std::string c = comp;
    return Get(station, instrument, c);
  }
  void TearDown() override { std::fclose(log); }

  Mapping_Tables tables;
  FILE* log = std::tmpfile();
};

void Expect_Codes(const std::string& network, const std::string& number,
                  const std::string& seed, const Number_SEED& got) {
  EXPECT_EQ(network, got.Network);
  EXPECT_EQ(number, got.Number);
  EXPECT_EQ(seed, got.Seed);
}

TEST_F(Lookup, FirstMatchingLineWins) {
  Load("NN ABC\nCI ABC\n\tAZ   XYZ   extra tokens\n", "ABC 01 BH\nABC 02 HH\n");
  Expect_Codes("NN", "01", "BHZ", Get("ABC", "ABC"));
  Expect_Codes("AZ", "01", "BHZ", Get("XYZ", "ABC"));
  EXPECT_EQ("", Content_Of(log));
}




TEST_F(Lookup, ComponentRule) {
  Load("", "ABC 01 BH\n");
  const std::pair<const char*, const char*> rewrites[] = {
      {"NE", "N"},  {"NZ", "N"},     {"EZ", "E"},    {"NEZ", "N"},
      {"ZN", "ZN"}, {"EN", "EN"},    {"ZNE", "ZNE"}, {"ne", "ne"},
      {"Z", "Z"},   {"NEZZ", "NEZZ"}};
  for (auto [given, becomes] : rewrites) {
    std::string comp = given;
    Number_SEED codes = Get("ABC", "ABC", comp);
    EXPECT_EQ(becomes, comp) << given;
    EXPECT_EQ(std::string("BH") + becomes, codes.Seed) << given;
  }
  // Rewritten also when the instrument is not listed.
  std::string comp = "EZ";
  Get("ABC", "NOPE", comp);
  EXPECT_EQ("E", comp);
}

TEST_F(Lookup, LastLineWithoutLineEndTakesPart) {
  Load("NN AAA\nCI ABC", "XYZ 02 HH\nABC 01 BH");
  Expect_Codes("CI", "01", "BHZ", Get("ABC", "ABC"));
}


TEST_F(Lookup, LongLinesAreReadWhole) {
  std::string padding(300, 'x');
  Load("NN " + padding + " ABC\nCI ABC\n",
       "ABC 01 " + padding + "\n" + std::string(254, ' ') + "DEF 02 HH\n");
  // The station line's second token is the long one: ABC is on line two.
  Expect_Codes("CI", "01", padding + "Z", Get("ABC", "ABC"));
  Expect_Codes("CI", "02", "HHZ", Get("ABC", "DEF"));
}

TEST_F(Lookup, ShortLinesTakeNothingFromTheLineAbove) {
  Load("NN\n\nCI ABC\n", "OLD 05 SH\nABC\nDEF 07\n\n");
  Expect_Codes("CI", "99", "", Get("ABC", "ABC"));
  Expect_Codes("CI", "07", "", Get("ABC", "DEF"));
  Expect_Codes("XX", "99", "", Get("NN", "-"));
  EXPECT_EQ("", Content_Of(log));
}

TEST_F(Lookup, OverLongTokensAreKeptWhole) {
  Load("NETW STATION9\n", "INSTRUMENT 1234 PREFIXLONG\n");
  std::string comp = "COMPONENT";
  Expect_Codes("NETW", "1234", "PREFIXLONGCOMPONENT",
               Get("STATION9", "INSTRUMENT", comp));
}


}  // namespace
