// The table work files on hand-filled tables: the histogram file's
// lines (at least 4 class lines, the overflow kept last), the graph list
// line of each table, and "zwxyq.tab" outside the front end.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "../runtime/runtime_test_support.h"
#include "translator/table_definitions.h"

namespace kelvo::test {
namespace {

class TableFiles : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    e->ctl.program_file_name.assign("M.TXT");
    auto& tab = e->ent.tab;
    tab.table_count = 1;
    tab.table_name[1] = pack6("WAIT");
    tab.table_width[1] = 5;
  }
  void classes(int n, std::vector<int4> freq) {
    e->ent.tab.table_classes[1] = n;
    for (std::size_t i = 0; i < freq.size(); ++i) e->srv.table_freq[1][i + 1] = freq[i];
  }
};

TEST_F(TableFiles, HistogramFileLines) {
  struct Case {
    int classes;
    std::vector<int4> freq;
    bool plain_zero;
    std::vector<std::string> lines;
  };
  const std::vector<Case> cases = {
      // Three classes, overflow empty: padded to 4 class lines.
      {3, {1, 2, 3, 0}, true, {" WAIT  ", "     0", "     5", "     4", "     1", "     2", "     3", "     0", "     0"}},
      // Three classes with an overflow: the overflow stays the last count.
      {3, {1, 2, 3, 4}, false, {" WAIT  ", "    -0", "     5", "     3", "     1", "     2", "     3", "     4"}},
      {5, {1, 0, 0, 0, 2, 7}, true, {" WAIT  ", "     0", "     5", "     5", "     1", "     0", "     0", "     0", "     2", "     7"}},
  };
  for (const Case& c : cases) {
    ScratchDir dir("histogram");
    classes(c.classes, c.freq);
    read_table_defs(*e, 1, c.plain_zero);
    EXPECT_EQ(make_qt_file_name(*e, 1), "M.QT0");
    EXPECT_EQ(lines_of(read_file("M.QT0")), c.lines);
  }
}

TEST_F(TableFiles, OutsideTheFrontEndTheWorkFileNamesTheModel) {
  ScratchDir dir("table_work");
  e->ent.tab.table_count = 11;
  write_table_file(*e, 11);
  e->ch.close(e->ctl.unit_base + 11);
  EXPECT_EQ(std::string(trim_right(lines_of(read_file("zwxyq.tab")).at(0))), "M.TXT");
  // Table 11's digit is the character after '9'.
  EXPECT_EQ(lines_of(read_file("M.GRT")), std::vector<std::string>{"QT: T"});
  EXPECT_EQ(make_qt_file_name(*e, 11), "M.QT:");
}

}  // namespace
}  // namespace kelvo::test
