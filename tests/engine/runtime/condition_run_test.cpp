// IF and WAITIF in whole runs under the front end: the block counts,
// queue statistics and clock that their branching and waiting give.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "../engine_fixture.h"

namespace kelvo {
namespace {

// A statement: label from column 1, operation from 8, operands from 18.
std::string stmt(const std::string& label, const std::string& word, const std::string& operands = "") {
  std::string l = label;
  l.resize(7, ' ');
  l += word;
  l.resize(17, ' ');
  return l + operands + "\n";
}

class ConditionRun : public testing::EngineTest {
 protected:
  // Runs the model under the front end.
  void run(const std::string& model) {
    write_file("zwxyq.jav", "M.TXT\n     60\n");
    write_file("M.TXT", model);
    ASSERT_EQ(run_engine(e()), 0);
  }
  std::vector<std::string> lines(const std::string& name) const {
    std::vector<std::string> out;
    std::istringstream in(read_file(name));
    std::string l;
    while (std::getline(in, l)) out.push_back(l.substr(0, l.find_last_not_of(' ') + 1));
    return out;
  }
  // The Current and Total columns of block b in the block counts.
  int column(int b, bool total) const {
    for (const auto& l : lines("M.BLK")) {
      if (l.size() < 6 || l.substr(0, 6) != std::string(6 - std::to_string(b).size(), ' ') + std::to_string(b)) continue;
      const std::string field = total ? l.substr(27) : l.substr(21, 6);
      return field.find_first_not_of(' ') == std::string::npos ? 0 : std::stoi(field);
    }
    ADD_FAILURE() << "no block " << b;
    return -1;
  }
  int total(int b) const { return column(b, true); }
  int current(int b) const { return column(b, false); }
  std::string clock_line() const {
    for (const auto& l : lines("M.BLK"))
      if (l.rfind(" Clock", 0) == 0) return l;
    return "";
  }
  // The statistics line of queue `name` in the queue section (first table).
  std::string queue_line(const std::string& name) const {
    for (const auto& l : lines("M.QUE"))
      if (l.rfind(" " + name + " ", 0) == 0) return l;
    return "";
  }
};

TEST_F(ConditionRun, IfBranchesOnQueueContents) {
  // Arrivals at 1..10 stay 5 in LINE unless 3 are in it already.
  run(stmt("", "SIMULATE") + stmt("", "GENERATE", "1,0,,10") + stmt("", "IF", "Q$LINE>=3,OUT") +
      stmt("", "ARRIVE", "LINE") + stmt("", "ADVANCE", "5") + stmt("", "DEPART", "LINE") + stmt("OUT", "TERMINATE", "1") +
      stmt("", "START", "10") + stmt("", "END"));
  EXPECT_EQ(total(2), 10);
  EXPECT_EQ(total(3), 6);  // 1, 2, 3, 6, 7 and 8 find fewer than 3
  EXPECT_EQ(total(6), 10);
  EXPECT_EQ(clock_line(), " Clock         13.00");
}

TEST_F(ConditionRun, EqualityHasATolerenceAndLessOrEqualHasNone) {
  run(stmt("", "SIMULATE") + stmt("", "LET", "X$AAA=1.000001") + stmt("", "LET", "X$BBB=2.000001") +
      stmt("", "LET", "X$CCC=2") + stmt("", "GENERATE", "1,0,,1") + stmt("", "IF", "X$AAA<>1,DIFF") +
      stmt("", "IF", "X$BBB<=2,LEONE") + stmt("", "IF", "X$CCC<=2,LETWO") + stmt("", "TERMINATE", "1") +
      stmt("DIFF", "TERMINATE", "1") + stmt("LEONE", "TERMINATE", "1") + stmt("LETWO", "TERMINATE", "1") +
      stmt("", "START", "1") + stmt("", "END"));
  EXPECT_EQ(total(6), 0);  // 1.000001 equals 1
  EXPECT_EQ(total(7), 0);  // 2.000001 is above 2
  EXPECT_EQ(total(8), 1);  // 2 is not
}

// TANK holds 2. Transactions at 0..4 wait while it is full; AD set WAITQ.
std::string tank_model() {
  return stmt("", "SIMULATE") + stmt("TANK", "CAPACITY", "2") + stmt("", "GENERATE", "1,0,0,5") +
         stmt("", "WAITIF", "TANK=F,WAITQ") + stmt("", "ENTER", "TANK") + stmt("", "ADVANCE", "10") +
         stmt("", "LEAVE", "TANK") + stmt("", "TERMINATE", "1") + stmt("", "START", "5") + stmt("", "END");
}

TEST_F(ConditionRun, AFreedUnitReleasesOneWaiterWhoReleasesTheNext) {
  // 0 and 1 pass at once (zero-time stays in WAITQ); 2, 3, 4 wait. At 10
  // one unit frees: 2 is released, passes and releases 3, which finds
  // the tank full again and waits on; 3 passes at 11, 4 at 20.
  run(tank_model());
  EXPECT_EQ(clock_line(), " Clock         30.00");
  EXPECT_EQ(total(2), 5);
  EXPECT_EQ(current(2), 0);
  // Waits 8, 8 and 16: 32 over 5 entries, 2 of them zero.
  EXPECT_EQ(queue_line("WAITQ"), " WAITQ           3          1.07         5           2       40.00");
}

TEST_F(ConditionRun, AWaiterIsCountedInTheBlockBeforeItsWaitif) {
  // The run ends at 10 with 2 released but not yet moved, 3 and 4 waiting:
  // all three still count in the GENERATE block.
  run(tank_model().replace(tank_model().find("START     5"), 11, "START     1"));
  EXPECT_EQ(current(1), 3);
  EXPECT_EQ(total(2), 2);
  EXPECT_EQ(current(2), 0);
}

// Transactions of priority p wait for PUMP and check their priority when
// they have passed; a GENERATE of priority `highest` sets the highest
// priority in use (below it the retry mark is small, else large).
struct PriorityCase {
  std::string priority;
  std::string highest;
};

std::string priority_model(const PriorityCase& c) {
  return stmt("", "SIMULATE") + stmt("", "GENERATE", "1,0,0,2," + c.priority) + stmt("", "WAITIF", "PUMP=U") +
         stmt("", "IF", "PR<>" + c.priority + ",BAD") + stmt("", "SEIZE", "PUMP") + stmt("", "ADVANCE", "10") +
         stmt("", "RELEASE", "PUMP") + stmt("", "TERMINATE", "1") + stmt("BAD", "TERMINATE", "1") +
         stmt("", "GENERATE", "1000,0,1000,1," + c.highest) + stmt("", "TERMINATE", "0") + stmt("", "START", "2") +
         stmt("", "END");
}

class RetryMark : public ConditionRun, public ::testing::WithParamInterface<PriorityCase> {};

TEST_P(RetryMark, APassingWaiterHasItsPriorityBack) {
  run(priority_model(GetParam()));
  EXPECT_EQ(clock_line(), " Clock         20.00");
  EXPECT_EQ(total(3), 2);
  EXPECT_EQ(total(8), 0);  // BAD
}

INSTANTIATE_TEST_SUITE_P(Marks, RetryMark,
                         ::testing::Values(PriorityCase{"5", "5"},     // large mark
                                           PriorityCase{"5", "9"},     // small mark
                                           PriorityCase{"-5", "-5"})); // large mark, nothing above 0

// One server BUSY at a time: each transaction waits while BUSY holds one.
std::string serial_model(const std::string& bound) {
  return stmt("", "SIMULATE") + stmt("", "GENERATE", "1,0,0,5") + stmt("", "WAITIF", "Q$BUSY>" + bound) +
         stmt("", "ARRIVE", "BUSY") + stmt("", "ADVANCE", "10") + stmt("", "DEPART", "BUSY") +
         stmt("", "TERMINATE", "1") + stmt("", "GENERATE", "3,0,1,4") + stmt("", "WAITIF", "Q$OTHER>" + bound) +
         stmt("", "ARRIVE", "OTHER") + stmt("", "ADVANCE", "4") + stmt("", "DEPART", "OTHER") +
         stmt("", "TERMINATE", "1") + stmt("", "START", "9") + stmt("", "END");
}

TEST_F(ConditionRun, AComparingWaiterPassesWhenTheEventBeforeFreedItsServer) {
  run(serial_model("0"));
  // BUSY serves back to back: 0-10, 10-20, ..., 40-50.
  EXPECT_EQ(clock_line(), " Clock         50.00");
  EXPECT_EQ(queue_line("BUSY"), " BUSY            1          1.00         5           0        0.00");
  EXPECT_EQ(total(2), 5);
  EXPECT_EQ(total(8), 4);
}

TEST_F(ConditionRun, WaitersTestedOneByOneGoAsWaitersTestedTogether) {
  // P1 is 0: the same bound, read from each waiter. A second engine runs
  // it, as a second process would.
  run(serial_model("0"));
  const std::string blocks = read_file("M.BLK"), queues = read_file("M.QUE");
  write_file("M.TXT", serial_model("P1"));
  auto other = std::make_unique<Engine>();
  install_engine_hooks(*other);
  std::istringstream in;
  std::ostringstream out;
  other->ch.attach_console(&in, &out);
  ASSERT_EQ(run_engine(*other), 0);
  EXPECT_EQ(read_file("M.BLK"), blocks);
  EXPECT_EQ(read_file("M.QUE"), queues);
}

TEST_F(ConditionRun, AStaggeringWaitifSendsItsTransactionBackOnce) {
  // WAITIF C1<0 always passes; with C operand 1 it first sends the
  // transaction back to the ADVANCE 0 before it, which returns it at the
  // same clock, and its priority is 0 again when it passes.
  run(stmt("", "SIMULATE") + stmt("", "GENERATE", "1,0,,3") + stmt("", "ADVANCE", "0") + stmt("", "WAITIF", "C1<0,1") +
      stmt("", "IF", "PR<>0,BAD") + stmt("", "TERMINATE", "1") + stmt("BAD", "TERMINATE", "1") + stmt("", "START", "3") +
      stmt("", "END"));
  EXPECT_EQ(total(2), 6);
  EXPECT_EQ(total(3), 6);
  EXPECT_EQ(total(5), 3);
  EXPECT_EQ(total(6), 0);
}

TEST_F(ConditionRun, AParameterThatNamesNoStationEndsTheRun) {
  run(stmt("", "SIMULATE") + stmt("", "GENERATE", "1,0,,1") + stmt("", "WAITIF", "P1=U") + stmt("", "TERMINATE", "1") +
      stmt("", "START", "1") + stmt("", "END"));
  const auto err = lines("M.ERR");
  ASSERT_FALSE(err.empty());
  EXPECT_EQ(err[0], " Illegal value in parameter  1");
}

}  // namespace
}  // namespace kelvo
