// Graph programs: the graph files (header once, one line of values per
// call), their names, the console form of a value, and the blank line
// that ends the text insert.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "runtime/builtin_programs.h"
#include "runtime/graph_programs.h"
#include "runtime_test_support.h"

namespace kelvo::test {
namespace {

using Lines = std::vector<std::string>;

class Graph : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    e->ctl.program_file_name.assign("m.txt");
  }
  // Graph g of kind `kind` with axis names a1 to a5, fed by statement k
  // with values for axes 1 to `values`.
  void graph(int g, char kind, std::array<const char*, 5> names, int k, int values) {
    auto& t = e->graph;
    t.graph_count = std::max(t.graph_count, g);
    t.graph_kind[g] = kind;
    for (int a = 1; a <= 5; ++a) t.axis_name[g][a] = Text6(names[a - 1]);
    t.statement_graph[k] = g;
    t.statement_axes[k] = (1 << values) - 1;
  }
  void call(int k, real4 a, real4 b, real4 c = 0.0f, real4 d = 0.0f, int mode = 1) {
    ProgramArgs p;
    p.set_value(1, a);
    p.set_value(2, b);
    p.set_value(3, c);
    p.set_value(4, d);
    graph_statement(*e, p, k, mode);
  }
  static Lines file(const std::string& name) {
    Lines lines = lines_of(read_file(name));
    for (auto& l : lines) l.erase(l.find_last_not_of(' ') + 1);
    return lines;
  }
  ScratchDir dir_{"graph"};
};

TEST_F(Graph, TwoStatementsOfOneGraphWriteOneFileWithOneHeader) {
  graph(1, 'T', {"TIME", "LINE", "TANK", "", "PUMPS"}, 1, 3);
  graph(1, 'T', {"TIME", "LINE", "TANK", "", "PUMPS"}, 2, 3);
  call(7, 1.0f, 2.0f);  // a statement without a graph writes nothing
  e->run.clock = 5.0f;
  call(1, 1.0f, 2.5f, 3.0f);
  e->run.clock = 12.25f;
  call(2, 1.0f, -4.0f, 1234.5f);
  close_graph_files(*e);
  EXPECT_EQ(file("m.GRT"), (Lines{"     TTIME       LINE       TANK", "PUMPS", "       5.00       2.50       3.00",
                                  "      12.25      -4.00    1234.50"}));
}

TEST_F(Graph, LaterGraphsOfAKindCarryTheirNumber) {
  graph(1, 'T', {"TIME", "A", "", "", ""}, 1, 2);
  graph(2, 'Q', {"LINE", "A", "", "", ""}, 2, 2);
  graph(3, 'T', {"TIME", "B", "", "", ""}, 3, 2);
  graph(4, 'Q', {"LINE", "B", "", "", ""}, 4, 2);
  EXPECT_EQ(make_graph_name(*e, 1), "m.GRT");
  EXPECT_EQ(make_graph_name(*e, 2), "m.PRQ");
  EXPECT_EQ(make_graph_name(*e, 3), "m.GRT3");
  EXPECT_EQ(make_graph_name(*e, 4), "m.PRQ4");
  for (int k = 1; k <= 4; ++k) call(k, 1.0f, static_cast<real4>(k));
  close_graph_files(*e);
  EXPECT_EQ(file("m.GRT3").back(), "       0.00       3.00");
  EXPECT_EQ(file("m.PRQ4").back(), "       1.00       4.00");
}

TEST_F(Graph, TheConsoleFormShowsEachValue) {
  graph(1, 'T', {"TIME", "A", "", "", ""}, 1, 2);
  e->run.clock = 10.0f;
  call(1, 1.0f, 3.0f, 0.0f, 0.0f, 0);
  call(1, 1.0f, 12345678.0f, 0.0f, 0.0f, 0);
  call(1, 1.0f, 9.0f, 0.0f, 0.0f, 1);
  EXPECT_EQ(lines_of(out.str()), (Lines{" Value at    10.00 is       3.00", " Value at    10.00 is   12345678."}));
}

TEST_F(Graph, ABlankLineEndsTheTextInsert) {
  std::ofstream("m.tex") << "First\n   \nSecond\n";
  write_tex_file(*e);
  EXPECT_EQ(lines_of(out.str()), (Lines{"First"}));
}

}  // namespace
}  // namespace kelvo::test
