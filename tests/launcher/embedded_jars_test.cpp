// The embedded-jar resource: its check, the extraction with the class path
// it gives, and the removal of the extracted files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>

#include "core/embedded_jars.h"
#include "core/launcher_state.h"
#include "core/messages.h"
#include "platform/platform.h"
#include "test_support.h"

namespace {

namespace fs = launcher_test::fs;
using launcher_test::ReadFile;
using launcher_test::WriteFile;
using srvlaunch::EmbeddedJar;

// 2020-01-02 03:04:05 UTC and one 100 ns unit more, as FILETIMEs.
constexpr std::uint64_t kTimeA = 132224642450000000ULL;
constexpr std::uint64_t kTimeB = 132224642450000001ULL;

std::string TwoJars() {
  return srvlaunch::BuildEmbeddedJarResource({{"a.jar", kTimeA, "alpha"}, {"b.jar", kTimeB, "bravo!"}});
}

std::uint64_t FileTimeOnDisk(const fs::path& p) {
  std::uint64_t size = 0;
  std::uint64_t time = 0;
  EXPECT_EQ(platform::ReadFileStamp(p.string(), size, time), 1) << p;
  return time;
}

ino_t Inode(const fs::path& p) {
  struct stat st {};
  ::stat(p.c_str(), &st);
  return st.st_ino;
}

class EmbeddedJars : public ::testing::Test {
 protected:
  void SetUp() override {
    srvlaunch::ResetLauncherState();
    srvlaunch::LoadMessageTable();
    old_dir_ = fs::current_path();
    root_ = scratch_.Path();
    fs::create_directories(root_ / "exe" / "tmp");
    fs::current_path(root_ / "exe");
    ::setenv("TMPDIR", (root_ / "exe" / "tmp").c_str(), 1);
    ::setenv("SRVLAUNCH_MESSAGE_LOG", (root_ / "messages.log").c_str(), 1);
    srvlaunch::config.main_class_stored = "0A1B";
  }
  void TearDown() override {
    fs::current_path(old_dir_);
    ::unsetenv("SRVLAUNCH_MESSAGE_LOG");
    ::unsetenv("TMPDIR");
  }
  std::string Messages() const { return ReadFile(root_ / "messages.log"); }
  // Every file below the scratch root, as relative paths.
  std::vector<std::string> Tree() const {
    std::vector<std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(root_)) out.push_back(fs::relative(e.path(), root_));
    std::sort(out.begin(), out.end());
    return out;
  }

  launcher_test::ScratchDir scratch_;
  fs::path root_;
  fs::path old_dir_;
};

TEST(EmbeddedJarResource, FilesAreReadFieldByField) {
  const std::string resource = TwoJars();  // the files' data point into it
  std::vector<EmbeddedJar> files;
  ASSERT_TRUE(srvlaunch::ParseEmbeddedJars(resource, files));
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[0].name, "a.jar");
  EXPECT_EQ(files[0].file_time, kTimeA);
  EXPECT_EQ(files[0].data, "alpha");
  EXPECT_EQ(files[1].name, "b.jar");
  EXPECT_EQ(files[1].file_time, kTimeB);
  EXPECT_EQ(files[1].data, "bravo!");
  // One byte or less, and a count of 0, hold no files.
  for (const std::string& r : {std::string(), std::string("-"), std::string(4, '\0')}) {
    EXPECT_TRUE(srvlaunch::ParseEmbeddedJars(r, files));
    EXPECT_TRUE(files.empty());
  }
}

TEST(EmbeddedJarResource, MalformedResourcesAreRefused) {
  const std::string good = TwoJars();
  const std::string one = srvlaunch::BuildEmbeddedJarResource({{"a.jar", kTimeA, "alpha"}});
  std::string negative_size = one;
  negative_size[4 + 6 + 8 + 3] = '\x80';
  const std::string cases[] = {
      std::string("\xFF\xFF\xFF\xFF", 4),                      // negative count
      std::string("\x02\0\0", 3),                              // count cut short
      std::string("\x03\0\0\0", 4) + good.substr(4),           // one file more than there is
      std::string("\x01\0\0\0a.jar", 9),                       // name without its NUL
      good.substr(0, 4 + 6 + 5),                               // time cut short
      good.substr(0, good.size() - 1),                         // data past the end
      negative_size,                                           // negative size
      srvlaunch::BuildEmbeddedJarResource({{"../x.jar", kTimeA, "x"}}),
      srvlaunch::BuildEmbeddedJarResource({{"a/b.jar", kTimeA, "x"}}),
      srvlaunch::BuildEmbeddedJarResource({{"a\\b.jar", kTimeA, "x"}}),
      srvlaunch::BuildEmbeddedJarResource({{"c:x.jar", kTimeA, "x"}}),
      srvlaunch::BuildEmbeddedJarResource({{"x..jar", kTimeA, "x"}}),
      srvlaunch::BuildEmbeddedJarResource({{"", kTimeA, "x"}}),
      srvlaunch::BuildEmbeddedJarResource({{".", kTimeA, "x"}}),
  };
  for (const std::string& r : cases) {
    std::vector<EmbeddedJar> files;
    EXPECT_FALSE(srvlaunch::ParseEmbeddedJars(r, files)) << testing::PrintToString(r);
  }
}

TEST_F(EmbeddedJars, FilesGetTheirContentsAndTimesAndJoinTheClassPath) {
  const struct {
    std::string configured;
    std::string expected;
  } cases[] = {
      {"lib;", "lib;.\\a.jar;.\\b.jar"},
      {"lib", "lib;.\\a.jar;.\\b.jar"},
      {"", ".\\a.jar;.\\b.jar"},
  };
  for (const auto& k : cases) {
    srvlaunch::config.jar_dir_mode = srvlaunch::kJarDirCurrent;
    srvlaunch::config.class_path = k.configured;
    srvlaunch::ExtractJars(TwoJars());
    EXPECT_EQ(srvlaunch::config.class_path, k.expected);
  }
  EXPECT_EQ(ReadFile(root_ / "exe" / "a.jar"), "alpha");
  EXPECT_EQ(ReadFile(root_ / "exe" / "b.jar"), "bravo!");
  EXPECT_EQ(FileTimeOnDisk(root_ / "exe" / "a.jar"), kTimeA);
  EXPECT_EQ(FileTimeOnDisk(root_ / "exe" / "b.jar"), kTimeB);
  EXPECT_EQ(srvlaunch::state.extracted_jar_paths, (std::vector<std::string>{".\\a.jar", ".\\b.jar"}));
  EXPECT_EQ(srvlaunch::state.jar_base_dir, (root_ / "exe").string());
  EXPECT_EQ(Messages(), "");
}

TEST_F(EmbeddedJars, AnUnchangedFileIsLeftAndAChangedOneRewritten) {
  srvlaunch::config.jar_dir_mode = srvlaunch::kJarDirTemporary;
  srvlaunch::ExtractJars(TwoJars());
  const fs::path dir = root_ / "exe" / "tmp" / "0A1B";
  EXPECT_EQ(srvlaunch::config.class_path, dir.string() + "\\a.jar;" + dir.string() + "\\b.jar");
  const ino_t a = Inode(dir / "a.jar");
  const ino_t b = Inode(dir / "b.jar");
  WriteFile(dir / "b.jar", "BRAVO!");  // same size, another time
  srvlaunch::ExtractJars(TwoJars());
  EXPECT_EQ(Inode(dir / "a.jar"), a);
  EXPECT_NE(Inode(dir / "b.jar"), b);
  EXPECT_EQ(ReadFile(dir / "b.jar"), "bravo!");
  EXPECT_EQ(FileTimeOnDisk(dir / "b.jar"), kTimeB);
}

TEST_F(EmbeddedJars, AFileThatCannotBeReplacedIsSkipped) {
  srvlaunch::config.jar_dir_mode = srvlaunch::kJarDirSubDirectory;
  fs::create_directories(root_ / "exe" / "0A1B" / "a.jar");
  srvlaunch::ExtractJars(TwoJars());
  EXPECT_EQ(srvlaunch::config.class_path, ".\\0A1B\\a.jar;.\\0A1B\\b.jar");
  EXPECT_TRUE(fs::is_directory(root_ / "exe" / "0A1B" / "a.jar"));
  EXPECT_EQ(ReadFile(root_ / "exe" / "0A1B" / "b.jar"), "bravo!");
  EXPECT_EQ(Messages(), "");
}

TEST_F(EmbeddedJars, AFailedWriteStopsTheExtractionAndKeepsTheClassPath) {
  // The longest name a directory takes: the file is written beside it
  // under a longer name first, which cannot be made.
  const std::string long_name = std::string(251, 'b') + ".jar";
  const std::string long_resource =
      srvlaunch::BuildEmbeddedJarResource({{"a.jar", kTimeA, "alpha"}, {long_name, kTimeB, "x"}});
  const struct {
    std::string resource;
    std::string what;             // the file or directory named by the message
    std::string reason;
    std::size_t recorded;         // paths known to the clean-up copy
  } cases[] = {
      {TwoJars(), ".\\0A1B", "Not a directory", 0},                    // a file holds the directory's name
      {TwoJars(), ".\\0A1B", "Not a directory", 0},                    // a link holds it
      {long_resource, ".\\0A1B\\" + long_name, "File name too long", 2},  // the second file fails
  };
  for (std::size_t i = 0; i < 3; ++i) {
    fs::remove_all(root_ / "exe" / "0A1B");
    fs::remove(root_ / "messages.log");
    if (i == 0) WriteFile(root_ / "exe" / "0A1B", "a file where the directory would be");
    if (i == 1) {
      fs::create_directories(root_ / "elsewhere");
      fs::create_directory_symlink(root_ / "elsewhere", root_ / "exe" / "0A1B");
    }
    srvlaunch::ResetLauncherState();
    srvlaunch::LoadMessageTable();
    srvlaunch::config.main_class_stored = "0A1B";
    srvlaunch::config.jar_dir_mode = srvlaunch::kJarDirSubDirectory;
    srvlaunch::config.class_path = "lib";
    srvlaunch::ExtractJars(cases[i].resource);
    EXPECT_EQ(srvlaunch::config.class_path, "lib");
    EXPECT_EQ(Messages(), "Error: Error writing to file/directory: " + cases[i].what + "\n\nReason: " +
                              cases[i].reason + "\n");
    EXPECT_EQ(srvlaunch::state.extracted_jar_paths.size(), cases[i].recorded);
  }
  EXPECT_TRUE(fs::is_empty(root_ / "elsewhere"));
  EXPECT_EQ(ReadFile(root_ / "exe" / "0A1B" / "a.jar"), "alpha");
}

TEST_F(EmbeddedJars, AMalformedResourceWritesNothingAnywhere) {
  const std::string resources[] = {
      srvlaunch::BuildEmbeddedJarResource({{"a.jar", kTimeA, "alpha"}, {"../x.jar", kTimeA, "x"}}),
      TwoJars().substr(0, TwoJars().size() - 1),
  };
  for (const std::string& r : resources) {
    srvlaunch::config.jar_dir_mode = srvlaunch::kJarDirSubDirectory;
    srvlaunch::config.class_path = "lib";
    srvlaunch::ExtractJars(r);
    srvlaunch::RemoveJarFiles(r, ".\\0A1B");
    EXPECT_EQ(srvlaunch::config.class_path, "lib");
    EXPECT_TRUE(srvlaunch::state.extracted_jar_paths.empty());
    EXPECT_EQ(Tree(), (std::vector<std::string>{"exe", "exe/tmp", "messages.log"}));
  }
  EXPECT_EQ(Messages(), "Error: Internal error RC000007\nError: Internal error RC000007\n");
}

TEST_F(EmbeddedJars, RemovalDeletesTheNamedFilesAndAnEmptyDirectory) {
  srvlaunch::config.jar_dir_mode = srvlaunch::kJarDirSubDirectory;
  srvlaunch::ExtractJars(TwoJars());
  WriteFile(root_ / "exe" / "0A1B" / "keep.txt", "not ours");
  srvlaunch::RemoveJarFiles(TwoJars(), ".\\0A1B");
  EXPECT_EQ(Tree(), (std::vector<std::string>{"exe", "exe/0A1B", "exe/0A1B/keep.txt", "exe/tmp"}));
  fs::remove(root_ / "exe" / "0A1B" / "keep.txt");
  srvlaunch::ExtractJars(TwoJars());
  srvlaunch::RemoveJarFiles(TwoJars(), ".\\0A1B");
  EXPECT_EQ(Tree(), (std::vector<std::string>{"exe", "exe/tmp"}));
}

}  // namespace
