// Automatic animation end to end in one process: the animated copy of a
// model translates and runs, and its blocks count the same transactions
// as the user's model.
#include <map>
#include <memory>
#include <set>
#include <sstream>

#include "../engine_fixture.h"
#include "driver/engine_entry.h"
#include "support/packed_names.h"

namespace kelvo {
namespace {

using AnimatedRun = testing::EngineTest;

int entries_at(Engine& e, std::string_view label) {
  const int4 code = pack_symbol_name(e, label);
  for (int b = 1; b <= e.blocks.block_count; ++b) {
    if (e.blocks.block_label[static_cast<std::size_t>(b)] == code) return e.blocks.block_entries[static_cast<std::size_t>(b)];
  }
  return -1;
}

double savevalue(Engine& e, std::string_view name) {
  const int4 code = pack_symbol_name(e, name);
  for (std::size_t i = 1; i < e.ent.sv.savevalue_name.size(); ++i) {
    if (e.ent.sv.savevalue_name[i] == code) return e.ent.sv.savevalue_value[i];
  }
  return -1.0;
}

TEST_F(AnimatedRun, FiftyCharacterOperandRunsToTheSameCounts) {
  const std::string sum = "X$A=X$A+2+2+2+2+2+2+2+2+2+2+2+2+2+2+2+2+2+2+2+2+13";
  ASSERT_EQ(sum.size(), 50u);
  write_file("M.TXT", "       SIMULATE\n       LET       X$A=0\nGEN    GENERATE  100\nSUM    LET       " + sum +
                          "\n       ADVANCE   5\nFIN    TERMINATE 1\n       START     3\n       END\n");
  write_file("zwxyq.jav", "M.TXT\n     60\n");
  // The user's model as it stands: 3 transactions, each adding 53.
  auto plain = std::make_unique<Engine>();
  EXPECT_EQ(run_engine(*plain), 0);
  EXPECT_EQ(entries_at(*plain, "GEN"), 3);
  EXPECT_EQ(entries_at(*plain, "FIN"), 3);
  EXPECT_DOUBLE_EQ(savevalue(*plain, "A"), 159.0);
  // The animated copy.
  write_file("zwxyqani", "");
  auto animated = std::make_unique<Engine>();
  EXPECT_EQ(run_engine(*animated), 0);
  EXPECT_NE(read_file("M.ANI").find("    SUM    LET       " + sum + "\n"), std::string::npos);
  EXPECT_EQ(entries_at(*animated, "GEN"), 3);
  EXPECT_EQ(entries_at(*animated, "FIN"), 3);
  EXPECT_DOUBLE_EQ(savevalue(*animated, "A"), 159.0);
  // The trace carries the user's model name: the first transaction is
  // created at 100, placed after the LET, and after the dummy delay of 5
  // placed at the ADVANCE; the file ends with END.
  const std::string atf = read_file("M.ATF");
  EXPECT_EQ(atf.rfind(" TIME     100.00\n CREATE FIG1        1\n PLACE      1 ON BLO2  \n"
                      " TIME     105.00\n PLACE      1 ON BLO3  \n", 0), 0u) << atf;
  EXPECT_EQ(atf.substr(atf.size() - 5), " END\n");
  EXPECT_FALSE(std::filesystem::exists("MANI.ATF"));
}

// Three segments that send their transactions to each other: segment 1's
// third and fourth transactions go by IF to segment 2, every transaction
// there goes by GOTO to segment 3, and SPLIT sends a copy of each back to
// segment 1's last blocks. The decisions read the transaction's own
// parameter, so the dummy delays of the copy do not change them.
const std::string k_three_segments =
    "       SIMULATE\n       LET       X$N=0\n"
    "GEA    GENERATE  10,0,,4\nLTA    LET+      X$N,1\nLPA    LET       P$NUM=X$N\n"
    "IFA    IF        P$NUM>2,TWO\nADA    ADVANCE   3\nTEA    TERMINATE 1\n"
    "GEB    GENERATE  15,0,,2\nTWO    ADVANCE   2\nGOB    GOTO      THREE\n"
    "GEC    GENERATE  20,0,,1\nTHREE  SPLIT     1,ONE\nTEC    TERMINATE 1\n"
    "ONE    ADVANCE   1\nWTD    WAITIF    X$N<1\nTED    TERMINATE 1\n"
    "       START     12\n       END\n";

// Entries by the rules: 4 transactions in segment 1 (2 of them on to
// TWO), 2 more in segment 2, 1 in segment 3, 5 SPLIT copies; 12 ends.
const std::vector<std::pair<const char*, int>> k_three_segment_entries = {
    {"GEA", 4}, {"LTA", 4}, {"LPA", 4}, {"IFA", 4},   {"ADA", 2}, {"TEA", 2}, {"GEB", 2}, {"TWO", 4},
    {"GOB", 4}, {"GEC", 1}, {"THREE", 5}, {"TEC", 5}, {"ONE", 5}, {"WTD", 5}, {"TED", 5}};

std::vector<std::string> lines_of(const std::string& text) { return testing::stripped_lines(text); }

TEST_F(AnimatedRun, ObjectsFollowTheirTransactionsAcrossSegments) {
  write_file("M.TXT", k_three_segments);
  write_file("zwxyq.jav", "M.TXT\n     60\n");
  auto plain = std::make_unique<Engine>();
  EXPECT_EQ(run_engine(*plain), 0);
  write_file("zwxyqani", "");
  write_file("zwxyqdeb", "");
  auto animated = std::make_unique<Engine>();
  EXPECT_EQ(run_engine(*animated), 0);
  for (const auto& [label, n] : k_three_segment_entries) {
    EXPECT_EQ(entries_at(*plain, label), n) << label;
    EXPECT_EQ(entries_at(*animated, label), n) << label;
  }
  // Every object is created once and destroyed once, and none is 0.
  std::map<int, int> created, destroyed;
  const std::string atf = read_file("M.ATF");
  for (const std::string& line : lines_of(atf)) {
    std::istringstream in(line);
    std::string word, x;
    int object = -1;
    in >> word;
    if (word == "CREATE") in >> x >> object, ++created[object];
    if (word == "DESTROY") in >> object, ++destroyed[object];
    if (word == "PLACE") in >> object;
    EXPECT_NE(object, 0) << line;
  }
  EXPECT_EQ(created.size(), 12u) << atf;
  EXPECT_EQ(created, destroyed);
  EXPECT_EQ(created.count(10003), 1u);  // the SPLIT copy of segment 1's third object
  EXPECT_NE(read_file("M.ANI").find("\n     LET P$SEG2=P$SEG1\n     GOTO TWO\n"), std::string::npos);
  for (const auto& [object, n] : created) EXPECT_EQ(n, 1) << object;
}

// Segment 1 makes 1010 short-lived transactions while each other segment's
// first transaction is still alive. Read as a viewer reads the trace: no
// CREATE may name a live object, no DESTROY a dead one. By the numbering
// rule segment d's first thousand is k + 1000 (d - 1), and segment 1's
// 1001st object opens its second thousand at 1000 m + 1, m being the
// count of segments rounded up to 1, 2, 5 or 10.
struct SegmentCount {
  int segments;
  int second_thousand;  // number of segment 1's 1001st object
};

class ObjectNumbers : public AnimatedRun, public ::testing::WithParamInterface<SegmentCount> {};

TEST_P(ObjectNumbers, NoObjectIsCreatedUnderTheNumberOfALiveOne) {
  const SegmentCount c = GetParam();
  std::string model = "       SIMULATE\n       LET       X$DUM=0.1\n"
                      "       GENERATE  1\n       ADVANCE   3\n       TERMINATE 1\n";
  for (int d = 2; d <= c.segments; ++d) model += "       GENERATE  995\n       ADVANCE   20\n       TERMINATE\n";
  write_file("M.TXT", model + "       START     1010\n       END\n");
  write_file("zwxyq.jav", "M.TXT\n     60\n");
  write_file("zwxyqani", "");
  ASSERT_EQ(run_engine(*std::make_unique<Engine>()), 0);
  std::map<std::string, std::vector<int>> by_class;
  std::set<int> alive;
  for (const std::string& line : lines_of(read_file("M.ATF"))) {
    std::istringstream in(line);
    std::string word, cls;
    int object = 0;
    in >> word;
    if (word == "CREATE") {
      in >> cls >> object;
      EXPECT_TRUE(alive.insert(object).second) << "created while alive: " << object;
      by_class[cls].push_back(object);
    } else if (word == "DESTROY") {
      in >> object;
      EXPECT_EQ(alive.erase(object), 1u) << "destroyed while not alive: " << object;
    }
  }
  const std::vector<int>& first = by_class["FIG1"];
  ASSERT_GE(first.size(), 1010u);
  EXPECT_EQ(first[999], 1000);
  EXPECT_EQ(first[1000], c.second_thousand);
  EXPECT_EQ(first[1009], c.second_thousand + 9);
  for (int d = 2; d <= c.segments; ++d) {
    const std::vector<int>& other = by_class["FIG" + std::to_string(d)];
    ASSERT_FALSE(other.empty()) << d;
    EXPECT_EQ(other.front(), 1000 * (d - 1) + 1) << d;
  }
}

INSTANTIATE_TEST_SUITE_P(AnimatedRun, ObjectNumbers,
                         ::testing::Values(SegmentCount{2, 2001}, SegmentCount{3, 5001}, SegmentCount{6, 10001}),
                         [](const auto& info) { return std::to_string(info.param.segments) + "Segments"; });

TEST_F(AnimatedRun, AnimatedCopyIsAnimatedAsItStands) {
  write_file("M.TXT", k_three_segments);
  write_file("zwxyq.jav", "M.TXT\n     60\n");
  write_file("zwxyqani", "");
  write_file("zwxyqdeb", "");
  EXPECT_EQ(run_engine(*std::make_unique<Engine>()), 0);
  // The copy given as the model: run as it stands, with the same trace,
  // and laid out as the user's model, without views, colours and classes.
  write_file("zwxyq.jav", "M.ANI\n     60\n");
  auto again = std::make_unique<Engine>();
  EXPECT_EQ(run_engine(*again), 0);
  EXPECT_EQ(entries_at(*again, "THREE"), 5);
  EXPECT_EQ(read_file("MANI.ATF"), read_file("M.ATF"));
  const auto lay = lines_of(read_file("M.LAY"));
  const auto first = std::find_if(lay.begin(), lay.end(), [](const std::string& l) { return l.rfind(" Line #1 ", 0) == 0; });
  ASSERT_NE(first, lay.end());
  EXPECT_EQ(lines_of(read_file("MANI.LAY")), std::vector<std::string>(first, lay.end()));
  EXPECT_FALSE(std::filesystem::exists("MANI.ANI"));
}

}  // namespace
}  // namespace kelvo
