// The record builders must give exactly what printf gives for the same
// conversion: compared on special values and on many random floats.
#include "text/record_text.h"
#include "text/fixed_point.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

namespace {

std::string Printf(const char* format, double value) {
  char text[512];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

struct Fixed_Format {
  const char* printf_format;
  size_t width;
  int precision;
  bool plus;
};

// Every fixed-point conversion that the records use.
const Fixed_Format kFormats[] = {
    {"%6.4f", 6, 4, false},   {"%7.4f", 7, 4, false}, {"%+9.5f", 9, 5, true},
    {"%+10.5f", 10, 5, true}, {"%8.4f", 8, 4, false}, {"%5.2f", 5, 2, false},
    {"%6.2f", 6, 2, false},   {"%5.3f", 5, 3, false}};

void Expect_Like_Printf(float value) {
  for (const Fixed_Format& f : kFormats) {
    Record_Text ours;
    Put_Fixed(ours, value, f.width, f.precision, f.plus);
    ASSERT_EQ(Printf(f.printf_format, value), Text_Of(ours))
        << f.printf_format << " of " << value;
  }
}

TEST(PutFixed, SpecialValues) {
  const float specials[] = {0.0f,
                            -0.0f,
                            5.5f,
                            -5.5f,
                            1.115f,
                            0.004f,
                            -0.004f,
                            9.99995f,
                            9.99994f,
                            99.99995f,
                            999.99995f,
                            1e-45f,
                            -1e-45f,
                            3.4028235e38f,
                            -3.4028235e38f,
                            0.125f,
                            0.375f,
                            2.5f,
                            0.00005f,
                            std::numeric_limits<float>::infinity(),
                            -std::numeric_limits<float>::infinity(),
                            std::numeric_limits<float>::quiet_NaN(),
                            -std::numeric_limits<float>::quiet_NaN()};
  for (float v : specials) Expect_Like_Printf(v);
}

TEST(PutFixed, RandomFloats) {
  std::mt19937 random(12345);
  std::uniform_real_distribution<float> near(-2000.0f, 2000.0f);
  for (int i = 0; i < 100000; ++i) {
    uint32_t bits = random();
    float any;
    std::memcpy(&any, &bits, sizeof any);
    Expect_Like_Printf(any);
    Expect_Like_Printf(near(random));
    // Values on or next to a rounding boundary of two to five decimals.
    float boundary = std::round(near(random) * 1000.0f) / 1000.0f + 0.0005f;
    Expect_Like_Printf(boundary);
    Expect_Like_Printf(std::nextafter(boundary, 0.0f));
  }
}

TEST(PutInt, LikePrintf) {
  const int values[] = {0,     1,  9,  10,  99,   100,   1975,    9999,
                        10000, -1, -9, -10, -999, -1000, INT_MAX, INT_MIN};
  for (int v : values) {
    Record_Text four, two;
    Put_Int(four, v, 4, ' ');
    Put_Int(two, v, 2, '0');
    char want[32];
    std::snprintf(want, sizeof want, "%4d", v);
    EXPECT_EQ(want, Text_Of(four));
    std::snprintf(want, sizeof want, "%02d", v);
    EXPECT_EQ(want, Text_Of(two));
  }
  Record_Text three;
  Put_Int(three, -5, 3, '0');
  EXPECT_EQ("-05", Text_Of(three));
}

TEST(PutText, WidthsAreMinimumsAndCutsAreMaximums) {
  Record_Text r;
  Put_Left(r, "ABC", 5);
  Put_Left(r, "STATION", 5);
  Put_Right(r, "1", 3);
  Put_Right(r, "BHZN", 3);
  Put_Cut(r, "125.0000", 7);
  Put_Cut(r, "05.5", 7);
  EXPECT_EQ("ABC  STATION  1BHZN125.00005.5", Text_Of(r));
  // The buffer grows for records of any width.
  Record_Text wide;
  std::string long_name(5000, 'S');
  Put_Left(wide, long_name, 5);
  Put_Right(wide, "1", 12);
  EXPECT_EQ(long_name + "           1", Text_Of(wide));
}

}  // namespace
