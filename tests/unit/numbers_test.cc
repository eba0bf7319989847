// The hand-written number conversions against the C library: fixed-point
// text against snprintf, decimal reading against strtod, bit for bit.
#include "text/numbers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "records/misreadings.h"
#include "text/fields.h"
#include "text/fixed_point.h"
#include "text/output_buffer.h"
#include "text/record_text.h"

namespace {

// Every fixed-point conversion that the records use.
struct Fixed_Format {
  const char* printf_format;
  size_t width;
  int precision;
  bool plus;
} const kFormats[] = {{"%6.4f", 6, 4, false}, {"%7.4f", 7, 4, false},
                      {"%+9.5f", 9, 5, true}, {"%+10.5f", 10, 5, true},
                      {"%8.4f", 8, 4, false}, {"%5.2f", 5, 2, false},
                      {"%6.2f", 6, 2, false}, {"%5.3f", 5, 3, false}};

void Expect_Like_Printf(float value) {
  for (const Fixed_Format& f : kFormats) {
    char want[512], got[kFixed_Room];
    std::snprintf(want, sizeof want, f.printf_format, value);
    size_t n = Format_Fixed(got, value, f.width, f.precision, f.plus);
    ASSERT_EQ(want, std::string(got, n)) << f.printf_format << " of " << value;
  }
}

TEST(FixedPoint, LikePrintf) {
  const float inf = std::numeric_limits<float>::infinity();
  for (float v : {0.0f, -0.0f, 1.115f, -0.004f, 9.99995f, 99.99995f, 1e-45f,
                  3.4028235e38f, -3.4028235e38f, 0.125f, 2.5f, 999999999.0f,
                  inf, -inf, std::numeric_limits<float>::quiet_NaN()})
    Expect_Like_Printf(v);
  std::mt19937 random(12345);
  std::uniform_real_distribution<float> near(-2000.0f, 2000.0f);
  for (int i = 0; i < 100000; ++i) {
    uint32_t bits = random();
    float any;
    std::memcpy(&any, &bits, sizeof any);
    Expect_Like_Printf(any);
    // On or next to a rounding boundary of two to five decimals.
    float boundary = std::round(near(random) * 1000.0f) / 1000.0f + 0.0005f;
    Expect_Like_Printf(boundary);
    Expect_Like_Printf(std::nextafter(boundary, 0.0f));
  }
}

TEST(FixedPoint, IntegersLikePrintf) {
  for (int v : {0, 9, 10, 99, 100, 1975, 9999, 10000, -1, -10, -1000, INT_MAX,
                INT_MIN}) {
    Out_Buffer four, year, two;
    Put_Int(four, v, 4);
    Put_Year(year, v);
    Put_Two_Digits(two, v);
    char want[32];
    std::snprintf(want, sizeof want, "%4d", v);
    EXPECT_EQ(want, Text_Of(four));
    EXPECT_EQ(want, Text_Of(year));
    std::snprintf(want, sizeof want, "%02d", v);
    EXPECT_EQ(want, Text_Of(two));
  }
}

void Expect_Like_Strtod(const std::string& token) {
  char* end;
  double want = std::strtod(token.c_str(), &end);
  double got = Read_Real(token);
  if (std::isnan(want))
    EXPECT_TRUE(std::isnan(got)) << token;
  else
    EXPECT_EQ(0, std::memcmp(&want, &got, sizeof got)) << token;
  // The checker's test of a token read whole: what strtod takes whole, but
  // for the spellings that are no sheet's numbers (hexadecimal, inf, nan);
  // an empty token is a missing field, read as 0 on purpose.
  const bool whole = static_cast<size_t>(end - token.c_str()) == token.size();
  const bool spelled = token.find_first_of("xXiInN") != std::string::npos;
  EXPECT_EQ(token.empty() || (whole && !spelled), Is_Decimal(token)) << token;
}

TEST(Reading, LikeStrtod) {
  std::mt19937 random(99);
  for (int i = 0; i < 200000; ++i) {
    std::string token;
    if (random() % 3 == 0) token += "+-"[random() % 2];
    for (int d = random() % 20; d > 0; --d)
      token += "0123456789"[random() % 10];
    if (random() % 4 != 0) token += '.';
    for (int d = random() % 25; d > 0; --d)
      token += "0123456789"[random() % 10];
    Expect_Like_Strtod(token);
  }
  const std::string zeros(400, '0');
  for (const std::string& token : {std::string("1e5"),
                                   std::string("12.5abc"),
                                   std::string("5-"),
                                   std::string(".5"),
                                   std::string("+."),
                                   std::string("1.2.3"),
                                   std::string("--1"),
                                   std::string("1e400"),
                                   std::string("0x1p-149"),
                                   std::string("-nan(1)"),
                                   std::string("INF"),
                                   std::string(""),
                                   std::string("9007199254740992"),
                                   std::string("9007199254740993"),
                                   std::string("-0.9007199254740993"),
                                   std::string("1.0000000000000000000001"),
                                   std::string("0.00000000000000000000012"),
                                   std::string("-0"),
                                   std::string("12345678901234567890"),
                                   std::string("."),
                                   "1" + zeros,
                                   "-0." + zeros + "1",
                                   "0.000" + zeros})
    Expect_Like_Strtod(token);
  // Integers as strtol reads them (atoi of the C library), saturated to the
  // int range, with the length of what it takes.
  for (int i = 0; i < 100000; ++i) {
    std::string token;
    for (int n = random() % 14; n > 0; --n)
      token += "+-0123456789x"[random() % 13];
    char* end = nullptr;
    const long value = std::strtol(token.c_str(), &end, 10);
    const long expected = std::clamp<long>(value, INT_MIN, INT_MAX);
    ASSERT_EQ(expected, Read_Int(token)) << token;
    // Read whole: strtol takes every character, and some.
    ASSERT_EQ(!token.empty() && *end == '\0', Is_Whole_Int(token)) << token;
  }
  EXPECT_EQ(0, Read_Int(std::string_view()));  // no text at all
  EXPECT_FALSE(Is_Whole_Int(std::string_view()));
  EXPECT_EQ(INT_MAX, Read_Int("99999999999"));
  EXPECT_EQ(INT_MIN, Read_Int("-99999999999"));
  EXPECT_EQ(-3, Read_Int("-3x"));
  EXPECT_FALSE(Is_Whole_Int("-3x"));
  EXPECT_FALSE(Is_Whole_Int("+"));
}

// Decimal tokens of every shape the sheets' number fields may hold, exponents
// and stray characters included, judged by strtod.
TEST(Reading, DecimalsReadWholeLikeStrtod) {
  std::mt19937 random(23);
  for (int i = 0; i < 200000; ++i) {
    std::string token;
    for (int n = random() % 9; n > 0; --n)
      token += "+-0123456789.eExin,"[random() % 19];
    Expect_Like_Strtod(token);
  }
  for (const char* token : {"1e5", "1e", "1e+", ".e1", "5.", ".5", "-.5e-3",
                            "0x10", "inf", "nan", "1e-50", "1,5"})
    Expect_Like_Strtod(token);
}

// A time reads whole with two digits of hour and of minute, and decimal
// seconds or none: a sign or a letter there is read as something else.
TEST(Reading, WholeTimes) {
  for (const char* token :
       {"1005", "100520.25", "240012.5", "1005-0.5", "10051e1"})
    EXPECT_TRUE(Is_Whole_Time(token)) << token;
  for (const char* token : {"100", "+10520.0", "-10520.0", "10a520.25",
                            "1a0520", "100520,25", "1005x", "1 0520"})
    EXPECT_FALSE(Is_Whole_Time(token)) << token;
}

}  // namespace

// A line is a view into a larger buffer: reading its fields never looks
// past its end, at the bytes of the next line.
TEST(Fields, StopAtTheEndOfTheLine) {
  const std::string buffer = "P A d\nX";
  Field_Cursor c = Fields_Of(std::string_view(buffer).substr(0, 5));
  EXPECT_EQ(Next_Field(c), "P");
  EXPECT_EQ(Next_Field(c), "A");
  EXPECT_EQ(Next_Char(c), 'd');
  EXPECT_EQ(Next_Char(c), '\0');
  EXPECT_EQ(Next_Char(c), '\0');
  EXPECT_EQ(Next_Field(c), "");
}
