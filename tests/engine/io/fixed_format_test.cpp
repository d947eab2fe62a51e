#include "io/fixed_format.h"

#include <gtest/gtest.h>

using kelvo::io::format_a;
using kelvo::io::format_f;
using kelvo::io::format_i;
using kelvo::io::Rec;

TEST(FixedFormat, IntegerFieldsAreRightJustifiedAndFillWithAsterisks) {
  EXPECT_EQ(format_i(42, 5), "   42");
  EXPECT_EQ(format_i(-5, 4), "  -5");
  EXPECT_EQ(format_i(1000, 3), "***");
  EXPECT_EQ(format_i(-10, 2), "**");
  EXPECT_EQ(format_i(0, 1), "0");
  EXPECT_EQ(format_i(12345, 5), "12345");
}

TEST(FixedFormat, RealFieldsRoundDropLeadingZeroOnlyWhenNeeded) {
  EXPECT_EQ(format_f(84.614716f, 14, 2), "         84.61");
  EXPECT_EQ(format_f(0.5, 4, 2), "0.50");
  EXPECT_EQ(format_f(0.5, 3, 2), ".50");
  EXPECT_EQ(format_f(-0.5, 4, 2), "-.50");
  EXPECT_EQ(format_f(-0.25, 6, 2), " -0.25");
  EXPECT_EQ(format_f(123.0, 11, 0), "       123.");
  EXPECT_EQ(format_f(12345.678, 6, 2), "******");
  EXPECT_EQ(format_f(1.0 / 0.0, 5, 1), "*****");
  EXPECT_EQ(format_f(2.005, 6, 1), "   2.0");
}

TEST(FixedFormat, CharacterFieldsPadLeftOrKeepLeftmost) {
  EXPECT_EQ(format_a("AB", 4), "  AB");
  EXPECT_EQ(format_a("ABCDEF", 3), "ABC");
  EXPECT_EQ(format_a("", 2), "  ");
}

TEST(FixedFormat, SkipsTurnIntoBlanksOnlyBeforeMoreText) {
  EXPECT_EQ(Rec().x(1).lit("Clock").f(250.0, 14, 2).str(), " Clock        250.00");
  EXPECT_EQ(Rec().lit("A").x(3).str(), "A");
  EXPECT_EQ(Rec().x(1).i(7, 4).lit("  ").str(), "    7  ");
  EXPECT_EQ(Rec().br().br().br().x(1).lit("Clock").str(), "\n\n\n Clock");
}

TEST(FixedFormat, IntegerInputIgnoresBlanksAndRejectsOtherText) {
  long long v = -1;
  EXPECT_TRUE(kelvo::io::read_i("     60", 7, v));
  EXPECT_EQ(v, 60);
  EXPECT_TRUE(kelvo::io::read_i("60", 7, v));
  EXPECT_EQ(v, 60);
  EXPECT_TRUE(kelvo::io::read_i("        5", 7, v));  // the 5 is in column 9
  EXPECT_EQ(v, 0);
  EXPECT_TRUE(kelvo::io::read_i("  -5", 7, v));
  EXPECT_EQ(v, -5);
  EXPECT_FALSE(kelvo::io::read_i("abc", 7, v));
  EXPECT_FALSE(kelvo::io::read_i("1-2", 7, v));
  EXPECT_TRUE(kelvo::io::read_i("", 7, v));
  EXPECT_EQ(v, 0);
}

TEST(FixedFormat, ListDirectedRealsTakeBlanksAndCommas) {
  double v[4] = {};
  EXPECT_EQ(kelvo::io::read_list_reals(" 1.5, 2  3", v, 4), 3);
  EXPECT_DOUBLE_EQ(v[0], 1.5);
  EXPECT_DOUBLE_EQ(v[2], 3.0);
  EXPECT_EQ(kelvo::io::read_list_reals("1 x", v, 4), -1);
  EXPECT_EQ(kelvo::io::read_list_reals("1 2 3", v, 2), 2);
}
