// FUNCTION data: frequencies turned into a cumulative distribution, the
// points stored into a function's column, and address names resolved to
// block numbers after translation.
#include "translator/function_data.h"

#include "../runtime/runtime_test_support.h"

namespace kelvo::test {
namespace {

class FunctionData : public RuntimeTest {};

TEST_F(FunctionData, FrequenciesBecomeCumulativeFractions) {
  e->cs.fnread.fn_buf_y[1] = 1.0f;
  e->cs.fnread.fn_buf_y[2] = 1.0f;
  e->cs.fnread.fn_buf_y[3] = 2.0f;
  ASSERT_TRUE(cumulate_frequencies(*e, 3));
  EXPECT_FLOAT_EQ(e->cs.fnread.fn_buf_y[1], 0.25f);
  EXPECT_FLOAT_EQ(e->cs.fnread.fn_buf_y[2], 0.5f);
  EXPECT_FLOAT_EQ(e->cs.fnread.fn_buf_y[3], 1.0f);
}

TEST_F(FunctionData, DiscreteDataAreStoredAsTheyStand) {
  e->cs.fnread.fn_buf_x[1] = 0.5f;
  e->cs.fnread.fn_buf_y[1] = 4.0f;
  e->cs.fnread.fn_buf_x[2] = 1.0f;
  e->cs.fnread.fn_buf_y[2] = 6.0f;
  ASSERT_TRUE(store_function_column(*e, 2, 2, false));
  EXPECT_EQ(e->ent.fn.function_point_count[2], 2);
  EXPECT_EQ(e->ent.fn.function_y[2][1], 4.0f);
  EXPECT_EQ(e->ent.fn.function_y[2][2], 6.0f);
  EXPECT_FALSE(e->ent.fn.fn_complete[2]);
  ASSERT_TRUE(store_function_column(*e, 3, 2, true));
  EXPECT_FLOAT_EQ(e->ent.fn.function_y[3][1], 0.4f);
  EXPECT_FLOAT_EQ(e->ent.fn.function_y[3][2], 1.0f);
  EXPECT_TRUE(e->ent.fn.fn_complete[3]);
}

TEST_F(FunctionData, StoringPastTheCapacityIsRefused) {
  EXPECT_FALSE(store_function_column(*e, 1, k_function_point_limit + 1, false));
  EXPECT_FALSE(store_function_column(*e, k_function_limit + 1, 1, false));
}

TEST_F(FunctionData, AddressNamesBecomeBlockNumbers) {
  e->blocks.block_count = 3;
  e->blocks.block_label[2] = pack6("LABA");
  auto& fn = e->ent.fn;
  fn.function_count = 1;
  fn.function_point_count[1] = 2;
  e->ent.fn.fn_point_name[1][1] = pack6("LABA");
  e->ent.fn.fn_point_name[1][2] = pack6("NOWHER");
  resolve_function_addresses(*e, 1);
  EXPECT_EQ(fn.function_y[1][1], 2.0f);
  const auto lines = lines_of(out.str());
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], " WARNING");
  EXPECT_EQ(lines[1], " Address   2 in function nr.   1 possibly missing");
}

}  // namespace
}  // namespace kelvo::test
