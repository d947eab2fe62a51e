// Lost output is seen at the channel layer (a file that cannot be made, a
// full device), reported once per file, and reads keep bounded lines.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "io/channels.h"

namespace kelvo::io {
namespace {

class LostOutput : public ::testing::Test {
 protected:
  void SetUp() override { ch.attach_error_stream(&err); }
  std::ostringstream err;
  Channels ch;
};

TEST_F(LostOutput, AFileThatCannotBeMadeIsNamedOnceAndRemembered) {
  EXPECT_FALSE(ch.open_new(20, "no-such-dir/M.STA"));
  EXPECT_FALSE(ch.open_new(20, "no-such-dir/M.STA"));
  EXPECT_TRUE(ch.output_lost());
  EXPECT_EQ(err.str(), " Output lost: no-such-dir/M.STA: No such file or directory\n");
}

TEST_F(LostOutput, AFullDeviceIsSeenWhenTheFileIsClosed) {
  ASSERT_TRUE(ch.open_new(20, "/dev/full"));
  ch.write(20, "a report line");
  ch.close(20);
  EXPECT_TRUE(ch.output_lost());
  EXPECT_NE(err.str().find("/dev/full: No space left on device"), std::string::npos) << err.str();
}

TEST_F(LostOutput, WritesThatSucceedLoseNothing) {
  const std::string path = ::testing::TempDir() + "kelvo_written.txt";
  ASSERT_TRUE(ch.open_new(20, path));
  EXPECT_TRUE(ch.write(20, "line"));
  ch.close_all();
  EXPECT_FALSE(ch.output_lost());
  EXPECT_EQ(err.str(), "");
  std::filesystem::remove(path);
}

TEST_F(LostOutput, ReadsKeepBoundedLinesAndOnlyRegularFiles) {
  const std::string path = ::testing::TempDir() + "kelvo_long_line.txt";
  std::ofstream(path) << std::string(3 * k_max_line_keep, 'x') << "\nnext\n" << std::string(10, 'y');
  ASSERT_TRUE(ch.open_read(21, path));
  std::string line;
  ASSERT_EQ(ch.read_line(21, line), ReadStatus::ok);
  EXPECT_EQ(line, std::string(k_max_line_keep, 'x'));
  ASSERT_EQ(ch.read_line(21, line), ReadStatus::ok);
  EXPECT_EQ(line, "next");
  ASSERT_EQ(ch.read_line(21, line), ReadStatus::ok);  // a last line without its line end
  EXPECT_EQ(line, std::string(10, 'y'));
  EXPECT_EQ(ch.read_line(21, line), ReadStatus::end_of_file);
  std::filesystem::remove(path);
  EXPECT_FALSE(ch.open_read(22, "/dev/zero"));
  EXPECT_FALSE(ch.open_read(22, ::testing::TempDir()));
}

}  // namespace
}  // namespace kelvo::io
