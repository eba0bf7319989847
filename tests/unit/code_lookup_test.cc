// The mapping tables against a plain search of the file from its first line
// (the first line that names a station or instrument wins), on random files
// large enough to be filled in several chunks and on tiny ones; the component
// rule; a failed read.
#include "reference/code_lookup.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "test_files.h"
#include "text/file_system.h"

namespace {

bool Is_Blank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f' ||
         c == '\0';
}

// The tokens of each line, by a plain reading of the text.
std::vector<std::vector<std::string>> Lines_Of(const std::string& text) {
  std::vector<std::vector<std::string>> lines(1);
  std::string token;
  for (char c : text + "\n") {
    if (!Is_Blank(c) && c != '\n') {
      token += c;
      continue;
    }
    if (!token.empty()) lines.back().push_back(token);
    token.clear();
    if (c == '\n') lines.emplace_back();
  }
  return lines;
}

// The values of the first line that lists each name at `key`.
struct Listing {
  std::string values[2];
};
std::map<std::string, Listing> First_Lines(
    const std::vector<std::vector<std::string>>& lines, int tokens, int key) {
  std::map<std::string, Listing> first;
  for (const auto& line : lines) {
    if (static_cast<int>(line.size()) <= key) continue;
    Listing listing;
    int v = 0;
    for (int i = 0; i < tokens && i < static_cast<int>(line.size()); ++i)
      if (i != key) listing.values[v++] = line[i];
    first.emplace(line[key], listing);  // an earlier line stays
  }
  return first;
}

TEST(CodeLookup, TablesGiveWhatASearchOfTheFileGives) {
  std::mt19937 random(1975);
  const char kBlanks[] = {' ', ' ', ' ', '\t', '\r', '\0', '\v', '\f'};
  for (int round = 0; round < 4; ++round) {
    const int lines = round < 3 ? 500 : 150000;  // one chunk, and several
    std::string text;
    std::vector<std::string> names;
    for (int i = 0; i < lines; ++i) {
      const int count = random() % 5;  // blank lines, short lines, extras
      for (int t = 0; t < count; ++t) {
        std::string token;
        if (random() % 3 == 0 && !names.empty())
          token = names[random() % names.size()];  // a name listed again
        else
          for (int n = 1 + random() % (random() % 50 == 0 ? 300 : 6); n > 0;
               --n)
            token +=
                "ABCDEFGHIJKLMNOPQRSTUVWXYZabcz0123456789-_"[random() % 42];
        names.push_back(token);
        for (int b = random() % 3; b >= 0; --b)
          text += kBlanks[random() % sizeof kBlanks];
        text += token;
      }
      if (i + 1 < lines || round % 2 == 0) text += '\n';  // last line end
    }
    const auto reference = Lines_Of(text);
    const auto stations = First_Lines(reference, 2, 1);
    const auto instruments = First_Lines(reference, 3, 0);
    Mapping_Tables tables;
    const int station_fd = File_With(text), instrument_fd = File_With(text);
    // The large file is read as a stream would be, its size unknown: the
    // buffer grows as it comes.
    struct Sizeless : File_System {
      int Fstat(int, struct stat*) override { return errno = EIO, -1; }
    } sizeless;
    if (round == 3) Use_File_System(&sizeless);
    std::string reason;
    ASSERT_TRUE(Load_Station_Mapping(station_fd, tables, &reason)) << reason;
    ASSERT_TRUE(Load_Instrument_Mapping(instrument_fd, tables, &reason))
        << reason;
    Use_File_System(nullptr);
    close(station_fd);
    close(instrument_fd);
    names.push_back("not-listed");
    names.push_back("");
    for (const std::string& name : names) {
      const auto station = stations.find(name);
      const char* at = Find_Mapping(tables.stations, name);
      ASSERT_EQ(station != stations.end(), at != nullptr) << name;
      if (at != nullptr) {
        EXPECT_EQ(station->second.values[0], Token_Before(tables.stations, at));
      }
      const auto instrument = instruments.find(name);
      at = Find_Mapping(tables.instruments, name);
      ASSERT_EQ(instrument != instruments.end(), at != nullptr) << name;
      if (at != nullptr) {
        EXPECT_EQ("", Token_Before(tables.instruments, at));
        EXPECT_EQ(instrument->second.values[0],
                  Token_After(at, name.size(), 1));
        EXPECT_EQ(instrument->second.values[1],
                  Token_After(at, name.size(), 2));
      }
    }
  }
}

// Files of a few names, whose tables have a few slots: the search for a
// name often runs past the last slot and on from the first, when inserting
// it and when looking it up.
TEST(CodeLookup, SearchesRunOnFromTheFirstSlot) {
  std::mt19937 random(2026);
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    std::map<std::string, std::string> first;
    for (int i = 0, n = 2 + random() % 3; i < n; ++i) {
      const std::string name{static_cast<char>('A' + random() % 26),
                             static_cast<char>('0' + random() % 10)};
      const std::string network = 'N' + std::to_string(i);
      text.append(network).append(" ").append(name).append("\n");
      first.emplace(name, network);
    }
    Mapping_Tables tables;
    const int fd = File_With(text);
    std::string reason;
    ASSERT_TRUE(Load_Station_Mapping(fd, tables, &reason)) << reason;
    close(fd);
    for (const auto& [name, network] : first) {
      const char* at = Find_Mapping(tables.stations, name);
      ASSERT_NE(nullptr, at) << text;
      EXPECT_EQ(network, Token_Before(tables.stations, at)) << text;
    }
  }
}

TEST(CodeLookup, CodesOfAReading) {
  Mapping_Tables tables;
  std::string reason;
  ASSERT_TRUE(Load_Tables("NN ABC\nCI ABC\n", "ABC 01 BH\nDEF\nGHI 03\n",
                          tables, &reason))
      << reason;
  Out_Buffer log;
  std::string_view comp = "NEZ";
  Number_SEED codes = Get_Number_SEED(tables, "ABC", "ABC", log, comp);
  EXPECT_EQ("N", comp);
  EXPECT_EQ("NN", codes.Network);
  EXPECT_TRUE(codes.Station_Listed);
  EXPECT_EQ("01", codes.Number);
  EXPECT_EQ("BHN", codes.Seed.Text());
  comp = "EZ";
  codes = Get_Number_SEED(tables, "XYZ", "DEF", log, comp);
  EXPECT_EQ("E", comp);
  EXPECT_EQ("XX", codes.Network);
  EXPECT_FALSE(codes.Station_Listed);
  EXPECT_EQ("99", codes.Number);  // the DEF line has no codes
  EXPECT_EQ("", codes.Seed.Text());
  comp = "ZN";
  codes = Get_Number_SEED(tables, "ABC", "GHI", log, comp);
  EXPECT_EQ("03", codes.Number);
  EXPECT_EQ("", codes.Seed.Text());
  EXPECT_EQ(0u, log.size);
  codes = Get_Number_SEED(tables, "ABC", "-", log, comp);
  EXPECT_EQ(0u, log.size);
  codes = Get_Number_SEED(tables, "ABC", "LP", log, comp);
  EXPECT_EQ("\n Error [Unknown instrument] : LP.", Text_Of(log));
}

TEST(CodeLookup, ReadErrorIsReported) {
  FILE* directory = std::fopen(".", "r");  // opens, but cannot be read
  ASSERT_NE(nullptr, directory);
  Mapping_Tables tables;
  std::string reason;
  EXPECT_FALSE(Load_Station_Mapping(fileno(directory), tables, &reason));
  EXPECT_EQ("Is a directory", reason);
  std::fclose(directory);
}

}  // namespace
