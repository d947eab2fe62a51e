// The IF condition test on hand-filled condition entries: a constant or a
// savevalue by number, which the test reads itself, compares by the value
// that the general operand reading gives it.
#include "runtime/if_block.h"
#include "runtime/operand_eval.h"

#include "runtime_test_support.h"

namespace kelvo::test {
namespace {

class IfCondition : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    e->cond.cond_count = 1;
  }
  // What entry 1 (A relation B) gives, relation r.
  bool falls_through(const CondOperand& a, const CondOperand& b, int r) {
    auto& c = e->cond.cond[1];
    c.a = a;
    c.b = b;
    c.relation = r;
    return test_if_condition(*e, 1);
  }
  real4 general(const CondOperand& o) {
    int index = o.value;
    return operand_index_value(*e, o.kind, index);
  }
};

TEST_F(IfCondition, ConstantsAndSavevaluesReadAsByTheGeneralOperandReading) {
  const double values[] = {0.0, 1.0, -1.0, 0.1, 1.0 / 3.0, -2.5e-7, 7.0000001, 16777217.0, 123456.789, 3.0e38, -7.0e12};
  const int constants[] = {0, 1, -1, 7, 16777217, 16777219, 123457, -123456789};
  for (int k : {1, 2, 17, k_savevalue_limit}) {
    const CondOperand x{opnd::savevalue, k, 0};
    for (double v : values) {
      e->ent.sv.savevalue_value.set(static_cast<std::size_t>(k), v, e->changes);
      for (int c : constants) {
        const CondOperand n{opnd::constant, c, 0};
        const real8 a = general(x);
        const real8 b = general(n);
        // A <= B falls through when A > B, A >= B when A < B.
        EXPECT_EQ(falls_through(x, n, rel::le), a > b) << "X" << k << " = " << v << " against " << c;
        EXPECT_EQ(falls_through(x, n, rel::ge), a < b) << "X" << k << " = " << v << " against " << c;
        EXPECT_EQ(falls_through(n, x, rel::le), b > a) << c << " against X" << k << " = " << v;
      }
    }
  }
}

}  // namespace
}  // namespace kelvo::test
