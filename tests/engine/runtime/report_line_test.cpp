// The report line: integer and real fields built column by column, the
// line limit, the flush with its front-end diversion and console echo,
// and the fresh-file and WRN-file openers.
#include "runtime/report_line.h"

#include <cmath>
#include <cstdint>

#include "io/fixed_format.h"
#include "support/output_files.h"

#include "runtime_test_support.h"

namespace kelvo::test {
namespace {

class ReportLine : public RuntimeTest {
 protected:
  std::string line() const {
    return std::string(e->rep.out_line.data() + 1, static_cast<std::size_t>(e->rep.out_col));
  }
  std::string int_field(int n, int w) {
    e->rep.out_line.fill(' ');
    e->rep.out_col = 0;
    put_int_field(*e, n, w);
    return line();
  }
  std::string real_field(float x, int w, int d) {
    e->rep.out_line.fill(' ');
    e->rep.out_col = 0;
    put_real_field(*e, x, w, d);
    return line();
  }
};

TEST_F(ReportLine, IntegerFields) {
  EXPECT_EQ(int_field(0, 4), "   0");
  EXPECT_EQ(int_field(-42, 5), "  -42");
  EXPECT_EQ(int_field(7, 1), "7");
  EXPECT_EQ(int_field(123, 3), "123");
  // Above 9999999 the field widens to 9 and gets one blank in front.
  EXPECT_EQ(int_field(12345678, 8), "  12345678");
  // A field of 10 (the widest) is preceded by two blanks.
  EXPECT_EQ(int_field(5, 12), "           5");
}

TEST_F(ReportLine, NegativeValuesWidenInsteadOfLosingDigits) {
  EXPECT_EQ(int_field(-42, 2), "-42");
  EXPECT_EQ(int_field(-12345, 3), "-12345");
}

TEST_F(ReportLine, TooNarrowIntegerStopsTheRun) {
  EXPECT_TRUE(stops([&] { int_field(12345678, 4); }));
  EXPECT_NE(out.str().find(" Too few positions for integer. Too many decimals?"), std::string::npos);
}

TEST_F(ReportLine, RealFields) {
  EXPECT_EQ(real_field(2.5f, 6, 2), "  2.50");
  EXPECT_EQ(real_field(-0.25f, 6, 2), " -0.25");
  EXPECT_EQ(real_field(-2.5f, 6, 2), " -2.50");
  EXPECT_EQ(real_field(84.614716f, 10, 2), "     84.61");
  EXPECT_EQ(real_field(0.0f, 5, 1), "  0.0");
  // Rounding at the last decimal carries into the integer part.
  EXPECT_EQ(real_field(2.999f, 6, 2), "  3.00");
  EXPECT_EQ(real_field(19999.97f, 10, 2), "  19999.97");
  EXPECT_EQ(real_field(-75065.65f, 10, 2), " -75065.65");
  EXPECT_EQ(real_field(-0.001f, 6, 2), "  0.00");
  // 0.75 plus half a unit of the last decimal is 0.8.
  EXPECT_EQ(real_field(123456.75f, 10, 1), "  123456.8");
  EXPECT_EQ(real_field(3.0f, 6, 0), "    3.");
}

// A real field shows the digits of the report's own fixed-point fields:
// the value rounded at its last decimal, over a sweep of magnitudes and
// fractions close to a whole number, where an integer part taken apart
// from the fraction would disagree with it. (Exact ties, which the two
// writers round differently, are left out.)
TEST_F(ReportLine, RealFieldsAgreeWithTheReportFields) {
  std::uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;
  };
  for (int n = 0; n < 200000; ++n) {
    const int d = static_cast<int>(next() % 4);
    const float magnitude = std::pow(10.0f, static_cast<float>(next() % 9) - 2.0f);
    const float near_whole = static_cast<float>(next() % 1000) + 1.0f - static_cast<float>(next() % 100) * 1.0e-4f;
    float x = n % 2 == 0 ? magnitude * static_cast<float>(next() % 100000) / 1000.0f : near_whole * magnitude;
    if (next() % 3 == 0) x = -x;
    if (std::fabs(x) >= 1.0e9f) continue;
    const double scaled = std::fabs(static_cast<double>(x)) * std::pow(10.0, d) * 2.0;
    if (scaled == std::floor(scaled) && std::fmod(scaled, 2.0) == 1.0) continue;
    std::string got = real_field(x, 16, d);
    std::string want = io::format_f(x, 20, d);
    got.erase(0, got.find_first_not_of(' '));
    want.erase(0, want.find_first_not_of(' '));
    ASSERT_EQ(got, want) << x << " with " << d << " decimals";
  }
}

TEST_F(ReportLine, MillionsForValuesFromOneBillion) {
  EXPECT_EQ(real_field(1.5e9f, 10, 2), "  1500 MIL");
  EXPECT_FALSE(e->rep.million_mode);
  EXPECT_EQ(real_field(-1.5e9f, 10, 2), " -1500 MIL");
  // Too many millions for the field: widened, never garbage digits.
  EXPECT_EQ(real_field(1.5e12f, 10, 2), "1500000 MIL");
}

TEST_F(ReportLine, SeventyEightColumnsAreTheLimit) {
  for (int i = 0; i < 78; ++i) put_char1(*e, 'x');
  EXPECT_EQ(e->rep.out_col, 78);
  EXPECT_TRUE(stops([&] { put_char1(*e, 'y'); }));
  EXPECT_NE(out.str().find(" Printing extends beyond column 79"), std::string::npos);
}

TEST_F(ReportLine, FlushWritesBlankAndSeventyEightColumns) {
  put_chars6(*e, "ABCDEF");
  put_chars2(*e, "GH");
  put_int_field(*e, 5, 3);
  flush_report_line(*e);
  const std::string expected = " ABCDEFGH  5" + std::string(78 - 11, ' ') + "\n";
  EXPECT_EQ(out.str(), expected);
  EXPECT_EQ(e->rep.out_col, 0);
  EXPECT_EQ(e->rep.out_line[1], ' ');
}

TEST_F(ReportLine, FrontEndFlushGoesToTheResultFileAndEchoes) {
  ScratchDir dir("flush");
  e->ctl.java_mode = true;
  e->rep.prog_unit = 40;
  ASSERT_TRUE(e->ch.open_new(40, "res.txt"));
  e->rep.out_unit = 41;
  e->rep.report_flag = true;
  put_char1(*e, 'Z');
  flush_report_line(*e);
  e->ch.close(40);
  EXPECT_EQ(trim_right(lines_of(read_file("res.txt")).at(0)), " Z");
  EXPECT_EQ(e->rep.out_unit, 41);
  EXPECT_TRUE(e->rep.console_echo);
  EXPECT_EQ(trim_right(lines_of(out.str()).at(0)), " Z");
}

TEST_F(ReportLine, OpenOrDeleteLeavesAnEmptyFile) {
  ScratchDir dir("fresh");
  { std::ofstream("old.txt") << "stale\n"; }
  open_or_delete_file(*e, 30, "old.txt");
  e->ch.close(30);
  EXPECT_EQ(read_file("old.txt"), "");
}

TEST_F(ReportLine, WrnFileIsOpenedOnceWithTruncation) {
  ScratchDir dir("wrn");
  e->ctl.program_file_name.assign("MODEL.TXT");
  { std::ofstream("MODEL.WRN") << "old warning\n"; }
  const int unit = open_wrn_file(*e);
  EXPECT_EQ(unit, 15 + 55);
  e->ch.write(unit, "** WARNING **");
  EXPECT_EQ(open_wrn_file(*e), unit);
  e->ch.close(unit);
  EXPECT_EQ(read_file("MODEL.WRN"), "** WARNING **\n");
}

}  // namespace
}  // namespace kelvo::test
