// Whole-line reading: lines of any length, a last line without a line end,
// NUL bytes, and read errors.
#include "text/line_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_files.h"

namespace {

std::vector<std::string> Lines_Of(const std::string& content) {
  FILE* f = File_With(content);
  Line_Reader r;
  Open_Line_Reader(r, f);
  std::vector<std::string> lines;
  std::string_view line;
  while (Read_Line(r, line)) lines.emplace_back(line);
  EXPECT_EQ(0, r.read_error);
  std::fclose(f);
  return lines;
}

using Lines = std::vector<std::string>;

TEST(LineReader, GivesLinesWithTheirLineEnds) {
  EXPECT_EQ((Lines{"E a\n", "\n", "X\n"}), Lines_Of("E a\n\nX\n"));
  EXPECT_EQ(Lines{}, Lines_Of(""));
}

TEST(LineReader, LastLineWithoutLineEndGetsOne) {
  EXPECT_EQ((Lines{"E a\n", "X\n"}), Lines_Of("E a\nX"));
  EXPECT_EQ((Lines{"C\n"}), Lines_Of("C"));
}

TEST(LineReader, LongLinesStayWhole) {
  std::string big(3 << 20, 'c');
  big[0] = 'C';
  Lines lines = Lines_Of("X\n" + big + "\nX\n" + big);
  ASSERT_EQ(4u, lines.size());
  EXPECT_EQ(big + "\n", lines[1]);
  EXPECT_EQ("X\n", lines[2]);
  EXPECT_EQ(big + "\n", lines[3]);
}

TEST(LineReader, NulBytesAreKept) {
  std::string with_nul("C a\0b\n", 6);
  EXPECT_EQ(Lines{with_nul}, Lines_Of(with_nul));
}

TEST(LineReader, ReadErrorEndsTheLinesAndIsReported) {
  FILE* dir = std::fopen(".", "r");  // a directory opens but cannot be read
  ASSERT_NE(nullptr, dir);
  Line_Reader r;
  Open_Line_Reader(r, dir);
  std::string_view line;
  EXPECT_FALSE(Read_Line(r, line));
  EXPECT_NE(0, r.read_error);
  EXPECT_FALSE(Read_Line(r, line));
  std::fclose(dir);
}

}  // namespace
