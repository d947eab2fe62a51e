// Automatic animation end to end in one process: the animated copy of a
// model translates and runs, and its blocks count the same transactions
// as the user's model.
#include <memory>

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

}  // namespace
}  // namespace kelvo
