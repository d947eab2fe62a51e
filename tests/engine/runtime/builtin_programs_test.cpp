// Built-in programs: SNAQS in whole runs under the front end (the value
// it stores, the statement and block errors), and on hand-filled special
// statements the argument list, the dispatch, the write-back into
// savevalues, the program names and the program list file.
#include <string>
#include <vector>

#include "../engine_fixture.h"
#include "runtime_test_support.h"
#include "runtime/builtin_programs.h"
#include "translator/special_statements.h"

namespace kelvo {
namespace {

// ---- SNAQS in whole runs

class SnaqsRun : public testing::EngineTest {
 protected:
  // The skeleton SIMULATE / GENERATE 1,0,,1 / blocks / TERMINATE 1 /
  // START 1 / END under the front end; `before` stands before GENERATE.
  void run_blocks(const std::string& blocks, const std::string& before = "") {
    write_file("zwxyq.jav", "M.TXT\n     60\n");
    write_file("M.TXT", testing::skeleton_model(blocks, before));
    EXPECT_EQ(run_engine(e()), 0);
  }
  // The line of savevalue `name` in the savevalue section ("" if none).
  std::string savevalue_line(const std::string& name) {
    const std::string text = read_file("M.SAV");
    const std::size_t at = text.find("      " + name + " ");
    return at == std::string::npos ? "" : text.substr(at, text.find('\n', at) - at);
  }
  // The ERR file's lines, trailing blanks cut.
  std::vector<std::string> err_lines() {
    auto lines = test::lines_of(read_file("M.ERR"));
    for (auto& l : lines) l = std::string(trim_right(l));
    return lines;
  }
};

struct SnaqsCase {
  std::string name;
  std::string before;  // statements before GENERATE
  std::string blocks;
  std::string line;    // the line of savevalue X$V
};

// One transaction, created at time 1; the values follow from the blocks
// by hand.
std::vector<SnaqsCase> snaqs_cases() {
  return {
      {"ClockAbsolute", "", "       ADVANCE   10\n       HELP      SNAQS,C1,2,X$V\n", "      V                  11.00"},
      {"ClockSinceStartWithoutReset", "", "       ADVANCE   10\n       HELP      SNAQS,CL,1,X$V\n",
       "      V                  11.00"},
      {"QueueCurrentContents", "",
       "       ARRIVE    LINE\n       HELP      SNAQS,Q$LINE,8,X$V\n       DEPART    LINE\n",
       "      V                   1.00"},
      {"QueueTotalEntries", "", "       ARRIVE    LINE\n       DEPART    LINE\n       HELP      SNAQS,Q$LINE,3,X$V\n",
       "      V                   1.00"},
      // Seized at 1, asked at 5: 4 of 5 time units in use.
      {"FacilityUtilization", "",
       "       SEIZE     MACH\n       ADVANCE   4\n       HELP      SNAQS,F$MACH,1,X$V\n       RELEASE   MACH\n",
       "      V                  80.00"},
      {"StorageCurrentContents", "TANK   CAPACITY  4\n",
       "       ENTER     TANK,3\n       HELP      SNAQS,S$TANK,6,X$V\n       LEAVE     TANK,3\n",
       "      V                   3.00"},
      {"StorageCapacity", "TANK   CAPACITY  4\n", "       HELP      SNAQS,S$TANK,1,X$V\n", "      V                   4.00"},
  };
}

class SnaqsValue : public SnaqsRun, public ::testing::WithParamInterface<SnaqsCase> {};

TEST_P(SnaqsValue, IsStoredInTheSavevalueOfOperandD) {
  run_blocks(GetParam().blocks, GetParam().before);
  EXPECT_TRUE(err_lines().empty());
  EXPECT_EQ(savevalue_line("V"), GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(Entities, SnaqsValue, ::testing::ValuesIn(snaqs_cases()),
                         [](const ::testing::TestParamInfo<SnaqsCase>& info) { return info.param.name; });

// After a RESET the clock's statistic 1 counts from the RESET: the second
// transaction (created at 10) leaves its ADVANCE at 20, the RESET was at 15.
TEST_F(SnaqsRun, ClockSinceResetAndAbsolute) {
  write_file("zwxyq.jav", "M.TXT\n     60\n");
  write_file("M.TXT",
             "       SIMULATE\n       GENERATE  5,0,,2\n       ADVANCE   10\n       HELP      SNAQS,C1,1,X$REL\n"
             "       HELP      SNAQS,C1,2,X$ABS\n       TERMINATE 1\n       START     1\n       RESET\n"
             "       START     1\n       END\n");
  EXPECT_EQ(run_engine(e()), 0);
  EXPECT_EQ(savevalue_line("REL"), "      REL                 5.00");
  EXPECT_EQ(savevalue_line("ABS"), "      ABS                20.00");
}

TEST_F(SnaqsRun, StatisticNumberBeyondTheQueuesValuesIsIncorrect) {
  run_blocks("       ARRIVE    LINE\n       HELP      SNAQS,Q$LINE,9,X$V\n       DEPART    LINE\n");
  EXPECT_EQ(err_lines(), (std::vector<std::string>{" Incorrect C operand", " Error found at block    3"}));
  // The run's report is not written after this error.
  EXPECT_EQ(read_file("M.SAV"), "");
}

TEST_F(SnaqsRun, BlockCountIsNoEntityOfSnaqs) {
  run_blocks("LOOP   ADVANCE   1\n       HELP      SNAQS,N$LOOP,1,X$V\n");
  EXPECT_EQ(err_lines(), (std::vector<std::string>{" Incorrect B operand", " Error found at block    3"}));
}

TEST_F(SnaqsRun, UnknownProgramNameStopsTheTranslation) {
  run_blocks("       HELP      SNAQZ,C1,1,X$V\n");
  ASSERT_FALSE(err_lines().empty());
  EXPECT_EQ(err_lines()[0], " No FORTRAN program with A operand name");
  EXPECT_EQ(read_file("M.SAV"), "");
}

// VALIN takes the input value of an experiment: a plain run refuses it.
TEST_F(SnaqsRun, ValinOutsideAnExperimentIsNotRun) {
  run_blocks("       HELP      VALIN,X$IN\n");
  const auto lines = err_lines();
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[0], " Program contains EXPERI");
  EXPECT_EQ(lines[3], " In this case VALIN not allowed, Use EXPERI!");
}

// ---- Hand-filled special statements

class Programs : public test::RuntimeTest {
 protected:
  // Special statement 1 calling program n as block 1, with the rows
  // given as (kind, value) pairs.
  void special_block(int n, const std::vector<std::pair<int4, int4>>& rows) {
    auto& sp = e->ent.spec;
    sp.spec_count = 1;
    sp.spec_program[1] = n;
    for (int i = 1; i <= k_spec_rows; ++i) {
      const bool given = i <= static_cast<int>(rows.size());
      sp.spec_opnd_kind[1][ix(i)] = given ? rows[ix(i - 1)].first : k_row_end;
      sp.spec_opnd_value[1][ix(i)] = given ? rows[ix(i - 1)].second : 0;
    }
    e->blocks.block_count = 1;
    e->blocks.block_op[1] = bc::special;
    e->blocks.block_arg[1] = 1;
    e->act.cur_txn[tw::next_block] = 1.0;
  }
  static ProgramArgs args_a(real4 a) {
    ProgramArgs args;
    args.set_value(1, a);
    return args;
  }
};

TEST_F(Programs, AnimationNameInOperandBTravelsAsItsCode) {
  const int4 name = test::pack6("GOT1");
  special_block(prog::place, {{opnd::constant, 5}, {opnd::constant, name}});
  const ProgramArgs args = special_block_arguments(*e, 1);
  EXPECT_EQ(args.value(1), 5.0f);
  EXPECT_TRUE(args.is_name(2));
  EXPECT_EQ(args.name(2), name);
  EXPECT_EQ(args.value(7), 0.0f);
  special_block(prog::place, {{opnd::constant, 5}, {opnd::constant, 7}});
  EXPECT_EQ(special_block_arguments(*e, 1).value(7), 1.0f);
}

// An evaluated operand B is a number for PLACE and the programs above it;
// CREATE and DESTROY take G only from a literal B.
TEST_F(Programs, EvaluatedOperandBSetsArgumentGFromPlaceOn) {
  e->run.clock = 4.0;
  for (const int n : {prog::place, prog::write, prog::setbar}) {
    special_block(n, {{opnd::constant, 5}, {opnd::clock, 0}});
    const ProgramArgs args = special_block_arguments(*e, 1);
    EXPECT_EQ(args.value(2), 4.0f) << n;
    EXPECT_EQ(args.value(7), 1.0f) << n;
  }
  special_block(prog::create, {{opnd::constant, 5}, {opnd::clock, 0}});
  EXPECT_EQ(special_block_arguments(*e, 1).value(7), 0.0f);
}

TEST_F(Programs, AnimationProgramWritesItsRecordToTheTraceFile) {
  const test::ScratchDir dir("atf_record");
  special_block(prog::create, {{opnd::constant, 5}, {opnd::constant, test::pack6("FIG1")}});
  e->ent.spec.atf_name[1] = {'F', 'I', 'G', '1', '\0', '\0'};
  e->ch.open_new(io::k_atf_unit, "M.ATF");
  e->run.atf_open = true;
  resolve_block_operands(*e, 1);
  e->ch.close(io::k_atf_unit);
  EXPECT_EQ(test::read_file("M.ATF"), " CREATE FIG1        5\n");
}

// The user-program hook sees the program's number among the user programs.
int g_user_number = 0;
void user_program(Engine&, int number, ProgramArgs& args) {
  g_user_number = number;
  args.set_value(1, 42.0f);
}

TEST_F(Programs, UserProgramGetsItsNumberAndReturnsIntoSavevalues) {
  e->hooks.user_program = &user_program;
  e->ent.sv.savevalue_value.set(2, 0.1, e->changes);
  special_block(prog::builtin_count + 3, {{opnd::savevalue, 1}, {opnd::savevalue, 2}});
  resolve_block_operands(*e, 1);
  EXPECT_EQ(g_user_number, 3);
  EXPECT_EQ(e->ent.sv.savevalue_value[1], 42.0);
  // The savevalue the program only read keeps its double value.
  EXPECT_EQ(e->ent.sv.savevalue_value[2], 0.1);
}

// Statistic j of the entity of row A, on statistics filled by hand: a
// queue named by parameter 1, a table, and the results of a series of runs.
TEST_F(Programs, SnaqsOnHandFilledStatistics) {
  e->ent.par.param_count = 1;
  e->act.cur_txn[tw::first_param] = 2.0;
  e->srv.queue_current.set(2, 3, e->changes);
  e->ent.tab.table_count = 1;
  e->srv.table_entries[1] = 4;
  e->srv.table_sum[1] = 10.0f;
  e->srv.table_max[1] = 6.0f;
  e->srv.results.runs = 5;
  struct Case {
    int4 kind, value, j;
    real8 expected;
  };
  const Case cases[] = {{-opnd::queue, 1, 8, 3.0},   {k_row_table, 1, 1, 4.0},  {k_row_table, 1, 2, 2.5},
                        {k_row_table, 1, 6, 6.0},    {opnd::savevalue, 2, 1, 5.0}};
  for (const Case& c : cases) {
    special_block(prog::snaqs, {{c.kind, c.value}, {opnd::constant, c.j}, {opnd::savevalue, 1}});
    resolve_block_operands(*e, 1);
    EXPECT_EQ(e->ent.sv.savevalue_value[1], c.expected) << c.kind << " " << c.j;
  }
}

TEST_F(Programs, TraceSwitchesOnlyWithArgumentAZero) {
  struct Step {
    int program;
    real4 a;
    bool on_after;
  };
  const Step steps[] = {{prog::trace, 1.0f, false}, {prog::trace, 0.0f, true}, {prog::troff, 1.0f, true},
                        {prog::troff, 0.0f, false}};
  for (const Step& s : steps) {
    ProgramArgs args = args_a(s.a);
    call_builtin_program(*e, s.program, args, 0);
    EXPECT_EQ(e->run.trace_switch, s.on_after) << s.program << " " << s.a;
  }
}

TEST_F(Programs, SwitchesOfDecimaIntposMatexAndRmuin) {
  ProgramArgs a = args_a(4.7f);
  call_builtin_program(*e, prog::decima, a, 0);
  call_builtin_program(*e, prog::intpos, a, 0);
  call_builtin_program(*e, prog::matex, a, 0);
  call_builtin_program(*e, prog::rmuin, a, 0);
  EXPECT_EQ(e->rep.report_decimals, 4);
  EXPECT_EQ(e->prog.intpos_value, 4);
  EXPECT_TRUE(e->prog.matex_flag);
  EXPECT_EQ(e->ent.steps.seed_table[1][8], 9);
  EXPECT_EQ(e->ent.steps.seed_table[1][9], 0);
}

TEST_F(Programs, LetsaAsksTheSavevalueByName) {
  e->ent.sv.savevalue_count = 1;
  e->ent.sv.savevalue_name[1] = test::pack6("RATE");
  special_block(prog::letsa, {{opnd::savevalue, 1}, {opnd::constant, 1}});
  console_input("2.5\n");
  resolve_block_operands(*e, 1);
  EXPECT_EQ(trim_right(test::lines_of(out.str()).at(0)), " Give value of x$RATE");
  EXPECT_EQ(e->ent.sv.savevalue_value[1], 2.5);
}

TEST_F(Programs, BlockTypeNames) {
  const std::pair<int, std::string> words[] = {{prog::gprin, "GRAPH "}, {prog::matin, "MATRIX"}, {prog::troff, "TRACE "},
                                               {prog::matut, "LET   "},  {prog::setbar, "ANIM  "}, {prog::pause, "HELP  "}};
  for (const auto& [program, word] : words) {
    special_block(program, {});
    Text6 name("HELP");
    block_type_name(*e, 1, name);
    EXPECT_EQ(std::string(name.view()), word) << program;
  }
}

// ---- Program names

TEST_F(Programs, InputIsLetsaUnlessTheInputProgramWasAskedFor) {
  int n = 0;
  ASSERT_TRUE(resolve_program_name(*e, Text6("INPUT"), n));
  EXPECT_EQ(n, prog::letsa);
  e->ent.spec.input_program_flag = true;
  ASSERT_TRUE(resolve_program_name(*e, Text6("INPUT"), n));
  EXPECT_EQ(n, prog::input);
  EXPECT_FALSE(e->ent.spec.input_program_flag);
  ASSERT_TRUE(resolve_program_name(*e, Text6("GRAPHC"), n));
  EXPECT_EQ(n, prog::alias_offset + prog::gprin);
}

TEST_F(Programs, ProgramListFileAddsUserProgramsForTheWholeProcess) {
  test::ScratchDir dir("hvxyq");
  { std::ofstream("hvxyq") << " 2\nmine\nOTHER\n"; }
  int n = 0;
  ASSERT_TRUE(resolve_program_name(*e, Text6("OTHER"), n));
  EXPECT_EQ(n, prog::builtin_count + 2);
  // A model translated later finds them without the file.
  std::filesystem::remove("hvxyq");
  e->ent = EntityTables{};
  ASSERT_TRUE(resolve_program_name(*e, Text6("MINE"), n));
  EXPECT_EQ(n, prog::builtin_count + 1);
}

TEST_F(Programs, ProgramListFileWithMoreNamesThanTheTableHoldsIsAnError) {
  test::ScratchDir dir("hvxyq_full");
  {
    std::ofstream f("hvxyq");
    f << k_user_program_limit + 1 << "\n";
    for (int i = 0; i <= k_user_program_limit; ++i) f << "P" << i << "\n";
  }
  int n = 0;
  EXPECT_FALSE(resolve_program_name(*e, Text6("P1"), n));
  EXPECT_NE(out.str().find(" More than 64 programs in program list file hvxyq"), std::string::npos);
  EXPECT_EQ(e->prog_list.user_count, k_user_program_limit);
  EXPECT_TRUE(e->ctl.error_found);
}

}  // namespace
}  // namespace kelvo
