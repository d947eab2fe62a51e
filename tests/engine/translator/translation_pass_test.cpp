// The translation pass on whole models: tables row by row, listing and
// the first compile message of each erroneous variation.
#include <gtest/gtest.h>

#include "translate_fixture.h"
#include "support/diagnostics.h"
#include "support/output_files.h"
#include "support/packed_names.h"
#include "support/statement_reader.h"
#include "support/stop.h"
#include "support/text_routines.h"

namespace kelvo::test {
namespace {

using Lines = std::vector<std::string>;

TEST_F(TranslateTest, BaseModelGivesSevenBlocksOneFacilityOneQueue) {
  ASSERT_TRUE(translate_fe(base_model()));
  EXPECT_FALSE(e_->ctl.error_found);
  EXPECT_EQ(dump_blocks(*e_), (Lines{
                                  "1 op=8 arg=1 opnd=-1 label=-",
                                  "2 op=35 arg=1 opnd=-1 label=-",
                                  "3 op=15 arg=1 opnd=-1 label=-",
                                  "4 op=2 arg=1 opnd=-1 label=-",
                                  "5 op=1 arg=1 opnd=1 label=-",
                                  "6 op=13 arg=1 opnd=-1 label=-",
                                  "7 op=19 arg=1 opnd=-1 label=-",
                              }));
  EXPECT_EQ(dump_entities(*e_), (Lines{"station 1 MACH cap=0", "queue 1 LINE", "terminate 1 1", "steps 2"}));
  EXPECT_TRUE(err_lines().empty());
}

}  // namespace
}  // namespace kelvo::test
