// Models built to overflow each table, the numbering rules of numbered
// storages, the station blocks' operands and the GENERATE and ADVANCE
// time rows: every overflow gives its own message, never a write past
// the end of a table.
#include <gtest/gtest.h>

#include <string>

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

class LimitTest : public TranslateTest {};

std::string repeat(const std::string& line, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += line + "\n";
  return out;
}

std::string letters3(int i) {
  std::string s = "Q";
  s += static_cast<char>('A' + i / 26);
  s += static_cast<char>('A' + i % 26);
  return s;
}

std::string frame(const std::string& blocks) {
  return "       SIMULATE\n       GENERATE  10\n" + blocks + "       TERMINATE 1\n       START     1\n       END\n";
}

// ---- Table capacities.

TEST_F(LimitTest, ThousandBlocksAreAccepted) {
  EXPECT_EQ(first_error(frame(repeat("       ADVANCE   1", 998))), "");
  EXPECT_EQ(e_->blocks.block_count, 1000);
}

TEST_F(LimitTest, BlockThousandAndOneStops) {
  EXPECT_EQ(first_error(frame(repeat("       ADVANCE   1", 999))), " Too many blocks");
  EXPECT_TRUE(stopped_);
  EXPECT_EQ(e_->blocks.block_count, 1000);
}

TEST_F(LimitTest, TooManyQueues) {
  std::string blocks;
  for (int i = 0; i < 601; ++i) blocks += "       ARRIVE    " + letters3(i) + "\n";
  EXPECT_EQ(first_error(frame(blocks)), " Too many queues or AD sets");
  EXPECT_TRUE(e_->ctl.error_found);
  EXPECT_EQ(e_->ent.q.queue_count, 600);
}

TEST_F(LimitTest, TooManyNamedSavevalues) {
  std::string lets;
  for (int i = 0; i < 201; ++i) lets += "       LET       X$V" + std::to_string(1000 + i) + "=1\n";
  EXPECT_EQ(first_error(lets + frame("")), " Too many savevalues with names");
  EXPECT_EQ(e_->ent.sv.savevalue_count, 200);
}

TEST_F(LimitTest, TooManyStationsStops) {
  std::string blocks;
  for (int i = 0; i < 601; ++i) blocks += "       SEIZE     " + letters3(i) + "\n";
  EXPECT_EQ(first_error(frame(blocks)), " Too many facilities and storages");
  EXPECT_TRUE(stopped_);
}

TEST_F(LimitTest, TooManyTerminateBlocks) {
  EXPECT_EQ(first_error(frame(repeat("       TERMINATE 1", 500))), " Too many TERMINATE blocks");
  EXPECT_EQ(e_->ent.term.terminate_count, 500);
}

TEST_F(LimitTest, TooManyGenerateBlocks) {
  EXPECT_EQ(first_error(frame(repeat("       GENERATE  10", 200))), " Too many GENERATE blocks");
  EXPECT_EQ(e_->ent.gen.generate_count, 200);
}

TEST_F(LimitTest, TooManyDecimalNumbers) {
  EXPECT_EQ(first_error(frame(repeat("       ADVANCE   2.5,1.5,3.5", 700))), " Too many decimal numbers");
  EXPECT_EQ(e_->ent.dec.decimal_count, 2000);
}

// ---- Numbered and named storages.

TEST_F(LimitTest, NumberedStoragesInOrder) {
  const std::string model = "1      CAPACITY  2\n2      CAPACITY  2\n3      CAPACITY  2\n" + frame("");
  EXPECT_EQ(first_error(model), "");
  EXPECT_EQ(dump_entities(*e_), (Lines{"station 1 1 cap=2", "station 2 2 cap=2", "station 3 3 cap=2", "queue 1 1",
                                       "queue 2 2", "queue 3 3", "terminate 1 1", "steps 2"}));
}

TEST_F(LimitTest, GapWithEqualCapacitiesIsFilled) {
  EXPECT_EQ(first_error("1      CAPACITY  2\n3      CAPACITY  2\n" + frame("")), "");
  EXPECT_EQ(e_->ent.st.storage_count, 3);
  EXPECT_EQ(e_->ent.st.station_capacity[2], 2);
  EXPECT_EQ(e_->ent.st.station_name[2], numeric_name_key(2));
}

TEST_F(LimitTest, GapWithDifferentCapacitiesStops) {
  translate_fe("1      CAPACITY  2\n3      CAPACITY  4\n" + frame(""));
  EXPECT_TRUE(stopped_);
  EXPECT_EQ(err_lines(), (Lines{" Gap in numbers of storages, but capacity of storage  1",
                                " differs from capacity of storage  3"}));
}

TEST_F(LimitTest, FirstNumberedStorageMustBeOne) {
  EXPECT_EQ(first_error("2      CAPACITY  2\n" + frame("")), " First numerical storage must be 1");
}

TEST_F(LimitTest, NumberedAfterNamedStorageIsReportedAndIgnored) {
  EXPECT_EQ(first_error("TANK   CAPACITY  5\n1      CAPACITY  2\n" + frame("")),
            " Numerical STORAGES must come before named ones");
  EXPECT_FALSE(e_->ctl.error_found);
  EXPECT_EQ(e_->ent.st.storage_count, 0);
}

TEST_F(LimitTest, StorageOutOfOrderIsReported) {
  EXPECT_EQ(first_error("1      CAPACITY  2\n2      CAPACITY  2\n2      CAPACITY  2\n" + frame("")),
            " Storage already defined");
}

TEST_F(LimitTest, CapacityWithoutOperandGetsDefault) {
  EXPECT_EQ(first_error("TANK   CAPACITY\n" + frame("       ENTER     TANK\n       LEAVE     TANK\n")), "");
  EXPECT_EQ(e_->ent.st.station_capacity[1], 2000000000);
  EXPECT_EQ(e_->blocks.block_arg[2], 1);
  EXPECT_EQ(e_->blocks.block_arg[3], 1);
}

// ---- Station blocks.

TEST_F(LimitTest, EnterOfUndefinedStorage) {
  translate_fe(frame("       ENTER     TANK\n"));
  EXPECT_EQ(err_lines().at(0), " TANK   is");
  EXPECT_EQ(err_lines().at(1), " storage for which capacity has not been defined");
}

TEST_F(LimitTest, ReleaseBeforeSeizeWarnsTwice) {
  EXPECT_EQ(first_error(frame("       RELEASE   PUMP\n")), "");
  const std::string stars(62, '*');
  EXPECT_EQ(file_lines("m.WRN"), (Lines{stars, " WARNING: RELEASE comes before SEIZE for facility PUMP", stars,
                                        " WARNING: RELEASE lacks corresponding SEIZE in segment",
                                        " Result output might hence be misleading"}));
}

TEST_F(LimitTest, ReleaseAfterItsSeizeWritesNoWarning) {
  EXPECT_EQ(first_error(frame("       SEIZE     PUMP\n       RELEASE   PUMP\n")), "");
  EXPECT_TRUE(file_lines("m.WRN").empty());
}

TEST_F(LimitTest, SnaUnitCountIsLinkedToItsEntity) {
  std::string model = "TANK   CAPACITY  5\n       LET       X$UNITS=2\n" + base_with(4, "       ENTER     TANK,X$UNITS");
  model.replace(model.find("       RELEASE   MACH"), 21, "       LEAVE     TANK,X$UNITS");
  ASSERT_TRUE(translate_fe(model));
  EXPECT_FALSE(e_->ctl.error_found);
  const auto& st = e_->ent.st;
  ASSERT_EQ(st.sna_b_count, 2);
  EXPECT_EQ(st.sna_b_kind[1], opnd::savevalue);
  EXPECT_EQ(st.sna_b_value[1], 1);
  EXPECT_EQ(e_->blocks.block_units[3], -100);
}

TEST_F(LimitTest, EnterWithZeroUnitsIsRefused) {
  translate_fe("TANK   CAPACITY  5\n" + base_with(4, "       ENTER     TANK,0"));
  EXPECT_EQ(err_lines().at(0), " Illegal 0 in B operand");
}

// ---- GENERATE and ADVANCE.

TEST_F(LimitTest, GenerateWithZeroLimitWarns) {
  EXPECT_EQ(first_error("       SIMULATE\n       GENERATE  10,,,0\n       TERMINATE\n"
                        "       GENERATE  10\n       TERMINATE 1\n       START     1\n       END\n"),
            "");
  EXPECT_EQ(file_lines("m.WRN"), (Lines{" No transactions will be generated", " from GENERATE block   1"}));
}

TEST_F(LimitTest, TimeRows) {
  EXPECT_EQ(first_error(frame("       ADVANCE   P1\n")), "");
  const auto& g = e_->ent.gen;
  EXPECT_EQ(g.generate_time_table[1][1], 10.0f);
  EXPECT_EQ(g.generate_time_table[1][2], 0.0f);
  EXPECT_EQ(g.generate_time_table[1][3], -1.0f);
  EXPECT_EQ(g.advance_time_table[1][1], 1.0f);
  EXPECT_EQ(g.advance_time_table[1][3], 1.0f);
}

TEST_F(LimitTest, GenerateTimeRowOfConstants) {
  EXPECT_EQ(first_error(base_model()), "");
  const auto& row = e_->ent.gen.generate_time_table[1];
  EXPECT_EQ(row[1], 6.0f);
  EXPECT_EQ(row[2], 8.0f);
  EXPECT_EQ(row[3], -1.0f);
  EXPECT_EQ(row[4], 0.0f);
}

TEST_F(LimitTest, ParameterInGenerate) {
  EXPECT_EQ(first_error(base_with(2, "       GENERATE  P1")), " Parameter or PRiority illegal in GENERATE");
}

}  // namespace
}  // namespace kelvo::test
