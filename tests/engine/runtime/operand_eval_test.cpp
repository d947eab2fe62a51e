// Operand and expression evaluation: the operator rules, nesting,
// operand kinds, parameters used as entity numbers, the built-in
// functions, the B operand of station blocks, and run-time input (console
// numbers, extern.dat, INPUT, the experiment's input and VALIN calls).
#include "runtime/operand_eval.h"
#include "support/console_answer.h"

#include "runtime_test_support.h"

namespace kelvo::test {
namespace {

class Evaluation : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    for (auto& row : e->expr.expr_item_kind) row.fill(k_expr_end);
    e->ent.par.param_count = 3;
    e->act.cur_txn[2] = 7;  // the block named in error reports
    e->blocks.block_count = 10;
  }
  // Appends item (kind, op, arg) to expression x.
  void item(int x, int kind, int op, int arg) {
    auto& kinds = e->expr.expr_item_kind[static_cast<std::size_t>(x)];
    int i = 1;
    while (kinds[static_cast<std::size_t>(i)] != k_expr_end) ++i;
    kinds[static_cast<std::size_t>(i)] = kind;
    e->expr.expr_item_op[static_cast<std::size_t>(x)][static_cast<std::size_t>(i)] = op;
    e->expr.expr_item_arg[static_cast<std::size_t>(x)][static_cast<std::size_t>(i)] = arg;
  }
  bool has(const std::string& text) const {
    for (const auto& l : lines_of(out.str()))
      if (trim_right(l) == text) return true;
    return false;
  }
};

// --- Expressions ---

TEST_F(Evaluation, MultiplicationBindsToTheRunningTerm) {
  // 10 - 2 * 3
  item(1, 0, 1, 10);
  item(1, 0, 2, 2);
  item(1, 0, 3, 3);
  EXPECT_EQ(eval_variable_1(*e, 1), 4.0f);
  // -5 + 8 / 2: a leading minus negates the first term.
  item(2, 0, 2, 5);
  item(2, 0, 1, 8);
  item(2, 0, 4, 2);
  EXPECT_EQ(eval_variable_1(*e, 2), -1.0f);
}

TEST_F(Evaluation, RemainderBindsLikeDivisionAndKeepsTheDividendSign) {
  // 10 - 7 % 4 = 10 - 3
  item(1, 0, 1, 10);
  item(1, 0, 2, 7);
  item(1, 0, 6, 4);
  EXPECT_EQ(eval_variable_1(*e, 1), 7.0f);
  // -7 % 4 = -3 (as the first term, negated by the leading minus first)
  item(2, 0, 2, 7);
  item(2, 0, 6, 4);
  EXPECT_EQ(eval_variable_1(*e, 2), -3.0f);
}

TEST_F(Evaluation, ParenthesisedPartsGoThroughTemporarySlots) {
  // (2 + 3) * 4: the part is stored in slot 1 and used as a term.
  item(1, 0, 1, 2);
  item(1, 0, 1, 3);
  item(1, 0, 5, 1);
  item(1, 14, 1, 1);
  item(1, 0, 3, 4);
  EXPECT_EQ(eval_variable_1(*e, 1), 20.0f);
}

TEST_F(Evaluation, DivisionByAZeroSavevalueEndsTheRun) {
  item(1, 0, 1, 1);
  item(1, 8, 4, 5);  // X5 = 0
  console_input("\n");
  EXPECT_TRUE(stops([&] { eval_variable_1(*e, 1); }));
  EXPECT_TRUE(has(" Division with     0.00000000"));
  EXPECT_TRUE(has(" Error found at block    7"));
}

TEST_F(Evaluation, TinyDivisorsAreRefusedBelowOneHundredMillionth) {
  e->ent.dec.decimal_count = 2;
  e->ent.dec.decimal_value[1] = 5.0e-9f;
  e->ent.dec.decimal_value[2] = 1.0e-7f;
  item(1, 0, 1, 1);
  item(1, 13, 4, 2);
  EXPECT_NEAR(eval_variable_1(*e, 1), 1.0e7f, 1.0f);
  item(2, 0, 1, 1);
  item(2, 13, 4, 1);
  console_input("\n");
  EXPECT_TRUE(stops([&] { eval_variable_1(*e, 2); }));
}

TEST_F(Evaluation, SixLevelsOfVariablesAreTooDeep) {
  for (int x = 1; x <= 5; ++x) item(x, 7, 1, x + 1);
  item(6, 0, 1, 42);
  EXPECT_TRUE(stops([&] { eval_variable_1(*e, 1); }));
  EXPECT_TRUE(has(" Expressions or functions nested too far"));
  // Five levels are fine.
  out.str("");
  item(10, 7, 1, 2);
  e->expr.expr_item_kind[5][1] = 0;
  e->expr.expr_item_arg[5][1] = 9;
  EXPECT_EQ(eval_variable_1(*e, 10), 9.0f);
}

TEST_F(Evaluation, NestedLevelsKeepTheTemporarySlotsOfTheCaller) {
  e->ev.eval_stack[1] = 11.0;
  item(2, 0, 1, 3);
  item(2, 0, 5, 1);  // the inner expression writes slot 1
  item(1, 7, 1, 2);
  item(1, 14, 1, 1);
  // Inner value 0 (its sum went into the slot), plus the caller's slot 1.
  EXPECT_EQ(eval_variable_1(*e, 1), 11.0f);
  EXPECT_EQ(e->ev.eval_stack[1], 11.0);
}

TEST_F(Evaluation, UnknownNamedSavevalueAtLevelOneIsAnError) {
  item(1, 8, 1, pack6("NONE"));
  EXPECT_EQ(eval_variable_1(*e, 1), 0.0f);
  EXPECT_TRUE(e->ctl.error_found);
  EXPECT_TRUE(has(" Savevalue in B operand not given value above"));
}

// --- Operands and parameters ---

TEST_F(Evaluation, OperandKinds) {
  e->run.clock = 250.0f;
  e->run.reset_time = 100.0f;
  int index = 0;
  EXPECT_EQ(operand_index_value(*e, 1, index), 150.0f);
  index = 2;
  EXPECT_EQ(operand_index_value(*e, 1, index), 250.0f);
  index = 12345;
  EXPECT_EQ(operand_index_value(*e, 0, index), 12345.0f);
  e->ent.st.station_capacity[4] = 5;
  e->srv.station_contents.set(4, 2, e->changes);
  index = 4;
  EXPECT_EQ(operand_index_value(*e, 4, index), 2.0f);
  EXPECT_EQ(operand_index_value(*e, 5, index), 3.0f);
  e->act.cur_txn[3] = 7;
  EXPECT_EQ(operand_index_value(*e, 12, index), 7.0f);
  e->ent.sv.savevalue_count = 1;
  e->ent.sv.savevalue_name[1] = pack6("R");
  e->ent.sv.savevalue_init[1] = 4.5;
  index = pack6("R");
  EXPECT_EQ(operand_index_value(*e, 8, index), 4.5f);
  EXPECT_EQ(index, 1);
  index = pack6("NONE");
  EXPECT_EQ(operand_index_value(*e, 8, index), 0.0f);
}

TEST_F(Evaluation, ParameterAsEntityNumberAddsATenThousandth) {
  e->act.cur_txn[6] = 2.99995;  // P1
  e->blocks.block_entries[3] = 17;
  int index = 1;
  EXPECT_EQ(operand_index_value(*e, -3, index), 17.0f);
  EXPECT_EQ(index, 3);
  e->act.cur_txn[6] = 0.5;
  index = 1;
  console_input("\n");
  EXPECT_TRUE(stops([&] { operand_index_value(*e, -3, index); }));
  EXPECT_TRUE(has("   0 = illegal value of parameter"));
  EXPECT_TRUE(has(" Is parameter name correct?"));
}

// Q*j: numbers up to the storages' count are the storages' own queues,
// higher numbers follow the queues the model names (here 3 of them).
TEST_F(Evaluation, QueueNumberFromAParameter) {
  e->ent.st.storage_count = 1;
  e->ent.q.named_queue_count = 3;
  e->srv.queue_current.set(1, 5, e->changes);
  e->srv.queue_current.set(4, 7, e->changes);
  for (const auto& [number, contents] : {std::pair{1, 5.0f}, std::pair{2, 7.0f}}) {
    e->act.cur_txn[6] = number;  // P1
    int index = 1;
    EXPECT_EQ(operand_index_value(*e, -opnd::queue, index), contents) << number;
  }
}

TEST_F(Evaluation, ParameterConstructionsAndRanges) {
  e->act.cur_txn[6] = 4;
  int index = 1;
  console_input("\n");
  EXPECT_TRUE(stops([&] { operand_index_value(*e, -10, index); }));
  EXPECT_TRUE(has(" Parameter construction illegal"));
  out.str("");
  e->act.cur_txn[6] = 11;  // beyond block_count 10
  index = 1;
  EXPECT_TRUE(stops([&] { operand_index_value(*e, -9, index); }));
  EXPECT_TRUE(has(" Parameter value  11 out of range"));
  out.str("");
  index = 13;
  EXPECT_TRUE(stops([&] { operand_index_value(*e, 11, index); }));
  EXPECT_TRUE(has("  13 = illegal number of parameter"));
  EXPECT_TRUE(has(" Not more than 12 parameters allowed"));
}

// --- Built-in functions and the B operand of station blocks ---

TEST_F(Evaluation, BuiltInFunctions) {
  struct Case {
    int code;
    float x;
    float result;
  };
  const Case exact[] = {{7, -2.0f, -3.0f}, {7, -0.5f, 0.0f},  {7, 2.7f, 2.0f},  {10, 0.000005f, 0.0f},
                        {10, -0.5f, -1.0f}, {5, 16.0f, 4.0f}, {6, -3.0f, 3.0f}, {19, -2.25f, -0.25f}};
  for (const Case& c : exact) EXPECT_EQ(eval_math_function(*e, c.code, c.x), c.result) << c.code << " " << c.x;
  EXPECT_NEAR(eval_math_function(*e, 18, 30.0f), 0.5f, 1e-6f);
  EXPECT_NEAR(eval_math_function(*e, 9, 88.0f), std::exp(88.0f), 1e32f);
  console_input("\n");
  EXPECT_TRUE(stops([&] { eval_math_function(*e, 9, 88.1f); }));
  EXPECT_TRUE(has(" Illegal argument of FN$EXP:  88.100"));
}

TEST_F(Evaluation, StationBOperand) {
  EXPECT_EQ(resolve_operand_value(*e, 0), 1);
  EXPECT_EQ(resolve_operand_value(*e, 4), 4);
  EXPECT_EQ(resolve_operand_value(*e, k_try_units), 1);
  e->ent.dec.decimal_value[1] = -0.5f;
  e->ent.dec.decimal_value[2] = -1.2f;
  e->expr.operand_ref_kind[1] = 13;
  e->expr.operand_ref_index[1] = 1;
  e->expr.operand_ref_kind[2] = 13;
  e->expr.operand_ref_index[2] = 2;
  EXPECT_EQ(resolve_operand_value(*e, -1), 0);
  console_input("\n");
  EXPECT_TRUE(stops([&] { resolve_operand_value(*e, -2); }));
  EXPECT_TRUE(has(" Value of B operand of ENTER or LEAVE block < 0"));
}

// --- Run-time input ---

TEST_F(Evaluation, ConsoleNumbersAreAskedAgainUntilValid) {
  console_input("abc\n5\n");
  EXPECT_EQ(read_input_number(*e), 5.0);
  EXPECT_TRUE(has(" Incorrect format for number"));
  EXPECT_TRUE(has(" Input number again"));
  console_input("abc\n");
  EXPECT_TRUE(stops([&] { read_input_number(*e); }));
}

TEST_F(Evaluation, ExternDatIsReadOrReportedMissing) {
  ScratchDir dir("extern");
  float r = 0;
  int i = 0;
  EXPECT_TRUE(stops([&] { read_extern_dat(*e, r, i); }));
  EXPECT_TRUE(has(" The following file is missing: extern.dat"));
  { std::ofstream("extern.dat") << "MODEL.TXT\n     250\n  12\n"; }
  read_extern_dat(*e, r, i);
  EXPECT_EQ(r, 250.0f);
  EXPECT_EQ(i, 12);
  EXPECT_EQ(e->ctl.program_file_name.trimmed(), "MODEL.TXT");
}

class RunTimeInput : public RuntimeTest {};

TEST_F(RunTimeInput, InputOfANamedSavevalueIsKeptForLaterAlternatives) {
  e->ent.sv.savevalue_count = 3;
  e->ent.sv.savevalue_name[3] = pack6("LIM");
  e->ev.keep_input = true;
  e->ev.experi_alternative = 1;
  console_input("7.5\n");
  float v[3] = {0.0f, 0.0f, 3.0f};
  input_savevalues(*e, v);
  EXPECT_EQ(v[1], 7.5f);
  EXPECT_EQ(e->ev.input_keep[3], 7.5);
  e->ev.experi_alternative = 2;
  v[1] = 0.0f;
  input_savevalues(*e, v);  // nothing asked
  EXPECT_EQ(v[1], 7.5f);
}

TEST_F(RunTimeInput, InputWithoutASavevalueNameIsAStatementError) {
  float v[3] = {0.0f, 0.0f, 4.0f};
  e->ctl.current_statement.assign("       INPUT  X$ABC");
  input_savevalues(*e, v);
  EXPECT_TRUE(e->ctl.error_found);
  EXPECT_NE(out.str().find(" In INPUT block A operand missing"), std::string::npos);
}

TEST_F(RunTimeInput, ExperimentInputValue) {
  float v = 3.0f;
  take_input_value(*e, v);
  EXPECT_EQ(v, 3.0f);
  EXPECT_EQ(e->ev.experi_input_mark, -1);
  e->ctl.experi_run = true;
  e->ev.experi_input_value = 12.0f;
  take_input_value(*e, v);
  EXPECT_EQ(v, 12.0f);
  EXPECT_EQ(e->ev.experi_input_mark, 1);
  EXPECT_EQ(e->ev.input_used_mark, 1);
}

}  // namespace
}  // namespace kelvo::test
