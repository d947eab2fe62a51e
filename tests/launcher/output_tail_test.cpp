// The output tail and the splitting of pipe output into lines.
#include <gtest/gtest.h>

#include "core/launcher_state.h"
#include "core/output_tail.h"

namespace {

using srvlaunch::OutputTailText;
using srvlaunch::TakeOutputTail;
using srvlaunch::WriteLogOutput;

class OutputTail : public ::testing::Test {
 protected:
  void SetUp() override {
    srvlaunch::ResetLauncherState();
    TakeOutputTail();
  }
  static void Write(const std::string& s) { WriteLogOutput(s.data(), s.size()); }
};

TEST_F(OutputTail, TextIsAppended) {
  Write("one\n");
  Write("two\n");
  EXPECT_EQ(OutputTailText(), "one\ntwo\n");
  EXPECT_EQ(TakeOutputTail(), "one\ntwo\n");
  EXPECT_EQ(OutputTailText(), "");
}

TEST_F(OutputTail, OldestLinesAreDroppedUpToALineFeedAtOrAfterTheNewLength) {
  // 8000 characters: lines of 100 (99 characters and a line feed).
  std::string tail;
  for (int i = 0; i < 80; ++i) tail += std::string(99, static_cast<char>('A' + i % 26)) + "\n";
  Write(tail);
  const std::string line = std::string(499, 'n') + "\n";
  Write(line);
  // The first line feed at or after position 499 is at 499: five lines go.
  EXPECT_EQ(OutputTailText(), tail.substr(500) + line);
}

TEST_F(OutputTail, OneLongLineWithoutLineFeedIsDroppedWhole) {
  Write(std::string(8000, 'x'));
  Write(std::string(300, 'y'));
  EXPECT_EQ(OutputTailText(), std::string(300, 'y'));
}

TEST_F(OutputTail, TheTailIsFullAt8191Characters) {
  Write(std::string(8191, 'x'));
  EXPECT_EQ(OutputTailText().size(), 8191u);
  Write("z");
  EXPECT_EQ(OutputTailText(), "z");
}

TEST_F(OutputTail, StaleBytesBeyondTheFilledPartAreNeverUsed) {
  // Leave a line feed at position 8180 of the buffer, then empty the tail.
  Write(std::string(8180, 's') + "\n");
  TakeOutputTail();
  Write(std::string(100, 'a'));
  Write(std::string(8150, 'b'));
  EXPECT_EQ(OutputTailText(), std::string(8150, 'b'));
}

TEST_F(OutputTail, TextLongerThanTheTailKeepsItsEnd) {
  const std::string text = std::string(5000, 'a') + std::string(5000, 'b');
  Write(text);
  EXPECT_EQ(OutputTailText(), text.substr(text.size() - 8191));
}

class Splitter : public ::testing::Test {
 protected:
  void Feed(const std::string& s) {
    std::size_t done = 0;
    while (done < s.size()) {
      const std::size_t n = std::min(splitter_.FreeSize(), s.size() - done);
      std::copy(s.data() + done, s.data() + done + n, splitter_.FreeSpace());
      splitter_.Commit(n);
      done += n;
    }
  }
  std::vector<std::string> lines_;
  srvlaunch::PipeLineSplitter splitter_{[this](std::string_view l) { lines_.emplace_back(l); }};
};

TEST_F(Splitter, TwoLinesInOneReadAreTwoLines) {
  Feed("first\nsecond\n");
  EXPECT_EQ(lines_, (std::vector<std::string>{"first\n", "second\n"}));
  EXPECT_EQ(splitter_.HeldBytes(), 0u);
}

TEST_F(Splitter, LineAcrossReadsIsJoined) {
  Feed("par");
  EXPECT_TRUE(lines_.empty());
  EXPECT_EQ(splitter_.HeldBytes(), 3u);
  Feed("tial\nrest");
  EXPECT_EQ(lines_, (std::vector<std::string>{"partial\n"}));
  EXPECT_EQ(splitter_.HeldBytes(), 4u);
}

TEST_F(Splitter, FullBufferWithoutLineFeedIsPassedOn) {
  Feed(std::string(1024, 'x'));
  ASSERT_EQ(lines_.size(), 1u);
  EXPECT_EQ(lines_[0].size(), 1024u);
  EXPECT_EQ(splitter_.HeldBytes(), 0u);
}

}  // namespace
