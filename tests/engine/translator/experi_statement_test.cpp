// The EXPERI statement read before translation: its stored operands, the
// lines it is looked for in, and the forms it accepts or refuses.
#include "../engine_fixture.h"
#include "support/packed_names.h"
#include "translator/translator.h"

namespace kelvo {
namespace {

using ExperiStatement = testing::EngineTest;

// A model whose line `at` (from 2) holds `line`, comment lines before it.
std::string model_with(const std::string& line, int at = 2) {
  std::string m = "       SIMULATE\n";
  for (int i = 2; i < at; ++i) m += "* comment\n";
  return m + line + "\n       GENERATE  1\n       TERMINATE 1\n       START     1\n       END\n";
}

TEST_F(ExperiStatement, StoresAlternativesValuesAndRuns) {
  struct Case {
    const char* line;
    int alternatives;
    float low, high;
    int runs;
    bool last_only;
  };
  const Case cases[] = {
      {"       EXPERI X$INV,X$OUT,5,10,20,30", 5, 10.0f, 20.0f, 30, false},
      {"       EXPERI X$INV,X$OUT,5,10,20,30,L", 5, 10.0f, 20.0f, 30, true},
      // Operands aligned with extra blanks read like the one-blank form.
      {"       EXPERI    X$INV,X$OUT,2,0.5,0.8,40", 2, 0.5f, 0.8f, 40, false},
      {"       HELP      EXPERI,X$INVAL,X$OUT,1,7.5,7.5,3 ! comment", 1, 7.5f, 7.5f, 3, false},
  };
  for (const Case& c : cases) {
    write_file("m.txt", model_with(c.line));
    e().ctl.program_file_name.assign("m.txt");
    ASSERT_TRUE(parse_experi(e())) << c.line;
    const auto& x = e().ent.experi;
    EXPECT_EQ(x.experi_stmt_alternatives, c.alternatives) << c.line;
    EXPECT_FLOAT_EQ(x.experi_stmt_low, c.low) << c.line;
    EXPECT_FLOAT_EQ(x.experi_stmt_high, c.high) << c.line;
    EXPECT_EQ(x.experi_stmt_runs, c.runs) << c.line;
    EXPECT_EQ(x.last_result_only, c.last_only) << c.line;
    EXPECT_EQ(x.result_name, pack_symbol_name(e(), "OUT")) << c.line;
  }
}

TEST_F(ExperiStatement, FoundOnlyInTheFirstThirtyLines) {
  write_file("m.txt", model_with("       EXPERI X$INV,X$OUT,3,10,20,1", 30));
  e().ctl.program_file_name.assign("m.txt");
  EXPECT_TRUE(parse_experi(e()));
  write_file("m.txt", model_with("       EXPERI X$INV,X$OUT,3,10,20,1", 31));
  EXPECT_FALSE(parse_experi(e()));
  // Comment lines do not count as the statement, and a missing file holds none.
  write_file("m.txt", model_with("*      EXPERI X$INV,X$OUT,3,10,20,1"));
  EXPECT_FALSE(parse_experi(e()));
  e().ctl.program_file_name.assign("missing.txt");
  EXPECT_FALSE(parse_experi(e()));
}

TEST_F(ExperiStatement, ErrorsStopWithTheStatementShown) {
  struct Case {
    const char* operands;
    const char* message;
  };
  const Case cases[] = {
      {"X$INV,X$OUT,0,10,20,5", " or there is a syntax error in this statement"},
      {"X$INV,X$OUT,2,10,20,501", " Too many runs demanded"},
      {"X$INVALUE1,X$OUT,2,10,20,5", " or there is a syntax error in this statement"},
      {"X$INV,X$OUT,2,10,20,5x", " Only constants allowed here"},
      {"X$INV,X$OUT,2,10,20,1.5", " Illegal . in operand  7"},
      {"X$INV,X$O,2,10,20,5", " Savevalue must have at least 3 letters"},
  };
  for (const Case& c : cases) {
    const std::string line = std::string("       EXPERI ") + c.operands;
    write_file("m.txt", model_with(line));
    e().ctl.program_file_name.assign("m.txt");
    console_input("");
    const std::size_t before = console_output().size();
    EXPECT_TRUE(stops([&] { parse_experi(e()); })) << c.operands;
    const std::string out = console_output().substr(before);
    EXPECT_NE(out.find(c.message), std::string::npos) << c.operands << "\n" << out;
    EXPECT_NE(out.find("   " + line), std::string::npos) << out;
  }
}

}  // namespace
}  // namespace kelvo
