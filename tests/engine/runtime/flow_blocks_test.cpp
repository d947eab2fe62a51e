// GOTO, SPLIT, ASSEMBLE, LET MIN/MAX and FN$MIN/FN$MAX at run time on
// hand-filled tables: the block chosen, the copies filed, the members
// absorbed, the families given back, the values found and the stops.
#include "runtime/flow_blocks.h"

#include "runtime/transaction_store.h"
#include "runtime_test_support.h"

namespace kelvo::test {
namespace {

class FlowBlocks : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    e->ent.par.param_count = 2;
    e->blocks.block_count = 10;
    reset_assemble_families(*e);
    start_run_transactions(*e);  // no GENERATE blocks: empty chains
    for (int j = 1; j <= k_rn_stream_max; ++j) e->rn.seed[static_cast<std::size_t>(j)] = 2 * j + 1;
  }
  double& word(int k) { return e->act.cur_txn[static_cast<std::size_t>(k)]; }
  double& param(int j) { return word(5 + j); }
  // Block b as LET MIN/MAX row 1 over kind, lower..upper into P1.
  void minmax_row(int b, bool min, int kind, int4 lower, int4 upper) {
    e->cs.pass.minmax_count = 1;
    e->blocks.block_arg[static_cast<std::size_t>(b)] = static_cast<int2>(min ? -1 : 1);
    auto& mm = e->flow.mm;
    mm.minmax_param[1] = 1;
    mm.minmax_kind[1] = kind;
    mm.minmax_lower[1] = lower;
    mm.minmax_upper[1] = upper;
  }
  // Block b as GOTO row 1 to block 7 with the coded probability p.
  void goto_row(int b, real4 p) {
    e->cs.pass.goto_count = 1;
    e->blocks.block_arg[static_cast<std::size_t>(b)] = 1;
    e->flow.go.goto_target[1] = 7.0f;
    e->flow.go.goto_prob[1] = p;
  }
  // Block b as ASSEMBLE 1 whose count word is c.
  void assemble_row(int b, int2 c) {
    e->cs.pass.assemble_count = 1;
    e->flow.assemble_used = true;
    e->blocks.block_opnd[static_cast<std::size_t>(b)] = 1;
    e->blocks.block_arg[static_cast<std::size_t>(b)] = c;
  }
};

// Numbered savevalues 1..5 (after the 200 named ones) hold 3, 1, 1, 4, 2.
TEST_F(FlowBlocks, LetMinAndMaxKeepTheFirstOfEqualValues) {
  const double x[] = {3, 1, 1, 4, 2};
  for (int i = 0; i < 5; ++i) e->ent.sv.savevalue_value.set(static_cast<std::size_t>(201 + i), x[i], e->changes);
  for (const auto& [min, expected] : {std::pair{true, 2.0}, std::pair{false, 4.0}}) {
    minmax_row(3, min, opnd::savevalue, 1, 5);
    let_minmax_block(*e, 3);
    EXPECT_EQ(param(1), expected) << (min ? "MIN" : "MAX");
  }
}

TEST_F(FlowBlocks, LetMinMaxLimitsFromSavevaluesAreChecked) {
  minmax_row(3, true, opnd::savevalue, -1, 5);  // lower from savevalue 1 = 0
  EXPECT_TRUE(stops([&] { let_minmax_block(*e, 3); }));
  EXPECT_NE(out.str().find(" LET MIN/MAX operand in block   3 undefined or <= 0"), std::string::npos);
  e->ent.sv.savevalue_value.set(1, 4, e->changes);
  minmax_row(3, true, opnd::savevalue, 5, -1);  // upper 4 below lower 5
  EXPECT_TRUE(stops([&] { let_minmax_block(*e, 3); }));
  EXPECT_NE(out.str().find(" Upper limit < lower limit in LET MIN/MAX block"), std::string::npos);
}

TEST_F(FlowBlocks, FnMinAndFnMaxOfAConstantAndASavevalue) {
  auto& mm2 = e->flow.mm2;
  mm2.minmax2_count = 1;
  mm2.minmax2_dest[1] = 2;
  mm2.minmax2_char[1] = {' ', '0', 'X'};
  mm2.minmax2_value[1] = {0, 7, 3};
  e->ent.sv.savevalue_value.set(3, 2.5, e->changes);
  e->blocks.block_arg[4] = 1;
  for (const auto& [is_max, expected] : {std::pair{false, 2.5}, std::pair{true, 7.0}}) {
    mm2.minmax2_is_max[1] = is_max;
    exec_let_minmax(*e, 4);
    EXPECT_EQ(e->ent.sv.savevalue_value[2], expected);
  }
}

// The probability from savevalue 1 (coded 2.0): the first draw of stream 1
// is 0.0379.
TEST_F(FlowBlocks, ProbabilityFromASavevalueIsCheckedAgainstItsBounds) {
  struct Case {
    double value;
    int next;  // 0: the engine stops
  };
  for (const Case c : {Case{1.0, 7}, Case{0.0, 3}, Case{1.0000001, 7}, Case{1.01, 0}, Case{-0.01, 0}}) {
    SetUp();
    goto_row(2, 2.0f);
    e->ent.sv.savevalue_value.set(1, c.value, e->changes);
    if (c.next == 0) {
      EXPECT_TRUE(stops([&] { probability_branch(*e, 2); })) << c.value;
      EXPECT_NE(out.str().find(" Probability outside of 0 - 1 interval in block    2"), std::string::npos);
    } else {
      probability_branch(*e, 2);
      EXPECT_EQ(word(tw::next_block), c.next) << c.value;
      EXPECT_EQ(word(tw::current_block), 2.0);
    }
  }
}

TEST_F(FlowBlocks, ProbabilityFromAParameter) {
  goto_row(2, 10002.0f);
  param(2) = 0.5;
  probability_branch(*e, 2);
  EXPECT_EQ(word(tw::next_block), 7.0);  // 0.0379 < 0.5
}

// SPLIT 3 with serial parameter P1 = 0: the parent leaves with 1, the
// copies carry 2, 3 and 4, go to block 7 at the parent's time, and share
// the parent's family, which now has four members.
TEST_F(FlowBlocks, SplitNumbersTheCopiesAndFilesThemInOrder) {
  e->cs.pass.split_count = 1;
  e->flow.assemble_used = true;
  e->blocks.block_arg[2] = 1;
  e->blocks.block_opnd[2] = 3;
  e->flow.split.split_param[1] = 1;
  e->flow.split.split_target[1] = 7;
  word(tw::move_time) = 4.0;
  param(1) = 0.0;
  split_block(*e, 2);
  EXPECT_EQ(param(1), 1.0);
  EXPECT_EQ(word(tw::next_block), 3.0);
  EXPECT_EQ(e->act.cur_marks.family, 1);
  EXPECT_EQ(e->fam.members[1], 4);
  std::vector<std::vector<float>> copies;
  for (int r = e->txn.chain_head[1]; r != 0; r = e->txn.txn_next[static_cast<std::size_t>(r)]) {
    copies.push_back({record_move_time(*e, r), record_word(*e, r, tw::next_block), record_word(*e, r, tw::current_block),
                      record_word(*e, r, 6)});
    EXPECT_EQ(e->txn.txn_marks[static_cast<std::size_t>(r)].family, 1);
  }
  EXPECT_EQ(copies, (std::vector<std::vector<float>>{{4, 7, 2, 2}, {4, 7, 2, 3}, {4, 7, 2, 4}}));
}

TEST_F(FlowBlocks, SplitWithANegativeCountFromASavevalueEndsTheRun) {
  e->cs.pass.split_count = 1;
  e->blocks.block_arg[2] = 1;
  e->blocks.block_opnd[2] = -1;
  e->ent.sv.savevalue_value.set(1, -2, e->changes);
  EXPECT_TRUE(stops([&] { split_block(*e, 2); }));
  EXPECT_NE(out.str().find(" Negative number of copies calculated"), std::string::npos);
}

// ASSEMBLE 3: two members of family 1 are absorbed, the third passes for
// all of them and the family's count returns to 0.
TEST_F(FlowBlocks, AssembleAbsorbsTwoAndPassesTheThird) {
  assemble_row(5, 2);
  e->act.cur_marks.family = 1;
  for (int member = 1; member <= 3; ++member) {
    word(tw::next_block) = 5;
    assemble_block(*e, 5);
    EXPECT_EQ(word(tw::next_block), member < 3 ? -1.0 : 5.0) << member;
    EXPECT_EQ(e->blocks.block_current[5], member < 3 ? member : 0) << member;
  }
  EXPECT_EQ(e->fam.asm_count[1][1], 0);
}

// A count of 1 or less from a savevalue is reported; the transaction
// passes on and nothing is counted.
TEST_F(FlowBlocks, AssembleCountFromASavevalueBelowTwoIsReported) {
  for (const auto& [value, message] : {std::pair{1.0, " Value in ASSMBLE A operand 1; try with 2"},
                                       std::pair{0.0, " Illegal value of ASSEMBLE A operand"}}) {
    assemble_row(5, -1);
    e->ent.sv.savevalue_value.set(1, value, e->changes);
    word(tw::next_block) = 5;
    assemble_block(*e, 5);
    EXPECT_EQ(word(tw::next_block), 5.0);
    EXPECT_NE(out.str().find(message), std::string::npos);
    EXPECT_EQ(e->blocks.block_current[5], 0);
  }
}

// A family's number comes back when its last member leaves: terminated
// after passing an ASSEMBLE, or absorbed at one that none of them will
// complete (SPLIT 1 makes two members, ASSEMBLE 3 waits for three).
TEST_F(FlowBlocks, TheLastMemberToLeaveGivesTheFamilyBack) {
  e->cs.pass.split_count = 1;
  e->flow.split.split_target[1] = 7;
  e->blocks.block_arg[2] = 1;
  e->blocks.block_opnd[2] = 1;
  for (const int splits : {2, 1}) {
    SCOPED_TRACE(splits);
    reset_assemble_families(*e);
    const int free_before = e->fam.free_count;
    assemble_row(5, 2);
    e->act.cur_marks.family = 0;
    for (int k = 0; k < splits; ++k) split_block(*e, 2);
    const int f = e->act.cur_marks.family;
    EXPECT_EQ(e->fam.members[static_cast<std::size_t>(f)], splits + 1);
    for (int k = 0; k <= splits; ++k) {
      EXPECT_FALSE(e->fam.family_free[static_cast<std::size_t>(f)]);
      word(tw::next_block) = 5;
      e->act.cur_marks.family = f;
      assemble_block(*e, 5);
    }
    if (splits == 2) release_family_at_terminate(*e);
    EXPECT_TRUE(e->fam.family_free[static_cast<std::size_t>(f)]);
    EXPECT_EQ(e->fam.free_count, free_before);
    EXPECT_EQ(e->fam.asm_count[static_cast<std::size_t>(f)][1], 0);
  }
}

TEST_F(FlowBlocks, EntityOffsetsByKind) {
  auto& st = e->ent.st;
  st.storage_count = 2;
  st.facility_offset = 3;
  // The storages' queues keep their numbers; queue 3 follows the 5 named.
  e->ent.q.named_queue_count = 5;
  EXPECT_EQ(entity_offset_by_kind(*e, opnd::queue, 2), 0);
  EXPECT_EQ(entity_offset_by_kind(*e, -opnd::queue, 3), 3);
  EXPECT_EQ(entity_offset_by_kind(*e, opnd::storage, 2), 0);
  EXPECT_EQ(entity_offset_by_kind(*e, opnd::storage, 3), 3);
  EXPECT_EQ(entity_offset_by_kind(*e, -opnd::remaining, 3), 3);
  EXPECT_EQ(entity_offset_by_kind(*e, opnd::savevalue, 1), k_named_savevalue_limit);
  EXPECT_EQ(entity_offset_by_kind(*e, opnd::block_count, 1), 0);
  EXPECT_EQ(entity_offset_by_kind(*e, opnd::constant, 1), 0);
}

}  // namespace
}  // namespace kelvo::test
