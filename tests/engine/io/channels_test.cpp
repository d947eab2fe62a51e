#include "io/channels.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;
using kelvo::io::Channels;
using kelvo::io::ReadStatus;

namespace {

class ChannelsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("kelvo_channels_" + std::to_string(::getpid()) + "_" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string path(const char* name) const { return (dir_ / name).string(); }
  fs::path dir_;
};

TEST_F(ChannelsTest, ReadStripsCarriageReturnAndTellsEndOfFileFromError) {
  { std::ofstream(path("m.txt"), std::ios::binary) << "one\r\ntwo\nlast"; }
  Channels ch;
  ASSERT_TRUE(ch.open_read(20, path("m.txt")));
  std::string line;
  EXPECT_EQ(ch.read_line(20, line), ReadStatus::ok);
  EXPECT_EQ(line, "one");
  EXPECT_EQ(ch.read_line(20, line), ReadStatus::ok);
  EXPECT_EQ(line, "two");
  EXPECT_EQ(ch.read_line(20, line), ReadStatus::ok);
  EXPECT_EQ(line, "last");
  EXPECT_EQ(ch.read_line(20, line), ReadStatus::end_of_file);
  EXPECT_EQ(ch.read_line(21, line), ReadStatus::error);  // not open
  EXPECT_EQ(ch.read_line(999, line), ReadStatus::error);  // no such channel
}

// The skip watch is called for the blocks a read passes over while it
// skips the rest of a long line (a sparse file: no line end), and not for
// short lines.
TEST_F(ChannelsTest, SkippingALongLineCallsTheWatch) {
  { std::ofstream(path("long.txt"), std::ios::binary) << "short\n"; }
  fs::resize_file(path("long.txt"), 1 << 22);
  Channels ch;
  int looks = 0;
  ch.watch_skipping([](void* n) { ++*static_cast<int*>(n); }, &looks);
  ASSERT_TRUE(ch.open_read(20, path("long.txt")));
  std::string line;
  EXPECT_EQ(ch.read_line(20, line), ReadStatus::ok);
  EXPECT_EQ(looks, 0);
  EXPECT_EQ(ch.read_line(20, line), ReadStatus::ok);
  EXPECT_EQ(line.size(), kelvo::io::k_max_line_keep);
  EXPECT_GT(looks, 100);
  EXPECT_EQ(ch.read_line(20, line), ReadStatus::end_of_file);
}

TEST_F(ChannelsTest, WriteToClosedChannelNeverCreatesAFile) {
  Channels ch;
  EXPECT_FALSE(ch.write(30, "text"));
  EXPECT_TRUE(fs::is_empty(dir_));
}

TEST_F(ChannelsTest, NewTruncatesAppendKeepsAndCloseDeleteRemoves) {
  Channels ch;
  ASSERT_TRUE(ch.open_new(40, path("r.txt")));
  ch.write(40, "first");
  ch.close(40);
  ASSERT_TRUE(ch.open_append(40, path("r.txt")));
  ch.write(40, kelvo::io::Rec().lit("second").br().lit("third"));
  ch.close(40);
  std::ifstream in(path("r.txt"));
  std::stringstream ss;
  ss << in.rdbuf();
  EXPECT_EQ(ss.str(), "first\nsecond\nthird\n");
  ASSERT_TRUE(ch.open_new(40, path("r.txt")));
  ch.close_delete(40);
  EXPECT_FALSE(Channels::exists(path("r.txt")));
  EXPECT_FALSE(ch.open_read(41, path("missing.txt")));
  EXPECT_FALSE(ch.open_read(41, dir_.string()));
}

// A file written again while its channel is still open holds only the
// second text, also when that is shorter; on another file the channel
// is opened anew.
TEST_F(ChannelsTest, ReopenNewOfTheOpenFileEmptiesIt) {
  Channels ch;
  ASSERT_TRUE(ch.reopen_new(40, path("s.txt")));
  ch.write(40, "a longer first text");
  ASSERT_TRUE(ch.reopen_new(40, path("s.txt")));
  ch.write(40, "second");
  ASSERT_TRUE(ch.reopen_new(40, path("t.txt")));
  ch.write(40, "third");
  ch.close(40);
  for (const auto& [name, text] : {std::pair{"s.txt", "second\n"}, std::pair{"t.txt", "third\n"}}) {
    std::ifstream in(path(name));
    std::stringstream ss;
    ss << in.rdbuf();
    EXPECT_EQ(ss.str(), text);
  }
}

TEST_F(ChannelsTest, ConsoleUsesAttachedStreams) {
  std::istringstream in("abc\r\n");
  std::ostringstream out;
  Channels ch;
  ch.attach_console(&in, &out);
  ch.write(6, " prompt");
  std::string line;
  EXPECT_EQ(ch.read_line(5, line), ReadStatus::ok);
  EXPECT_EQ(line, "abc");
  EXPECT_EQ(ch.read_line(5, line), ReadStatus::end_of_file);
  EXPECT_EQ(out.str(), " prompt\n");
}

}  // namespace
