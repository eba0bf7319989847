// The converter's command line: the one-sheet form as it always was, --each
// with its sheets, the mapping files and the output directory, and every
// mistake a usage error rather than an instruction.
#include "driver/command_line.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <list>
#include <string>
#include <vector>

namespace {

// The command line's sheets are views into argv: each test's argv lives as
// long as the tests.
Command_Line Parse(std::initializer_list<const char*> words) {
  static std::list<std::vector<const char*>> argvs;
  std::vector<const char*>& argv = argvs.emplace_back(1, "Tremvert");
  argv.insert(argv.end(), words);
  argv.push_back(nullptr);
  return Parse_Command_Line(static_cast<int>(argv.size()) - 1, argv.data());
}

using Bases = std::vector<std::string>;

// The base names of the sheets to convert.
Bases Bases_Of(const Command_Line& c) {
  Bases bases;
  for (const char* name : c.sheets) bases.emplace_back(Base_Of(name));
  return bases;
}

TEST(CommandLine, OneSheetFormReadsAsItAlwaysHas) {
  for (auto words : {std::initializer_list<const char*>{"archive/b03"},
                     {"archive/b03.sheet"}}) {
    const Command_Line c = Parse(words);
    EXPECT_EQ(c.what, Command_Line::kConvert);
    EXPECT_EQ(c.base, "archive/b03");
    EXPECT_EQ(Bases_Of(c), Bases{"archive/b03"});
    EXPECT_EQ(c.F_Flag, 0);
    EXPECT_FALSE(c.each);
    EXPECT_EQ(c.stations, "station.mapping.out");
    EXPECT_EQ(c.instruments, "instrument.mapping.out");
    EXPECT_EQ(c.output_dir, "");
  }
  // -F before or after; a second word of any text is -F, and named unless it
  // is -F or empty.
  for (auto words : {std::initializer_list<const char*>{"-F", "b"},
                     {"b", "-F"},
                     {"b", ""},
                     {"b.sheet", "-F"}}) {
    const Command_Line c = Parse(words);
    EXPECT_EQ(c.what, Command_Line::kConvert);
    EXPECT_EQ(c.base, "b");
    EXPECT_EQ(c.F_Flag, 1);
    EXPECT_EQ(c.taken_as_F, "");
  }
  for (const char* word : {"-f", "F", "--", "-x", "--stationz", "b"}) {
    const Command_Line c = Parse({"b", word});
    EXPECT_EQ(c.what, Command_Line::kConvert) << word;
    EXPECT_EQ(c.F_Flag, 1);
    EXPECT_EQ(c.taken_as_F, word);
  }
  // ".sheet" alone and the empty name are the sheet ".sheet", as before.
  EXPECT_EQ(Parse({".sheet"}).base, "");
  EXPECT_EQ(Parse({""}).what, Command_Line::kConvert);
  EXPECT_EQ(Parse({"a.sheet.sheet"}).base, "a.sheet");
}

TEST(CommandLine, HelpAndVersionWinBeforeDoubleDash) {
  EXPECT_EQ(Parse({"--help"}).what, Command_Line::kHelp);
  EXPECT_EQ(Parse({"--version"}).what, Command_Line::kVersion);
  EXPECT_EQ(Parse({"b", "--help"}).what, Command_Line::kHelp);
  EXPECT_EQ(Parse({"-x", "y", "z", "--version", "--help"}).what,
            Command_Line::kVersion);
  EXPECT_EQ(Parse({"--stations", "--help"}).what, Command_Line::kHelp);
  EXPECT_EQ(Parse({"--each", "a", "--help"}).what, Command_Line::kHelp);
  // After "--" it is a name.
  const Command_Line c = Parse({"--", "--help"});
  EXPECT_EQ(c.what, Command_Line::kConvert);
  EXPECT_EQ(c.base, "--help");
  EXPECT_EQ(Parse({"--help=x"}).what, Command_Line::kUsage);
}

TEST(CommandLine, MistakesAreUsageErrors) {
  for (auto words : {
           // As before: no name, an option where the name goes, three words.
           std::initializer_list<const char*>{},
           {"-h"},
           {"-x", "b"},
           {"-F"},
           {"-"},
           {"-", "b"},
           {"-F", "-F"},
           {"b", "-x", "-F"},
           {"b", "-F", "extra"},
           {"-F", "b", "x"},
           {"-F", "b", "-F"},
           // A missing, empty or option-like value.
           {"--stations"},
           {"b", "--stations"},
           {"--stations", "b"},
           {"--stations", "", "b"},
           {"--stations=", "b"},
           {"--stations", "-x", "b"},
           {"--output-dir", "--each", "a", "b"},
           // An option given twice, or with a value it does not take.
           {"--stations=a", "--stations=a", "b"},
           {"--each", "--each", "a"},
           {"-F", "--each", "-F", "a"},
           {"--each=1", "a"},
           {"--stationsx", "b"},
           // An added option as the one-sheet form's second word.
           {"b", "--each"},
           {"b", "--output-dir"},
           {"b", "--instruments=i"},
           {"b", "--stations", "s"},
           {"b", "x", "--each"},
           // With --each, options after the first sheet.
           {"--each", "a", "-F"},
           {"--each", "a", "--", "b"},
           {"--each", "a", "--stations", "s"},
       }) {
    std::string text;
    for (const char* w : words) text += std::string(" [") + w + "]";
    const Command_Line c = Parse(words);
    EXPECT_EQ(c.what, Command_Line::kUsage) << text;
    EXPECT_TRUE(c.sheets.empty()) << text;
  }
}

TEST(CommandLine, EachTakesEveryNameAsASheet) {
  Command_Line c = Parse({"--each", "-F", "a/x.sheet", "b y", "c.sheet", "x"});
  EXPECT_EQ(c.what, Command_Line::kConvert);
  EXPECT_TRUE(c.each);
  EXPECT_EQ(c.F_Flag, 1);
  EXPECT_EQ(c.base, "");
  EXPECT_EQ(c.taken_as_F, "");
  EXPECT_EQ(Bases_Of(c), (Bases{"a/x", "b y", "c", "x"}));

  c = Parse({"-F", "--each", "--", "-F", "--each", "-x.sheet"});
  EXPECT_EQ(c.what, Command_Line::kConvert);
  EXPECT_EQ(c.F_Flag, 1);
  EXPECT_EQ(Bases_Of(c), (Bases{"-F", "--each", "-x"}));

  // No sheet: nothing to convert, as xargs asks of an empty list.
  c = Parse({"--each"});
  EXPECT_EQ(c.what, Command_Line::kConvert);
  EXPECT_TRUE(c.each);
  EXPECT_TRUE(c.sheets.empty());
}

TEST(CommandLine, MappingFilesAndOutputDirectory) {
  Command_Line c = Parse({"--output-dir", "out", "--stations=net/s.map",
                          "--instruments", "i.map", "b", "-F"});
  EXPECT_EQ(c.what, Command_Line::kConvert);
  EXPECT_EQ(c.stations, "net/s.map");
  EXPECT_EQ(c.instruments, "i.map");
  EXPECT_EQ(c.output_dir, "out");
  EXPECT_EQ(c.base, "b");
  EXPECT_EQ(c.F_Flag, 1);
  EXPECT_EQ(c.taken_as_F, "");
  // With "=", a value may begin with "-" or hold one.
  c = Parse({"--stations=-s", "--output-dir=a=b", "--each", "x"});
  EXPECT_EQ(c.stations, "-s");
  EXPECT_EQ(c.output_dir, "a=b");
  EXPECT_EQ(Bases_Of(c), Bases{"x"});
  // A value may be the last word: --each with no sheet, as xargs runs it
  // for an empty list.
  c = Parse({"--each", "--stations", "s.map"});
  EXPECT_EQ(c.what, Command_Line::kConvert);
  EXPECT_TRUE(c.each);
  EXPECT_EQ(c.stations, "s.map");
  EXPECT_EQ(Bases_Of(c), Bases{});
}

TEST(CommandLine, OutputsGoBesideTheSheetOrInTheOutputDirectory) {
  Command_Line c = Parse({"--each", "archive/1975/b03.sheet", "b04", ".sheet"});
  EXPECT_EQ(Output_Base(c, Base_Of(c.sheets[0])), "archive/1975/b03");
  c = Parse({"--output-dir", "/media/out", "--each", "archive/1975/b03.sheet",
             "b04", "dir/.sheet"});
  EXPECT_EQ(Output_Base(c, Base_Of(c.sheets[0])), "/media/out/b03");
  EXPECT_EQ(Output_Base(c, Base_Of(c.sheets[1])), "/media/out/b04");
  EXPECT_EQ(Output_Base(c, Base_Of(c.sheets[2])), "/media/out/");
  c = Parse({"--output-dir=out/", "b04"});
  EXPECT_EQ(Output_Base(c, c.base), "out/b04");
}

TEST(CommandLine, TwoSheetsOfOneNameClashOnlyInAnOutputDirectory) {
  size_t first = 99, second = 99;
  Command_Line c = Parse({"--each", "a/x", "b/y", "x", "b/y.sheet", "c/x"});
  EXPECT_FALSE(Find_Name_Clash(c, &first, &second));
  c = Parse(
      {"--output-dir", "out", "--each", "a/x", "b/y", "x", "b/y.sheet", "c/x"});
  ASSERT_TRUE(Find_Name_Clash(c, &first, &second));
  EXPECT_EQ(first, 0u);  // a/x and x: the first pair met in order
  EXPECT_EQ(second, 2u);
  c = Parse({"--output-dir", "out", "--each", "1/z", "2/y", "3/y", "4/z"});
  ASSERT_TRUE(Find_Name_Clash(c, &first, &second));
  EXPECT_EQ(first, 1u);
  EXPECT_EQ(second, 2u);
  // A NAME that sorts later may clash first.
  c = Parse({"--output-dir", "out", "--each", "a/z", "b/z", "c/y", "d/y"});
  ASSERT_TRUE(Find_Name_Clash(c, &first, &second));
  EXPECT_EQ(first, 0u);
  EXPECT_EQ(second, 1u);
  c = Parse({"--output-dir", "out", "--each", "a/x", "a/y", "x.sheet.sheet"});
  EXPECT_FALSE(Find_Name_Clash(c, &first, &second));
  c = Parse({"--output-dir", "out", "b"});
  EXPECT_FALSE(Find_Name_Clash(c, &first, &second));
}

TEST(CommandLine, HelpBeginsWithTheUsageAndNamesEveryOption) {
  const std::string usage = kUsage_Text, help = kHelp_Text;
  EXPECT_EQ(usage,
            "\n Tremvert <Historical file> [-F]\n"
            "-F: alternate phase format (time on the last field).\n\n");
  EXPECT_EQ(help.substr(0, usage.size()), usage);
  for (const char* word :
       {"-F ", "--each", "--stations FILE", "--instruments FILE",
        "--output-dir DIR", "--help", "--version", "  -- ", "man Tremvert",
        "man Tremvert-check"})
    EXPECT_NE(help.find(word), std::string::npos) << word;
  for (size_t start = 0, end; start < help.size(); start = end + 1) {
    end = help.find('\n', start);
    ASSERT_NE(end, std::string::npos);
    EXPECT_LE(end - start, 79u) << help.substr(start, end - start);
  }
}

}  // namespace
