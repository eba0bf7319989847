// The checker on generated sheets: a clean, realistic sheet (events late in
// the evening, readings past midnight written with one hour-24 reading and
// then from the moved date) gets no warning, and each kind of misreading
// planted in it gets exactly one warning, at its line, of its kind.  And the
// sheet reader skips a byte-order mark at the start.
#include "check/sheet_check.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "reference/code_lookup.h"
#include "test_files.h"
#include "test_printf.h"
#include "text/file_system.h"
#include "text/line_reader.h"

namespace {

// One line of a generated sheet, with what the planting needs to know.
struct Sheet_Line {
  std::string text;
  char tag;        // 'E' event, 'P' reading, 'A' amplitudes, 'C', 'X'
  bool quiet_day;  // of an event whose readings all fall on its own day
};

// A clean sheet: events at any hour, late evenings often, each with its
// readings in time order from 5 s to 10 minutes after the origin, its
// amplitudes, a comment and its X.  A reading past midnight is written with
// hour 24 when it is the event's first past midnight, and from the moved
// date (hour 00) after it, as the converter's rule for dates asks.
std::vector<Sheet_Line> Clean_Sheet(unsigned seed, int events) {
  std::mt19937 random(seed);
  auto pick = [&](int n) { return static_cast<int>(random() % n); };
  std::vector<Sheet_Line> lines;
  const char* stations[] = {"ABC", "DEF"};
  const char* instruments[] = {"ABC", "SP"};
  const char* onsets[] = {"e", "i", "(e)", "(i)", "E", "I"};
  const char* phases[] = {"P", "Pn", "Pg", "S", "Sn", "Lg", "-"};
  const char* components[] = {"Z", "N", "E", "NE", "NZ"};
  const char* motions[] = {"c", "d", "-"};
  for (int e = 0; e < events; ++e) {
    const int year = 12 + pick(72), month = 1 + pick(12), day = 1 + pick(28);
    const int origin =
        pick(3) == 0 ? 86400 - 1 - pick(900) : pick(86400);  // seconds of day
    const double origin_s = origin % 60 + pick(10) / 10.0;
    lines.push_back(
        {Printf("E %02d%02d%02d %02d%02d%04.1f %d-%04.1f %d-%04.1f %d.0 %d.%d",
                month, day, year, origin / 3600, origin / 60 % 60, origin_s,
                30 + pick(10), pick(600) / 10.0, 115 + pick(10),
                pick(600) / 10.0, 1 + pick(30), 2 + pick(5), pick(10)),
         'E', false});
    const size_t event_line = lines.size() - 1;
    int at = origin;
    bool past_midnight = false;
    const int readings = 2 + pick(5);
    for (int r = 0; r < readings; ++r) {
      at += 5 + pick(120);
      int hour = at / 3600;
      if (at >= 86400) {
        hour = past_midnight ? hour - 24 : hour;  // 24 for the first only
        past_midnight = true;
      }
      lines.push_back(
          {Printf("P %s %s %s %s %s %02d%02d%05.2f %s", stations[pick(2)],
                  instruments[pick(2)], onsets[pick(6)], phases[pick(7)],
                  components[pick(5)], hour, at / 60 % 60,
                  at % 60 + pick(100) / 100.0, motions[pick(3)]),
           'P', false});
    }
    lines.push_back(
        {Printf("A %s %s %d.%02d %d.%02d %d.%02d", stations[pick(2)],
                instruments[pick(2)], 1 + pick(9), pick(100), pick(9),
                pick(100), pick(9), pick(100)),
         'A', false});
    lines.push_back({Printf("C felt at %d places", 1 + pick(20)), 'C', false});
    lines.push_back({"X", 'X', false});
    for (size_t i = event_line; i < lines.size(); ++i)
      lines[i].quiet_day = !past_midnight && at < 86400 - 7200;
  }
  return lines;
}

std::string Text_Of_Lines(const std::vector<Sheet_Line>& lines) {
  std::string text;
  for (const Sheet_Line& l : lines) text += l.text + "\n";
  return text;
}

class Sheet_Check_Test : public testing::Test {
 protected:
  void SetUp() override {
    std::string reason;
    ASSERT_TRUE(Load_Tables("NN ABC\nKK DEF\n", "ABC 01 BH\nSP 02 SH\n", maps_,
                            &reason))
        << reason;
    char name[] = "/tmp/sheet_check_testXXXXXX";
    const int fd = mkstemp(name);
    ASSERT_GE(fd, 0);
    close(fd);
    sheet_ = name;
  }
  void TearDown() override { unlink(sheet_.c_str()); }

  // The checker's warning lines ("LINE: TEXT") on the sheet.
  std::vector<std::string> Warnings(const std::string& text,
                                    Sheet_Tally* tally = nullptr) {
    FILE* f = std::fopen(sheet_.c_str(), "w");
    std::fputs(text.c_str(), f);
    std::fclose(f);
    Out_Buffer out;
    Open_Out_Buffer(out, -1, 0);
    Sheet_Tally t;
    std::string err;
    EXPECT_TRUE(Check_Sheet(sheet_, maps_, 0, false, out, t, &err)) << err;
    if (tally != nullptr) *tally = t;
    std::vector<std::string> warnings;
    const std::string report(Text_Of(out));
    const std::string prefix = sheet_ + ":";
    for (size_t at = 0; at < report.size();) {
      const size_t end = report.find('\n', at);
      const std::string line = report.substr(at, end - at);
      at = end + 1;
      const size_t kind = line.find(": warning: ");
      if (line.rfind(prefix, 0) == 0 && kind != std::string::npos)
        warnings.push_back(line.substr(prefix.size(), kind - prefix.size()) +
                           ": " + line.substr(kind + 11));
    }
    return warnings;
  }

  Mapping_Tables maps_;
  std::string sheet_;
};

TEST_F(Sheet_Check_Test, ACleanLateEveningSheetGetsNoWarning) {
  const std::vector<Sheet_Line> lines = Clean_Sheet(21, 400);
  size_t hour_24 = 0;
  for (const Sheet_Line& l : lines)
    hour_24 += l.tag == 'P' && l.text.find(" 24") != std::string::npos;
  ASSERT_GT(hour_24, 20u);  // the sheet has what it is meant to test
  Sheet_Tally tally;
  EXPECT_EQ(std::vector<std::string>{}, Warnings(Text_Of_Lines(lines), &tally));
  EXPECT_EQ(0, tally.errors);
  EXPECT_EQ(0, tally.dropped);
}

// A misreading planted in a clean sheet: what it does to the lines, and a
// text that its warning holds.
struct Plant {
  const char* name;
  char tag;        // the kind of line it changes
  bool quiet_day;  // only in an event whose readings stay on its day
  std::function<void(std::vector<Sheet_Line>&, size_t)> apply;
  const char* says;
  size_t after = 1;  // the line warned: this many after the line changed
};

// The token `n` (0: the record letter) of a line replaced.
std::string With_Token(const std::string& line, int n, const std::string& to) {
  size_t start = 0;
  for (int i = 0; i < n; ++i) start = line.find(' ', start) + 1;
  const size_t end = line.find(' ', start);
  return line.substr(0, start) + to +
         (end == std::string::npos ? "" : line.substr(end));
}

std::string Token(const std::string& line, int n) {
  size_t start = 0;
  for (int i = 0; i < n; ++i) start = line.find(' ', start) + 1;
  return line.substr(start, line.find(' ', start) - start);
}

const std::vector<Plant>& Plants() {
  using Lines = std::vector<Sheet_Line>;
  static const std::vector<Plant> plants = {
      {"a second hour-24 reading", 'X', true,
       [](Lines& l, size_t i) {
         l.insert(l.begin() + i, {"P ABC SP e S N 240512.0 c", 'P', true});
       },
       "reading dated"},
      {"a reading of the alternate layout", 'P', true,
       [](Lines& l, size_t i) {
         const std::string& t = l[i].text;
         l[i].text = "P " + Token(t, 1) + " " + Token(t, 2) + " Z " +
                     Token(t, 3) + " " + Token(t, 4) + " " + Token(t, 6);
       },
       "alternate layout"},
      {"a first motion of two characters", 'P', true,
       [](Lines& l, size_t i) { l[i].text = With_Token(l[i].text, 7, "d,"); },
       "first motion \"d,\" is longer"},
      {"A-line fields on a D line", 'A', false,
       [](Lines& l, size_t i) {
         l[i].text = "D " + Token(l[i].text, 1) + " " + Token(l[i].text, 2) +
                     " - 0 14.60";
       },
       "those of an A line"},
      {"an event time split by a blank", 'E', false,
       [](Lines& l, size_t i) {
         const std::string time = Token(l[i].text, 2);
         l[i].text =
             With_Token(l[i].text, 2, time.substr(0, 4) + " " + time.substr(4));
       },
       "split by a blank"},
      {"a comment glued to its letter", 'C', false,
       [](Lines& l, size_t i) { l[i].text.erase(1, 1); }, "second character"},
      {"negative minutes of latitude", 'E', false,
       [](Lines& l, size_t i) {
         const std::string lat = Token(l[i].text, 3);
         l[i].text =
             With_Token(l[i].text, 3, lat.substr(0, 3) + "-" + lat.substr(3));
       },
       "negative minutes"},
      {"an amplitude below single precision", 'A', false,
       [](Lines& l, size_t i) {
         l[i].text = With_Token(l[i].text, 3, "1e-50");
       },
       "below single precision"},
      {"a magnitude beyond single precision", 'E', false,
       [](Lines& l, size_t i) { l[i].text = With_Token(l[i].text, 6, "1e39"); },
       "beyond single precision"},
      {"a sign in the hour", 'P', true,
       [](Lines& l, size_t i) {
         l[i].text =
             With_Token(l[i].text, 6, "+" + Token(l[i].text, 6).substr(1));
       },
       "time \"+"},
      {"a letter in the minute", 'P', true,
       [](Lines& l, size_t i) {
         std::string time = Token(l[i].text, 6);
         time[2] = 'a';
         l[i].text = With_Token(l[i].text, 6, time);
       },
       "time \""},
      {"a reading after X", 'X', true,
       [](Lines& l, size_t i) {
         l.insert(l.begin() + i + 1, l[i - 3]);  // the event's last reading
       },
       "after the end record", 2},
      {"a second X", 'X', false,
       [](Lines& l, size_t i) {
         l.insert(l.begin() + i, {"X", 'X', false});
       },
       "second end record", 2},
      {"a carriage return at a comment's end", 'C', false,
       [](Lines& l, size_t i) { l[i].text += "\r"; }, "carriage return"},
      {"a comment cut inside a character", 'C', false,
       [](Lines& l, size_t i) {
         l[i].text = "C " + std::string(79, 'a') + "\xC3\xA9 b";
       },
       "UTF-8"},
  };
  return plants;
}

TEST_F(Sheet_Check_Test, EachPlantedMisreadingGetsOneWarningAtItsLine) {
  std::mt19937 random(23);
  for (const Plant& plant : Plants()) {
    for (int round = 0; round < 10; ++round) {
      std::vector<Sheet_Line> lines = Clean_Sheet(random(), 12);
      std::vector<size_t> fit;
      for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i].tag == plant.tag &&
            (!plant.quiet_day || lines[i].quiet_day))
          fit.push_back(i);
      if (fit.empty()) continue;
      const size_t at = fit[random() % fit.size()];
      plant.apply(lines, at);
      const size_t line = at + plant.after;
      const std::vector<std::string> w = Warnings(Text_Of_Lines(lines));
      ASSERT_EQ(1u, w.size())
          << plant.name << "\n"
          << Text_Of_Lines(lines) << testing::PrintToString(w);
      EXPECT_EQ(std::to_string(line) + ":", w[0].substr(0, w[0].find(' ')))
          << plant.name << ": " << w[0];
      EXPECT_NE(std::string::npos, w[0].find(plant.says))
          << plant.name << ": " << w[0];
    }
  }
}

}  // namespace

namespace {

// Reads of one byte at a time, as a pipe may give them.
struct Byte_By_Byte : File_System {
  ssize_t Read(int fd, void* data, size_t size) override {
    return File_System::Read(fd, data, size > 0 ? 1 : 0);
  }
};

std::vector<std::string> Lines_Read(const std::string& content) {
  const int fd = File_With(content);
  Byte_By_Byte slow;
  File_System* const was = Use_File_System(&slow);
  Line_Reader reader;
  Open_Line_Reader(reader, fd);
  std::vector<std::string> lines;
  std::string_view line;
  while (Read_Line(reader, line)) lines.emplace_back(line);
  Use_File_System(was);
  close(fd);
  return lines;
}

// A byte-order mark is skipped at the very start only, however the reads
// cut it; a file that is a byte-order mark alone, or its first bytes, or
// that holds one later, keeps what it has.
TEST(LineReader, SkipsAByteOrderMarkAtTheStartOnly) {
  using Lines = std::vector<std::string>;
  EXPECT_EQ((Lines{"E 1\n", "X\n"}), Lines_Read("\xEF\xBB\xBF"
                                                "E 1\nX\n"));
  EXPECT_EQ((Lines{"E \xEF\xBB\xBF\n"}), Lines_Read("E \xEF\xBB\xBF\n"));
  EXPECT_EQ(Lines{}, Lines_Read("\xEF\xBB\xBF"));
  EXPECT_EQ(Lines{"\xEF\xBB\n"}, Lines_Read("\xEF\xBB"));
  EXPECT_EQ(Lines{"\xEF\n"}, Lines_Read("\xEF\n"));
  EXPECT_EQ((Lines{"\xEF\xBB\xBF"
                   "C\n"}),
            Lines_Read("\xEF\xBB\xBF\xEF\xBB\xBF"
                       "C\n"));
  EXPECT_EQ(Lines{}, Lines_Read(""));
}

}  // namespace
