// Station blocks and their queues: the implicit queue of a station block
// that no ARRIVE or QUEUE precedes, parameter-selected storages, the
// PREEM: label and the removal block the end checks add for it.
#include <gtest/gtest.h>

#include <string>

#include "translate_fixture.h"

namespace kelvo::test {
namespace {

using Lines = std::vector<std::string>;

class StationQueueTest : public TranslateTest {};

// A machine taken straight after GENERATE: nothing names a queue there.
const char* k_seize_alone =
    "       SIMULATE\n"
    "       GENERATE  10,4\n"
    "       SEIZE     MACH\n"
    "       ADVANCE   8,3\n"
    "       RELEASE   MACH\n"
    "       TERMINATE 1\n"
    "       START     50\n"
    "       END\n";

TEST_F(StationQueueTest, SeizeAfterArriveHasNoImplicitQueue) {
  translate_fe(base_model());
  EXPECT_TRUE(err_lines().empty());
  EXPECT_EQ(e_->ent.q.queue_count, 1);
  EXPECT_EQ(e_->ent.st.station_implicit_queue[1], 0);
}

TEST_F(StationQueueTest, SeizeWithoutArriveGetsTheStationsQueue) {
  translate_fe(k_seize_alone);
  EXPECT_TRUE(err_lines().empty());
  ASSERT_EQ(e_->ent.q.queue_count, 1);
  EXPECT_EQ(e_->ent.q.queue_name[1], e_->ent.st.station_name[1]);
  EXPECT_EQ(e_->ent.st.station_implicit_queue[1], 1);
  EXPECT_FALSE(e_->ctl.error_found);
}

TEST_F(StationQueueTest, SecondSeizeOfTheSameStationKeepsOneQueue) {
  translate_fe(
      "       SIMULATE\n"
      "       GENERATE  10,4\n"
      "       SEIZE     MACH\n"
      "       RELEASE   MACH\n"
      "       SEIZE     MACH\n"
      "       RELEASE   MACH\n"
      "       TERMINATE 1\n"
      "       START     5\n"
      "       END\n");
  EXPECT_TRUE(err_lines().empty());
  EXPECT_EQ(e_->ent.q.queue_count, 1);
}

// Models refused with the first line of their report.
TEST_F(StationQueueTest, RefusedStationNames) {
  const struct {
    std::string model;
    const char* message;
  } cases[] = {
      {"       SIMULATE\n       GENERATE  10,4\n       SEIZE     MACH\n       RELEASE   MACH\n"
       "       ARRIVE    MACH\n       DEPART    MACH\n       TERMINATE 1\n       START     5\n       END\n",
       " Name in A operand used for implicit queue"},
      {"       SIMULATE\nTANK   CAPACITY  5\n       GENERATE  10,4\n       ENTER     P1\n       TERMINATE 1\n"
       "       START     5\n       END\n",
       " Parameter storages not properly defined"},
      {base_with(2, "PREEM: GENERATE  10,4"), "PREEM: illegally used. Use e.g. PREEM: GOTO"},
  };
  for (const auto& c : cases) EXPECT_EQ(first_error(c.model), c.message) << c.model;
}

TEST_F(StationQueueTest, ImplicitQueueNameAlreadyAQueueIsReportedOnly) {
  translate_fe(
      "       SIMULATE\n"
      "       GENERATE  10,4\n"
      "       ARRIVE    MACH\n"
      "       DEPART    MACH\n"
      "       SEIZE     MACH\n"
      "       RELEASE   MACH\n"
      "       TERMINATE 1\n"
      "       START     5\n"
      "       END\n");
  // SEIZE could also be an address: the report carries the address hint.
  EXPECT_EQ(err_lines(), (Lines{" Implicit QUEUE name already used", " Error might possibly be due to first word being",
                                " an address, not an operation code", " Error found at the following statement:", "",
                                "          SEIZE     MACH"}));
  // A report, not a flagged error: the model still runs.
  EXPECT_FALSE(e_->ctl.error_found);
  EXPECT_EQ(e_->ent.st.station_implicit_queue[1], 0);
}

TEST_F(StationQueueTest, EnterOfANumberedStorageAsksForNoQueue) {
  translate_fe(
      "1      CAPACITY  2\n"
      "       SIMULATE\n"
      "       GENERATE  10,4\n"
      "       ENTER     1\n"
      "       ADVANCE   5\n"
      "       LEAVE     1\n"
      "       TERMINATE 1\n"
      "       START     5\n"
      "       END\n");
  EXPECT_TRUE(err_lines().empty());
  EXPECT_EQ(e_->ent.st.station_implicit_queue[1], 0);
}

TEST_F(StationQueueTest, EnterByParameterWithNumberedStoragesIsAccepted) {
  translate_fe(
      "       SIMULATE\n"
      "1      CAPACITY  5\n"
      "2      CAPACITY  5\n"
      "       GENERATE  10,4\n"
      "       ENTER     P1\n"
      "       LEAVE     P1\n"
      "       TERMINATE 1\n"
      "       START     5\n"
      "       END\n");
  EXPECT_TRUE(err_lines().empty());
  EXPECT_EQ(e_->blocks.block_arg[2], -1);
}

TEST_F(StationQueueTest, PreemLabelGetsTheRemovalCode) {
  translate_fe(
      "       SIMULATE\n"
      "       GENERATE  10,4\n"
      "       PREEMPT   MACH\n"
      "       ADVANCE   8\n"
      "       RETURN    MACH\n"
      "       TERMINATE 1\n"
      "PREEM: TERMINATE\n"
      "       START     5\n"
      "       END\n");
  EXPECT_TRUE(err_lines().empty());
  ASSERT_EQ(e_->blocks.block_count, 6);
  EXPECT_EQ(e_->blocks.block_label[6], k_preem_label_code);
  EXPECT_TRUE(e_->cs.flags.preem_name_seen);
}

TEST_F(StationQueueTest, PreemptToPreemWithoutSuchBlockAddsTheRemovalBlock) {
  translate_fe(
      "       SIMULATE\n"
      "       GENERATE  10,4\n"
      "       PREEMPT   MACH,PREEM:\n"
      "       ADVANCE   8\n"
      "       RETURN    MACH\n"
      "       TERMINATE 1\n"
      "       START     5\n"
      "       END\n");
  EXPECT_TRUE(err_lines().empty());
  ASSERT_EQ(e_->blocks.block_count, 6);
  EXPECT_EQ(e_->blocks.block_op[6], bc::terminate);
  EXPECT_EQ(e_->blocks.block_label[6], k_preem_label_code);
  ASSERT_EQ(e_->ent.term.terminate_count, 2);
  EXPECT_EQ(e_->ent.term.terminate_value[2], 0);
  EXPECT_EQ(e_->blocks.block_arg[6], 2);
  EXPECT_FALSE(e_->ctl.error_found);
}

TEST_F(StationQueueTest, PreemptToPreemWithSuchBlockAddsNothing) {
  translate_fe(
      "       SIMULATE\n"
      "       GENERATE  10,4\n"
      "       PREEMPT   MACH,PREEM:\n"
      "       ADVANCE   8\n"
      "       RETURN    MACH\n"
      "       TERMINATE 1\n"
      "PREEM: TERMINATE 1\n"
      "       START     5\n"
      "       END\n");
  EXPECT_TRUE(err_lines().empty());
  EXPECT_EQ(e_->blocks.block_count, 6);
}

TEST_F(StationQueueTest, RemovalBlockBeyondTheBlockTableIsAnError) {
  // GENERATE, PREEMPT, 997 ADVANCE and TERMINATE fill the 1000 blocks.
  std::string model = "       SIMULATE\n       GENERATE  10\n       PREEMPT   MACH,PREEM:\n";
  for (int i = 0; i < 997; ++i) model += "       ADVANCE   1\n";
  model += "       TERMINATE 1\n       START     5\n       END\n";
  translate_fe(model);
  ASSERT_FALSE(err_lines().empty());
  EXPECT_EQ(err_lines()[0], " Too many blocks");
  EXPECT_EQ(e_->blocks.block_count, 1000);
  EXPECT_TRUE(e_->ctl.error_found);
}

TEST_F(StationQueueTest, AdvanceRecordsTheFacilityItsTransactionHolds) {
  translate_fe(
      "       SIMULATE\n"
      "       GENERATE  10,4\n"
      "       ADVANCE   1\n"
      "       SEIZE     MACH\n"
      "       ADVANCE   8,3\n"
      "       RELEASE   MACH\n"
      "       ADVANCE   2\n"
      "       TERMINATE 1\n"
      "       START     5\n"
      "       END\n");
  EXPECT_TRUE(err_lines().empty());
  EXPECT_EQ(e_->blocks.block_arg[2], 0);
  EXPECT_EQ(e_->blocks.block_arg[4], 1);
  EXPECT_EQ(e_->blocks.block_arg[6], 0);
  EXPECT_FALSE(e_->ent.st.station_in_advance_flag);
}

TEST_F(StationQueueTest, AdvanceAfterAParameterFacilityResolvesItAtRunTime) {
  translate_fe(
      "       SIMULATE\n"
      "       GENERATE  10,4\n"
      "       SEIZE     P2\n"
      "       ADVANCE   8,3\n"
      "       RELEASE   P2\n"
      "       TERMINATE 1\n"
      "       START     5\n"
      "       END\n");
  EXPECT_TRUE(err_lines().empty());
  EXPECT_EQ(e_->blocks.block_arg[3], -2);
  EXPECT_TRUE(e_->ent.st.station_in_advance_flag);
}

}  // namespace
}  // namespace kelvo::test
