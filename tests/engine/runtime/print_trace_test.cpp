// PRINT blocks and trace lines on hand-filled tables: the decode of the
// coded attribute word, the line an attribute gives, texts waiting for
// their values, the run-time errors of PRINT, the trace line and its
// limit under the front end, and the small output routines.
#include <chrono>
#include <string>
#include <vector>

#include "runtime/builtin_programs.h"
#include "runtime/print_blocks.h"
#include "runtime/print_trace.h"
#include "runtime/transaction_store.h"
#include "runtime_test_support.h"
#include "translator/table_definitions.h"

namespace kelvo::test {
namespace {

TEST(PrintCode, SplitsIntoTextRowAndKind) {
  struct Case {
    int4 v;
    int row, kind;
  };
  for (const Case c : {Case{30, 2, 4}, Case{9905, 1, -8}, Case{-30, 2, 4}, Case{-9905, 1, -8}, Case{77, 5, 12},
                       Case{9938, 3, -1}, Case{12, 0, 12}}) {
    const PrintCode p = decode_print_code(c.v);
    EXPECT_EQ(p.row, c.row) << c.v;
    EXPECT_EQ(p.kind, c.kind) << c.v;
  }
}

class PrintRun : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    auto& ent = e->ent;
    ent.sv.savevalue_count = 2;
    ent.sv.savevalue_name[1] = pack6("A");
    ent.sv.savevalue_value.set(1, 5.0, e->changes);
    ent.sv.savevalue_name[2] = pack6("RATE");
    ent.sv.savevalue_value.set(2, 2.5, e->changes);
    ent.q.queue_count = 1;
    ent.q.queue_name[1] = pack6("LINE");
    e->srv.queue_current.set(1, 3, e->changes);
    ent.st.station_count = ent.st.station_name_count = 2;
    ent.st.station_name[1] = pack6("MACH");
    ent.st.station_name[2] = pack6("TANK");
    ent.st.station_capacity[2] = 5;
    e->srv.station_contents.set(1, 1, e->changes);
    e->srv.station_contents.set(2, 2, e->changes);
    e->blocks.block_count = 4;
    e->blocks.block_label[1] = pack6("BEGIN");
    e->blocks.block_entries[1] = 7;
    ent.par.param_count = 2;
    e->act.cur_txn[ix(parameter_word(1))] = 1.0;
    e->act.cur_txn[ix(parameter_word(2))] = 2.0;
    e->act.cur_txn[tw::priority] = 3.0;
    e->act.cur_block = 3;
    e->act.cur_txn[tw::next_block] = 3.0;
    e->run.clock = 12.5f;
    text(1, "ONE", 3);
    text(2, "TWO", 3);
    text(3, "SOLO", -4);
  }
  void text(int r, const std::string& t, int len) {
    auto& pt = e->ent.ptext;
    pt.print_text_count = std::max<int4>(pt.print_text_count, r);
    pt.print_text[ix(r)].assign(t);
    pt.print_text_len[ix(r)] = len;
  }
  std::vector<std::string> lines() const {
    std::vector<std::string> out_lines;
    for (std::string l : lines_of(out.str())) {
      while (!l.empty() && l.back() == ' ') l.pop_back();
      out_lines.push_back(l);
    }
    return out_lines;
  }
};

TEST_F(PrintRun, AttributeLines) {
  struct Case {
    int cls, index;
    std::string line;  // as written: a leading blank, code, entity, value
  };
  const std::vector<Case> cases = {
      {opnd::savevalue, 1, std::string(" ") + " X$" + "A     " + "       5"},
      {opnd::savevalue, 2, std::string(" ") + " X$" + "RATE  " + "    2.50"},
      {opnd::parameter, 2, std::string(" ") + "  P" + "2" + "       2"},
      {opnd::clock, 1, std::string(" ") + "C1 " + "   12.50"},
      {opnd::priority, 1, std::string(" ") + "PRI" + "       3"},
      {opnd::storage, 1, std::string(" ") + " F$" + "MACH  " + "       1"},
      {opnd::storage, 2, std::string(" ") + " S$" + "TANK  " + "       2"},
      {-opnd::queue, 1, std::string(" ") + " Q$" + "P1" + "       3"},
      {opnd::block_count, 1, std::string(" ") + " N$" + "BEGIN " + "       7"},
  };
  for (const Case& c : cases) format_sna_text(*e, c.cls, c.index);
  const auto got = lines();
  ASSERT_EQ(got.size(), cases.size());
  for (std::size_t i = 0; i < cases.size(); ++i) EXPECT_EQ(got[i], cases[i].line) << i;
}

// The block's C and D operands: the value rounded to D decimals in a
// field of C positions, the integer part in C - D - 1 of them.
TEST_F(PrintRun, BlockFormatGivesWidthAndRoundedDecimals) {
  struct Case {
    double value;
    int width, decimals;
    std::string field;
  };
  const std::vector<Case> cases = {
      {2.5, 10, 3, "     2.500"},      {12345.678, 10, 3, " 12345.678"}, {60.0, 10, 6, " 60.000000"},
      {123456.78, 10, 2, " 123456.78"}, {9.999, 6, 2, " 10.00"},          {-0.004, 6, 2, "  0.00"},
  };
  auto& pf = e->flow.pf;
  pf.format_count = 1;
  pf.format_block[1] = 3;
  for (const Case& c : cases) {
    out.str("");
    pf.format_code[1] = c.decimals * 100 + c.width;
    e->ent.sv.savevalue_value.set(2, c.value, e->changes);
    format_sna_text(*e, opnd::savevalue, 2);
    EXPECT_EQ(lines().at(0), std::string(" ") + " X$" + "RATE  " + c.field) << c.value;
  }
}

TEST_F(PrintRun, TextWaitsForItsValueAndANegativeTextStandsAlone) {
  print_entity_statistics(*e, 8 + 1);
  EXPECT_TRUE(out.str().empty());
  format_sna_text(*e, opnd::savevalue, 1);
  print_entity_statistics(*e, 8 + 3);
  EXPECT_EQ(lines(), (std::vector<std::string>{std::string(" ONE") + " X$" + "A     " + "       5", " SOLO"}));
}

TEST_F(PrintRun, OpenLineCollectsTheNextPrint) {
  // Block 2: code 48, text row 3 (printed by itself) and X$A; block 4: X$RATE.
  auto& b = e->blocks;
  b.block_op[2] = bc::print_attribute_open;
  b.block_opnd[2] = -(13 * 3 + opnd::savevalue);
  b.block_arg[2] = 1;
  b.block_op[4] = bc::print;
  b.block_opnd[4] = opnd::savevalue;
  b.block_arg[4] = 2;
  print_block(*e, 2, bc::print_attribute_open);
  EXPECT_TRUE(out.str().empty());
  print_block(*e, 4, bc::print);
  EXPECT_EQ(lines(), (std::vector<std::string>{std::string(" SOLO") + " X$" + "A     " + "       5" + " X$" + "RATE  " + "    2.50"}));
}

TEST_F(PrintRun, ErrorsEndTheRunAtTheBlock) {
  struct Case {
    std::vector<int> sels;  // selectors first, then the attribute (0: none)
    int cls, index;
    std::vector<std::string> message;
  };
  const std::vector<Case> cases = {
      {{}, opnd::storage, 3, {" Facility not yet defined"}},
      {{}, 13, 1, {" Illegal PRINT statement"}},
      {{9, 10}, 0, 0,
       {" Two texts for SNAs in a row used without PRINT SNA in between",
        " Perhaps you should somewhere use single instead of double quotes", " Eliminate every unwanted \""}},
  };
  for (const Case& c : cases) {
    SetUp();
    out.str("");
    e->ent.steps.start_report_off[0] = true;  // no run report
    const bool stopped = stops([&] {
      for (const int sel : c.sels) print_entity_statistics(*e, sel);
      if (c.cls != 0) format_sna_text(*e, c.cls, c.index);
    });
    EXPECT_TRUE(stopped);
    std::vector<std::string> expected = c.message;
    expected.push_back(" Error found at block    3");
    EXPECT_EQ(lines(), expected);
  }
}

// A section PRINT opens, writes and closes files: under the front end the
// run-time limit is looked at after each one, not only every few thousand
// steps of the run.
TEST_F(PrintRun, SectionEndsTheRunOnceTheLimitIsPast) {
  ScratchDir dir("print_limit");
  e->ctl.java_mode = true;
  e->ctl.program_file_name.assign("M.TXT");
  e->ctl.run_time_limit = 1;
  e->ctl.run_time_start = std::chrono::steady_clock::now() - std::chrono::seconds(3);
  e->run.limit_check_countdown = 4096;  // the limit was looked at a step ago
  EXPECT_TRUE(stops([&] { print_entity_statistics(*e, 7); }));
  e->ch.close_all();
  EXPECT_EQ(lines_of(read_file("M.ERR")).at(0).rfind(" Program run time exceeds limit", 0), 0u);
  EXPECT_NE(read_file("MR.TXT").find(" Clock"), std::string::npos);
}

TEST_F(PrintRun, OutputLimitSkipsWhileFewerLinesThanTheLimitArePrinted) {
  e->prt.output_limit_on = true;
  e->prt.output_limit = 2;
  format_sna_text(*e, opnd::savevalue, 1);
  EXPECT_TRUE(out.str().empty());
  e->prt.lines_printed = 2;
  format_sna_text(*e, opnd::savevalue, 1);
  EXPECT_EQ(lines().size(), 1u);
}

class TraceRun : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    e->run.trace_switch = true;
    e->run.clock = 10.0f;
    e->ent.par.param_count = 1;
    e->ent.par.trace_word_off = parameter_word(1);
    e->act.cur_txn[ix(parameter_word(1))] = 1.0;
  }
};

TEST_F(TraceRun, LineOfABlockEntry) {
  write_trace_line(*e, 3, bc::advance, 0);
  write_trace_line(*e, 12, bc::seize, -1);
  e->run.trace_switch = false;
  write_trace_line(*e, 3, bc::advance, 0);
  EXPECT_EQ(lines_of(out.str()), (std::vector<std::string>{
                                     " At time       10.00000   transaction    1 event   ADVANC   at block    3",
                                     " At time       10.00000   transaction    1 back to SEIZE    at block   12"}));
}

TEST_F(TraceRun, FrontEndWritesTwoHundredLinesAndTheNotice) {
  for (const bool block : {false, true}) {
    ScratchDir dir(block ? "trace_block" : "trace_statement");
    e->ctl.java_mode = true;
    e->ctl.program_file_name.assign("M.TXT");
    e->ent.tab = TableTables{};
    open_table_work_file(*e, block);
    e->run.trace_switch = true;
    for (int i = 1; i <= 205; ++i) write_trace_line(*e, i, bc::advance, 0);
    e->ch.close(trace_unit(*e));
    const auto trc = lines_of(read_file("M.TRC"));
    if (block) {
      // A TRACE block lifts the limit.
      ASSERT_EQ(trc.size(), 205u);
    } else {
      ASSERT_EQ(trc.size(), 201u);
      EXPECT_EQ(trc[199], " At time       10.00000   transaction    1 event   ADVANC   at block  200");
      EXPECT_EQ(trc[200], " Only first 200 traces written out");
    }
    EXPECT_TRUE(out.str().empty());
  }
}

TEST_F(RuntimeTest, TableIsListedOnceInTheGraphList) {
  ScratchDir dir("graph_list");
  e->ctl.program_file_name.assign("M.TXT");
  e->ctl.java_mode = true;
  e->ent.tab.table_count = 1;
  write_table_file(*e, 1);
  write_table_file(*e, 1);
  e->ch.close(e->ctl.unit_base + 11);
  EXPECT_EQ(lines_of(read_file("M.GRT")), (std::vector<std::string>{"QT0 T"}));
}

TEST_F(RuntimeTest, TheEndOfTheSideOutput) {
  ScratchDir dir("side_output");
  ASSERT_TRUE(e->ch.open_new(e->rep.prog_unit, "MR.TXT"));
  e->rep.out_unit = e->rep.prog_unit;
  close_delete_side_output(*e);
  EXPECT_FALSE(std::filesystem::exists("MR.TXT"));
  EXPECT_EQ(e->rep.out_unit, 9);
}

}  // namespace
}  // namespace kelvo::test
