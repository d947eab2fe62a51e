// Splitting of Windows-style command lines and locating the program.
#include "command_line.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

using spawnlib::resolve_program;
using spawnlib::split_command_line;
using Args = std::vector<std::string>;

TEST(SplitCommandLine, BlanksAndTabsSeparateArguments) {
  EXPECT_EQ(split_command_line("prog a\tb   c"), (Args{"prog", "a", "b", "c"}));
  EXPECT_EQ(split_command_line("  \t prog  a  "), (Args{"prog", "a"}));
}

TEST(SplitCommandLine, BlankLineGivesNoArguments) {
  EXPECT_TRUE(split_command_line("").empty());
  EXPECT_TRUE(split_command_line(" \t ").empty());
}

TEST(SplitCommandLine, QuotedProgramNameKeepsBlanksAndBackslashes) {
  EXPECT_EQ(split_command_line(R"("C:\Program Files\sim\kelvo.exe" x)"),
            (Args{R"(C:\Program Files\sim\kelvo.exe)", "x"}));
  // In the program name a backslash never escapes a quote.
  EXPECT_EQ(split_command_line(R"("a\"b c)"), (Args{R"(a\b)", "c"}));
  EXPECT_EQ(split_command_line(R"(pro"g r"am arg)"), (Args{"prog ram", "arg"}));
}

TEST(SplitCommandLine, QuotesGroupAndAreDropped) {
  EXPECT_EQ(split_command_line(R"(p "abc" d e)"), (Args{"p", "abc", "d", "e"}));
  EXPECT_EQ(split_command_line(R"(p d"e f"g h)"), (Args{"p", "de fg", "h"}));
  EXPECT_EQ(split_command_line(R"(p "" x)"), (Args{"p", "", "x"}));
  EXPECT_EQ(split_command_line(R"(p "a b)"), (Args{"p", "a b"}));
}

TEST(SplitCommandLine, BackslashesBeforeQuotes) {
  EXPECT_EQ(split_command_line(R"(p a\\\b)"), (Args{"p", R"(a\\\b)"}));
  EXPECT_EQ(split_command_line(R"(p a\\\"b c d)"), (Args{"p", R"(a\"b)", "c", "d"}));
  EXPECT_EQ(split_command_line(R"(p a\\\\"b c" d e)"), (Args{"p", R"(a\\b c)", "d", "e"}));
  EXPECT_EQ(split_command_line(R"(p \"x\")"), (Args{"p", R"("x")"}));
  EXPECT_EQ(split_command_line(R"(p "dir\\")"), (Args{"p", R"(dir\)"}));
  EXPECT_EQ(split_command_line(R"(p dir\)"), (Args{"p", R"(dir\)"}));
}

TEST(SplitCommandLine, DoubledQuoteInsideQuotesIsALiteralQuote) {
  EXPECT_EQ(split_command_line(R"(p a"b"" c d)"), (Args{"p", R"(ab" c d)"}));
  EXPECT_EQ(split_command_line(R"(p "x""y" z)"), (Args{"p", R"(x"y)", "z"}));
}

class ResolveProgram : public ::testing::Test {
 protected:
  std::set<std::string> files;
  std::string resolve(const std::string& prog, const char* path) {
    return resolve_program(prog, "/home/caller", path, [this](const std::string& f) {
      return files.count(std::filesystem::path(f).lexically_normal().string()) > 0;
    });
  }
};

TEST_F(ResolveProgram, PathWithSlashIsTakenFromTheCallersDirectory) {
  files = {"/home/caller/bin/tool", "/opt/tool"};
  EXPECT_EQ(resolve("bin/tool", "/usr/bin"), "/home/caller/bin/tool");
  EXPECT_EQ(resolve("./bin/tool", nullptr), "/home/caller/./bin/tool");
  EXPECT_EQ(resolve("/opt/tool", nullptr), "/opt/tool");
  EXPECT_EQ(resolve("bin/missing", "/usr/bin"), "");
  EXPECT_EQ(resolve("/opt/missing", "/usr/bin"), "");
}

TEST_F(ResolveProgram, BareNameIsLookedForInTheCallersDirectoryThenAlongPath) {
  files = {"/home/caller/tool", "/usr/bin/tool", "/usr/bin/sh", "/home/caller/rel/sh2"};
  EXPECT_EQ(resolve("tool", "/usr/bin"), "/home/caller/tool");
  EXPECT_EQ(resolve("sh", "/bin:/usr/bin"), "/usr/bin/sh");
  EXPECT_EQ(resolve("sh2", "/bin:rel"), "/home/caller/rel/sh2");
  EXPECT_EQ(resolve("nothing", "/bin:/usr/bin"), "");
  EXPECT_EQ(resolve("sh", nullptr), "");
  EXPECT_EQ(resolve("", "/usr/bin"), "");
}
