// Tokens and the lenient number conversions.
#include "text/fields.h"
#include "text/numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

namespace {


TEST(Fields, WhiteSpaceIncludingNulSeparates) {
  std::string line("E \t a\r\v\fb\0c\n", 12);
  Field_Cursor c = Fields_Of_Sheet_Line(line);
  EXPECT_EQ("a", Next_Field(c));
  EXPECT_EQ("b", Next_Field(c));
  EXPECT_EQ("c", Next_Field(c));
  EXPECT_EQ("", Next_Field(c));
}


TEST(Numbers, RealsReadTheLongestNumericPrefix) {
  EXPECT_EQ(5.0, Read_Real("5-"));
  EXPECT_EQ(0.0, Read_Real(""));
  EXPECT_EQ(0.0, Read_Real("-"));
  EXPECT_EQ(12.5, Read_Real("12.5abc"));
  EXPECT_EQ(1e39, Read_Real("1e39"));
  EXPECT_EQ(std::ldexp(1.0, -149), Read_Real("0x1p-149"));
  EXPECT_TRUE(std::isnan(Read_Real("nan")));
  EXPECT_TRUE(std::isinf(Read_Real("-inf")));
  EXPECT_TRUE(std::signbit(Read_Real("-0")));
  EXPECT_EQ(1.5, Read_Real("1.5" + std::string(100, '0')));
}

TEST(Numbers, PlainDecimalsReadExactlyAsStrtod) {
  std::mt19937 random(99);
  const char digits[] = "0123456789";
  for (int i = 0; i < 200000; ++i) {
    std::string token;
    if (random() % 3 == 0) token += "+-"[random() % 2];
    int before = random() % 20, after = random() % 25;
    for (int d = 0; d < before; ++d) token += digits[random() % 10];
    if (random() % 4 != 0) token += '.';
    for (int d = 0; d < after; ++d) token += digits[random() % 10];
    double ours = Read_Real(token);
    double want = std::strtod(token.c_str(), nullptr);
    ASSERT_EQ(0, std::memcmp(&ours, &want, sizeof ours)) << token;
  }
  const std::string zeros(400, '0');
  for (const std::string& token :
       {std::string("1e5"), std::string("1E-3"), std::string("12."),
        std::string(".5"), std::string("-.5"), std::string("+."),
        std::string("1.2.3"), std::string("--1"), std::string("+-1"),
        std::string("1e400"), std::string("0x10"), std::string("INF"),
        std::string("-nan(1)"), "1" + zeros, "-1" + zeros, "+1" + zeros,
        "0." + zeros + "1", "-0." + zeros + "1", "0.000" + zeros}) {
    double ours = Read_Real(token);
    double want = std::strtod(token.c_str(), nullptr);
    if (std::isnan(want))
      EXPECT_TRUE(std::isnan(ours)) << token;
    else
      EXPECT_EQ(want, ours) << token;
  }
}

TEST(Numbers, IntegersSaturate) {
  EXPECT_EQ(7, Read_Int("07"));
  EXPECT_EQ(-3, Read_Int("-3x"));
  EXPECT_EQ(5, Read_Int("+5"));
  EXPECT_EQ(0, Read_Int("x1"));
  EXPECT_EQ(2147483647, Read_Int("99999999999"));
  EXPECT_EQ(-2147483647 - 1, Read_Int("-99999999999"));
}

}  // namespace
