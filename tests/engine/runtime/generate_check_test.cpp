// The compile-time check of a GENERATE operand that names a definition.
#include "runtime/generate_advance_terminate.h"

#include "runtime_test_support.h"

namespace kelvo::test {
namespace {

class GenerateCheck : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    e->expr.defn_count = 1;
    e->expr.defn_name[1] = pack6("LIM");
    e->expr.expr_item_kind[1][1] = 0;
    e->expr.expr_item_arg[1][1] = 25;
    e->ctl.current_statement.assign("       GENERATE  10,,V$LIM");
  }
};

TEST_F(GenerateCheck, DefinitionGivesItsFirstItem) {
  float v = 0;
  EXPECT_TRUE(c_operand_check(*e, "V$LIM", pack6("LIM"), v));
  EXPECT_EQ(v, 25.0f);
  EXPECT_FALSE(e->ctl.error_found);
}

TEST_F(GenerateCheck, ExpressionIsRefused) {
  float v = 0;
  EXPECT_FALSE(c_operand_check(*e, "V$LIM+1", pack6("LIM"), v));
  EXPECT_TRUE(e->ctl.error_found);
  EXPECT_EQ(lines_of(out.str()).at(0).substr(0, 31), "Expression illegal as C operand");
}

TEST_F(GenerateCheck, OtherOperandsAreLeftToTheCaller) {
  float v = 0;
  EXPECT_FALSE(c_operand_check(*e, "X$LIM", pack6("LIM"), v));
  EXPECT_FALSE(c_operand_check(*e, "V$OTHER", pack6("OTHER"), v));
  EXPECT_FALSE(e->ctl.error_found);
  EXPECT_EQ(out.str(), "");
}

}  // namespace
}  // namespace kelvo::test
