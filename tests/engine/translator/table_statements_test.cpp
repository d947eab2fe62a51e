// TABLE and QTABLE statements on one-line variations of a small model:
// their messages, the table rows an accepted statement leaves, the QTABLE
// each queue is tabulated by after linking, and the TABULATE check.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/packed_names.h"
#include "translate_fixture.h"

namespace kelvo::test {
namespace {

// SIMULATE / table statements / GENERATE 1,0,,1 / ARRIVE LINE / DEPART
// LINE / blocks / TERMINATE 1 / START 1 / END.
std::string model(const std::string& tables, const std::string& blocks = "") {
  return "       SIMULATE\n" + tables + "       GENERATE  1,0,,1\n       ARRIVE    LINE\n       DEPART    LINE\n" +
         blocks + "       TERMINATE 1\n       START     1\n       END\n";
}

// n TABLE statements TAB1..TABn, with an E operand each when `drawn`.
std::string tables(int n, bool drawn) {
  std::string s;
  for (int i = 1; i <= n; ++i) {
    const std::string name = "TAB" + std::to_string(i);
    s += name + std::string(7 - name.size(), ' ') + "TABLE     Q$LINE,0,5,10" + (drawn ? ",H\n" : "\n");
  }
  return s;
}

struct TableCase {
  std::string name;
  std::string model;
  std::string message;  // "" when the model translates without a message
};

std::vector<TableCase> table_cases() {
  return {
      {"ThreeOperands", model("TAB1   TABLE     Q$LINE,0,5\n"), " Statement must have 4 operands separated by ,"},
      {"WidthZero", model("TAB1   TABLE     Q$LINE,0,0,5\n"), " Incorrect constant as operand"},
      {"ClassesNegative", model("TAB1   TABLE     Q$LINE,0,5,-2\n"), " Incorrect constant as operand"},
      {"WidthNotANumber", model("TAB1   TABLE     Q$LINE,0,ABC,5\n"), " Incorrect constant as operand"},
      {"WidthDecimal", model("TAB1   TABLE     Q$LINE,0,0.5,5\n"), " Incorrect constant as operand"},
      {"LowerFromUndefinedSavevalue", model("TAB1   TABLE     Q$LINE,X$LO,5,5\n"), " Incorrect constant as operand"},
      {"TooManyClasses", model("TAB1   TABLE     Q$LINE,0,5,101\n"), " Too many classes in D operand"},
      {"TableOfAPlainName", model("TAB1   TABLE     LINE,0,5,10\n"), " A operand must be SNA"},
      {"QtableOfAnSna", model("QTA    QTABLE    Q$LINE,0,5,10\n"), " A operand must not be SNA"},
      {"QtableWithoutClasses", model("QTA    QTABLE    LINE,0,5\n"), " Statement must have 4 operands separated by ,"},
      {"UnlabelledQtableWithoutClasses", model("       QTABLE    LINE,0,5\n"), " QTABLE must have a D operand"},
      {"EleventhHistogram", model(tables(11, true)), " Too many histograms demanded"},
      {"TenHistograms", model(tables(10, true)), ""},
      {"SameQueueInTwoQtables", model("QTA    QTABLE    LINE,0,5,10\nQTB    QTABLE    LINE,0,2,10\n"),
       " Same A operand used in two tables"},
      {"TabulateIntoAQtable", model("QTA    QTABLE    LINE,0,5,10\n", "       TABULATE  QTA\n"),
       " Table in A operand not defined"},
      {"TableAndTabulateAccepted", model("TAB1   TABLE     Q$LINE,-10,5,10\n", "       TABULATE  TAB1,2\n"), ""},
  };
}

class TableMessage : public TranslateTest, public ::testing::WithParamInterface<TableCase> {};

TEST_P(TableMessage, IsTheFirstErrLine) { EXPECT_EQ(first_error(GetParam().model), GetParam().message); }

INSTANTIATE_TEST_SUITE_P(Variations, TableMessage, ::testing::ValuesIn(table_cases()),
                         [](const ::testing::TestParamInfo<TableCase>& info) { return info.param.name; });

class TableRows : public TranslateTest {};

TEST_F(TableRows, FiftyFirstTableIsReportedAndNotEntered) {
  translate_fe(model(tables(51, false)));
  EXPECT_EQ(err_lines().at(0), " Too many tables");
  EXPECT_EQ(e_->ent.tab.table_count, 50);
  EXPECT_FALSE(e_->ctl.error_found);
}

TEST_F(TableRows, AcceptedTablesAfterLinking) {
  translate_fe("       LET       X$W=4\n" +
               model("TAB1   TABLE     Q$LINE,-10,X$W,12\n"
                     "QTA    QTABLE    LINE,0,2,6,H\n"
                     "QTN    QTABLE    107,0,2,6\n"
                     "TPAR   TABLE     P1,0,1,5\n",
                     "       TABULATE  TAB1,P1\n"));
  ASSERT_TRUE(err_lines().empty()) << ::testing::PrintToString(err_lines());
  const auto& tab = e_->ent.tab;
  ASSERT_EQ(tab.table_count, 4);
  // TAB1: queue LINE's contents (queue 1 after linking), -10, width from X$W.
  EXPECT_EQ(tab.table_arg_kind[1], opnd::queue);
  EXPECT_EQ(tab.table_arg_value[1], 1);
  EXPECT_EQ(tab.table_lower[1], -10);
  EXPECT_EQ(tab.table_width[1], 4);
  EXPECT_EQ(tab.table_classes[1], 12);
  // The QTABLEs: kind 0, and queue LINE tabulated by QTA.
  EXPECT_EQ(tab.table_arg_kind[2], 0);
  EXPECT_EQ(e_->ent.q.queue_map[1], 2);
  EXPECT_TRUE(tab.table_numeric_a[3]);
  EXPECT_EQ(tab.table_arg_value[3], 107);
  EXPECT_EQ(e_->ent.q.qtable_count, 2);
  EXPECT_EQ(tab.histogram_count, 1);
  EXPECT_EQ(tab.histogram_table[1], 2);
  // TPAR: parameter 1 as a number.
  EXPECT_EQ(tab.table_arg_kind[4], opnd::parameter);
  EXPECT_EQ(tab.table_arg_value[4], 1);
  // TABULATE TAB1 with the weight in P1: -(10000 + 1).
  const auto& b = e_->blocks;
  EXPECT_EQ(b.block_op[4], bc::tabulate);
  EXPECT_EQ(b.block_arg[4], 1);
  EXPECT_EQ(b.block_opnd[4], -10001);
}

}  // namespace
}  // namespace kelvo::test
