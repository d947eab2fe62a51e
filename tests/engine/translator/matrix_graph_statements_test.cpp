// MATRIX, MX( and GRAPH at compile time: the statement each form becomes
// (a call of its built-in program), the messages of the malformed forms,
// and the graph table that graph program calls fill.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "line_check_fixture.h"
#include "translator/matrix_graph_statements.h"

namespace kelvo {
namespace {

// The syntax check and the operand lexer on a line of model line n.
class MatrixGraphLineTest : public LineTest {
 protected:
  std::string check(const std::string& line, int n = 1) { return LineTest::check(line, true, n); }
  std::string operand(int u) { return operand_string(*e_, u); }
};

struct RewriteCase {
  std::string name;
  std::string line;
  std::string rewritten;  // the statement the syntax check leaves
  std::string program;    // its operand A
  std::string last;       // its last operand
};

class Rewrite : public MatrixGraphLineTest, public ::testing::WithParamInterface<RewriteCase> {};

TEST_P(Rewrite, BecomesTheProgramCall) {
  const auto& c = GetParam();
  EXPECT_EQ(check(c.line), "");
  EXPECT_EQ(line(), c.rewritten);
  EXPECT_EQ(std::string(e_->cs.stmt.stmt_line.cols(e_->cs.stmt.stmt_fields.op_start, e_->cs.stmt.stmt_fields.op_start + 3)), "HELP");
  EXPECT_EQ(operand(1), c.program);
  int last = 1;
  while (last < 8 && e_->cs.stmt.stmt_fields.opnd_len[last + 1] > 0) ++last;
  EXPECT_EQ(operand(last), c.last);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, Rewrite,
    ::testing::Values(
        RewriteCase{"MatrixStore", "       MATRIX    1,2,X$A", "       HELP      MATIN,1,2,X$A", "MATIN", "X$A"},
        RewriteCase{"MatrixAfterLabel", "LBL    MATRIX    X$R,2,5 ! row R", "LBL    HELP      MATIN,X$R,2,5 ! row R", "MATIN", "5"},
        RewriteCase{"MatrixIntegerRow", "       MATRIX    INT,1,1,P2", "       HELP      MATIN,1,1,P2", "MATIN", "P2"},
        RewriteCase{"MatrixReference", "       LET       X$A=MX(2,X$C)", "       HELP MATUT,2,X$C,X$A", "MATUT", "X$A"},
        RewriteCase{"Graph", "       GRAPH     1,Q$LINE,S$TANK", "       HELP GRAPHC,1,Q$LINE,S$TANK", "GRAPHC", "S$TANK"},
        RewriteCase{"GraphAfterLabel", "PLOT   GRAPH     X$A,P1", "PLOT   HELP GRAPHC,X$A,P1", "GRAPHC", "P1"}),
    [](const auto& info) { return info.param.name; });

TEST_F(MatrixGraphLineTest, OnlyTheIntegerFormAsksForWholeNumbersAndOnlyMxForTheMenuFile) {
  check("       MATRIX    1,1,X$A");
  EXPECT_FALSE(e_->mat.integer_first_row);
  EXPECT_FALSE(e_->mat.menu_file_wanted);
  check("       MATRIX    IN,1,1,X$A");
  EXPECT_TRUE(e_->mat.integer_first_row);
  check("       LET       X$B=MX(1,1)");
  EXPECT_TRUE(e_->mat.menu_file_wanted);
}

struct MessageCase {
  std::string name;
  std::string line;
  std::string message;
};

class Message : public MatrixGraphLineTest, public ::testing::WithParamInterface<MessageCase> {};

TEST_P(Message, IsReported) {
  EXPECT_EQ(check(GetParam().line), GetParam().message);
  EXPECT_TRUE(e_->ctl.error_found);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, Message,
    ::testing::Values(MessageCase{"GraphAlone", "       GRAPH", " GRAPH with no or incorrect operand"},
                      MessageCase{"GraphCommaPastNinthCharacter", "       GRAPH     X$LONGNAM,1", " GRAPH with no or incorrect operand"},
                      MessageCase{"MatrixAlone", "       matrix", " MATRIX with no or incorrect operand"},
                      MessageCase{"MatrixText", "       MATRIX    'ROW'", " MATRIX with no or incorrect operand"},
                      MessageCase{"MatrixOtherWord", "       MATRIX    OUT,1", " MATRIX with no or incorrect operand"},
                      MessageCase{"MxIntoParameter", "       LET       P1=MX(1,2)", " Illegal expression in MX("},
                      MessageCase{"MxThreeIndexes", "       LET       X$A=MX(1,2,3)", " Illegal expression in MX("},
                      MessageCase{"MxInExpression", "       LET       X$A=MX(1,2)+1", " Illegal expression in MX("},
                      MessageCase{"MxUnclosed", "       LET       X$A=MX(1,2", " Illegal expression in MX("}),
    [](const auto& info) { return info.param.name; });

// ---- The graph table.

class GraphTable : public MatrixGraphLineTest {
 protected:
  // The statement on model line n as special statement k calling `program`.
  std::string register_graph(const std::string& statement, int k, int program, int n) {
    const std::string message = check(statement, n);
    if (!message.empty()) return message;
    out_.str("");
    try {
      parse_graph(*e_, k, program);
    } catch (const EngineStop&) {
    }
    std::string first;
    std::getline(std::istringstream(out_.str()), first);
    return std::string(trim_right(first));
  }
  std::string axes(int g) {
    std::string s(1, e_->graph.graph_kind[g]);
    for (int a = 1; a <= k_graph_axes; ++a) s += "|" + std::string(e_->graph.axis_name[g][a].trimmed());
    return s;
  }
};

TEST_F(GraphTable, SameOperandsShareAGraphAndEachFormHasItsAxes) {
  EXPECT_EQ(register_graph("       GRAPH     1,Q$LINE,S$TANK", 1, 14, 5), "");
  EXPECT_EQ(register_graph("       GRAPH     1,Q$LINE,S$TANK", 2, 14, 6), "");
  EXPECT_EQ(register_graph("       GRAPH     X$COST,PR,P1,,X$T", 3, 14, 7), "");
  // The same operands called by the program's own name are another graph.
  EXPECT_EQ(register_graph("       HELP      GPRIN,1,Q$LINE,S$TANK", 4, 14, 8), "");
  EXPECT_EQ(e_->graph.graph_count, 3);
  EXPECT_EQ(e_->graph.statement_graph[1], 1);
  EXPECT_EQ(e_->graph.statement_graph[2], 1);
  EXPECT_EQ(e_->graph.statement_graph[4], 3);
  EXPECT_EQ(axes(1), "T|TIME|LINE|TANK||");
  EXPECT_EQ(axes(2), "X|COST|PRIO|P1||T");
  EXPECT_EQ(e_->graph.graph_code[1], k_graph_statement_code);
  EXPECT_EQ(e_->graph.graph_code[3], 14);
  // Values: axes 1 and 2 always, 3 and 4 when given.
  EXPECT_EQ(e_->graph.statement_axes[1], 0x7);
  EXPECT_EQ(e_->graph.statement_axes[3], 0x7);
  // The clock as the second axis is named TIME too.
  EXPECT_EQ(register_graph("       GRAPH     X$COST,2", 5, 14, 9), "");
  EXPECT_EQ(axes(4), "X|COST|TIME|||");
}

TEST_F(GraphTable, AnEleventhGraphIsRefused) {
  for (int k = 1; k <= 10; ++k) {
    ASSERT_EQ(register_graph("       GRAPH     1,X$V" + std::to_string(k), k, 14, k), "");
  }
  EXPECT_EQ(register_graph("       GRAPH     1,X$V11", 11, 14, 11), " Only 10 graphs allowed");
  EXPECT_EQ(e_->graph.graph_count, 10);
  EXPECT_EQ(e_->graph.statement_graph[11], 0);
}

TEST_F(GraphTable, ASecondAxisIsRequired) {
  EXPECT_EQ(register_graph("       HELP      GPRIND,1", 1, 15, 1), " C operand missing");
  EXPECT_EQ(e_->graph.graph_count, 0);
}

}  // namespace
}  // namespace kelvo
