// The code lookup's tables: the first line of a station or instrument wins,
// whatever follows, and a failed read is reported.
#include "reference/code_lookup.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

namespace {

FILE* File_With(const std::string& content) {
  FILE* f = std::tmpfile();
  std::fputs(content.c_str(), f);
  std::rewind(f);
  return f;
}

TEST(CodeLookup, FirstMatchingLineWins) {
  Mapping_Tables tables;
  FILE* stations =
      File_With("NN ABC\nCI ABC\n\tAZ   XYZ   extra\nNN\n\nXX XYZ");
  FILE* instruments = File_With("ABC 01 BH\nABC 02 HH\nDEF\nDEF 03 SH\n");
  EXPECT_EQ(0, Load_Station_Mapping(fileno(stations), tables));
  EXPECT_EQ(0, Load_Instrument_Mapping(fileno(instruments), tables));
  Out_Buffer log;
  std::string comp = "NEZ";
  Number_SEED codes = Get_Number_SEED(tables, "ABC", "ABC", log, comp);
  EXPECT_EQ("NN", codes.Network);
  EXPECT_EQ("01", codes.Number);
  EXPECT_EQ("BHN", codes.Seed);
  codes = Get_Number_SEED(tables, "XYZ", "DEF", log, comp);
  EXPECT_EQ("AZ", codes.Network);
  EXPECT_EQ("99", codes.Number);  // the first DEF line has no codes
  EXPECT_EQ("", codes.Seed);
  EXPECT_EQ(0u, log.size);
  for (FILE* f : {stations, instruments}) std::fclose(f);
}

TEST(CodeLookup, ReadErrorIsReported) {
  FILE* directory = std::fopen(".", "r");  // opens, but cannot be read
  ASSERT_NE(nullptr, directory);
  Mapping_Tables tables;
  EXPECT_EQ(EISDIR, Load_Station_Mapping(fileno(directory), tables));
  std::fclose(directory);
}

}  // namespace
