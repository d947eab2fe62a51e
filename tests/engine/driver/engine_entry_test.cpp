#include "driver/engine_entry.h"

#include "../engine_fixture.h"

namespace kelvo {
namespace {

using EngineEntry = testing::EngineTest;

TEST_F(EngineEntry, EveryEndReturnsZeroAndClosesTheFiles) {
  write_file("zwxyq.jav", "MOD1.TXT\n      0\n");
  write_file("MOD1.TXT", "       END\n");
  EXPECT_EQ(run_engine(e()), 0);
  // The ERR file is complete on disk once the engine has returned.
  EXPECT_EQ(read_file("MOD1.ERR"), " Illegal time in ZWXYQ.JAV" + std::string(24, ' ') + "\n");
  EXPECT_FALSE(e().ch.is_open(e().ctl.unit_base + 24));
}

TEST_F(EngineEntry, ConsoleEndOfInputEndsTheEngine) {
  console_input("");
  EXPECT_EQ(run_engine(e()), 0);
  EXPECT_NE(console_output().find(" What is the name of the KELVO program file"), std::string::npos);
}

TEST_F(EngineEntry, ParsePassUnderTheFrontEndReadsTheCommandFileOnce) {
  write_file("newparse.zwx", "");
  write_file("zwxyq.jav", "M.TXT\n     60\n");
  write_file("M.TXT", "       SIMULATE\n       END\n");
  EXPECT_EQ(run_engine(e()), 0);
  EXPECT_TRUE(e().ctl.java_cmd_read);
  EXPECT_EQ(e().ctl.run_time_limit, 60);
  EXPECT_TRUE(e().ctl.parse_end_flag);
  EXPECT_TRUE(io::Channels::exists("parsefile"));
  EXPECT_TRUE(io::Channels::exists("mainfile"));
  EXPECT_TRUE(io::Channels::exists("M.LAY"));
}

TEST_F(EngineEntry, ParsePassWithAMissingModelStopsUnderTheFrontEnd) {
  write_file("newparse.zwx", "");
  write_file("zwxyq.jav", "GONE.TXT\n     60\n");
  EXPECT_EQ(run_engine(e()), 0);
  EXPECT_EQ(console_output(), " File does not exist\n");
  EXPECT_FALSE(io::Channels::exists("GONE.TXT"));
}

}  // namespace
}  // namespace kelvo
