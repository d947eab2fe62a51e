// Java runtime discovery, the registry file, the class path and the
// expansion of references in the options.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include "core/class_path.h"
#include "core/jvm_discovery.h"
#include "core/jvm_start.h"
#include "core/launcher_state.h"
#include "core/messages.h"
#include "platform/platform.h"
#include "test_support.h"

namespace {

namespace fs = launcher_test::fs;
using launcher_test::ReadFile;
using launcher_test::WriteFile;

class Discovery : public ::testing::Test {
 protected:
  void SetUp() override {
    srvlaunch::ResetLauncherState();
    srvlaunch::config.jni_version_text = "0x00010006";
    root_ = scratch_.Path();
    ::setenv("SRVLAUNCH_SIM_ROOT", root_.c_str(), 1);
    ::setenv("SRVLAUNCH_MESSAGE_LOG", (root_ / "messages.log").c_str(), 1);
    srvlaunch::LoadMessageTable();
    old_dir_ = fs::current_path();
  }
  void TearDown() override {
    fs::current_path(old_dir_);
    ::unsetenv("SRVLAUNCH_SIM_ROOT");
    ::unsetenv("SRVLAUNCH_MESSAGE_LOG");
  }
  std::string Lib(const std::string& name) {
    const fs::path p = root_ / name;
    WriteFile(p, "library");
    return p.string();
  }
  void Registry(const std::string& text) { WriteFile(root_ / "registry.txt", text); }

  launcher_test::ScratchDir scratch_;
  fs::path root_;
  fs::path old_dir_;
};

const std::string kJre = "Software\\JavaSoft\\Java Runtime Environment";

TEST_F(Discovery, RegistryFileReadsTextValuesOnly) {
  Registry(kJre + "\\1.6\tRuntimeLib\tREG_SZ\t/a/b\n" + kJre + "\\1.6\tCount\tREG_DWORD\t7\n" +
           "Software\\Empty\n");
  std::string v;
  EXPECT_EQ(platform::ReadRegistryString("software\\javasoft\\java runtime environment\\1.6", "runtimelib", v, 259), 0);
  EXPECT_EQ(v, "/a/b");
  EXPECT_EQ(platform::ReadRegistryString(kJre + "\\1.6", "Count", v, 259), 1);
  EXPECT_EQ(platform::ReadRegistryString(kJre + "\\1.6", "Missing", v, 259), 1);
  EXPECT_EQ(platform::ReadRegistryString("Software\\Empty", "x", v, 259), 1);
  EXPECT_EQ(platform::ReadRegistryString("Software\\None", "x", v, 259), -1);
  EXPECT_EQ(platform::ReadRegistryString(kJre + "\\1.6", "RuntimeLib", v, 2), 0);
  EXPECT_EQ(v, "/a");
}

TEST_F(Discovery, RegistryFileEnumeratesSubKeysInOrder) {
  Registry(kJre + "\\1.7\tJavaHome\tREG_SZ\tx\n" + kJre + "\\1.5\\Deeper\tA\tREG_SZ\ty\n" + kJre +
           "\\1.6\n" + "SOFTWARE\\JAVASOFT\\JAVA RUNTIME ENVIRONMENT\\1.5\tB\tREG_SZ\tz\n");
  std::vector<std::string> names;
  ASSERT_TRUE(platform::RegistrySubKeys(kJre, names));
  EXPECT_EQ(names, (std::vector<std::string>{"1.5", "1.6", "1.7"}));
  EXPECT_FALSE(platform::RegistrySubKeys("Software\\None", names));
}

TEST_F(Discovery, VersionTestComparesMajorAndMinorSeparately) {
  const std::string lib = Lib("libjvm.so");
  Registry(kJre + "\\1.5\tRuntimeLib\tREG_SZ\t" + lib + "\n" + kJre + "\\1.6.0_03\tRuntimeLib\tREG_SZ\t" + lib +
           "\n" + kJre + "\\1.7\tRuntimeLib\tREG_SZ\t" + lib + "\n" + kJre + "\\2.0\tRuntimeLib\tREG_SZ\t" + lib +
           "\n" + kJre + "\\1\tRuntimeLib\tREG_SZ\t" + lib + "\n" + kJre + "\\x.y\tRuntimeLib\tREG_SZ\t" + lib + "\n");
  std::string out;
  EXPECT_FALSE(srvlaunch::CheckRegistryJavaVersion(kJre, "1.5", out, ""));
  EXPECT_TRUE(srvlaunch::CheckRegistryJavaVersion(kJre, "1.6.0_03", out, ""));
  EXPECT_EQ(out, lib);
  EXPECT_TRUE(srvlaunch::CheckRegistryJavaVersion(kJre, "1.7", out, ""));
  EXPECT_FALSE(srvlaunch::CheckRegistryJavaVersion(kJre, "2.0", out, ""));
  EXPECT_FALSE(srvlaunch::CheckRegistryJavaVersion(kJre, "1", out, ""));
  EXPECT_FALSE(srvlaunch::CheckRegistryJavaVersion(kJre, "", out, ""));
  EXPECT_FALSE(srvlaunch::CheckRegistryJavaVersion(kJre, "x.y", out, ""));
}

TEST_F(Discovery, MissingRuntimeLibFallsBackToJavaHomeCandidates) {
  Lib("home/jre/bin/client/jvm.dll");
  Lib("home/sub/lib.so");
  const std::string home = (root_ / "home").string();
  Registry(kJre + "\\1.6\tRuntimeLib\tREG_SZ\t/no/such\n" + kJre + "\\1.6\tJavaHome\tREG_SZ\t" + home + "\n");
  std::string out;
  srvlaunch::config.jvm_path_list = ";jre\\bin\\client\\jvm.dll;other";
  EXPECT_TRUE(srvlaunch::CheckRegistryJavaVersion(kJre, "1.6", out, "sub\\lib.so"));
  EXPECT_EQ(out, home + "\\jre\\bin\\client\\jvm.dll");
  EXPECT_EQ(srvlaunch::state.registry_java_home, home);
  srvlaunch::config.jvm_path_list = "missing\\jvm.dll";
  EXPECT_TRUE(srvlaunch::CheckRegistryJavaVersion(kJre, "1.6", out, "sub\\lib.so"));
  EXPECT_EQ(out, home + "\\sub\\lib.so");
  EXPECT_FALSE(srvlaunch::CheckRegistryJavaVersion(kJre, "1.6", out, ""));
  // Without JavaHome there are no candidates.
  Registry(kJre + "\\1.6\tRuntimeLib\tREG_SZ\t/no/such\n");
  srvlaunch::config.jvm_path_list = "x";
  EXPECT_FALSE(srvlaunch::CheckRegistryJavaVersion(kJre, "1.6", out, "y"));
}

TEST_F(Discovery, CurrentVersionFirstThenEveryVersionKey) {
  const std::string lib = Lib("libjvm.so");
  Registry(kJre + "\tCurrentVersion\tREG_SZ\t1.7\n" + kJre + "\\1.7\tJavaHome\tREG_SZ\t/nowhere\n" + kJre +
           "\\1.8\tRuntimeLib\tREG_SZ\t" + lib + "\n");
  std::string out;
  EXPECT_TRUE(srvlaunch::FindJvmInRegistry(out, 0, 3, ""));
  EXPECT_EQ(out, lib);
}

TEST_F(Discovery, SearchOrderSkipsUnknownMethodsAndShowsTheJavaHomeCandidate) {
  Lib("jdk/lib/server/libjvm.so");
  ::setenv("JAVA_HOME", ("\"" + (root_ / "jdk").string() + "\"").c_str(), 1);
  srvlaunch::config.jvm_search_order = "9x5";
  std::string out;
  EXPECT_TRUE(srvlaunch::FindJvmLibrary(out));
  ::unsetenv("JAVA_HOME");
  EXPECT_EQ(platform::NativePath(out), (root_ / "jdk/lib/server/libjvm.so").string());
  EXPECT_EQ(ReadFile(root_ / "messages.log"), "Information: " + (root_ / "jdk/lib/server/libjvm.so").string() + "\n");
}

TEST_F(Discovery, ConfiguredListTakesTheFirstPresentEntry) {
  const std::string lib = Lib("b.so");
  srvlaunch::config.jvm_path_list = ";/no/a.so;;" + lib + ";" + Lib("c.so");
  srvlaunch::config.jvm_search_order = "0";
  std::string out;
  EXPECT_TRUE(srvlaunch::FindJvmLibrary(out));
  EXPECT_EQ(out, lib);
  srvlaunch::config.jvm_path_list = "/no/a.so;" + root_.string();  // a directory is no library
  EXPECT_FALSE(srvlaunch::FindJvmLibrary(out));
}

TEST_F(Discovery, PathGetsTheLibraryDirectory) {
  EXPECT_EQ(srvlaunch::ExtendedPathValue("/bin", "/jdk/lib/server/libjvm.so"), "/bin:/jdk/lib/server:");
  EXPECT_EQ(srvlaunch::ExtendedPathValue("/bin:", "\\jdk\\lib\\libjvm.so"), "/bin:/jdk/lib:");
  EXPECT_EQ(srvlaunch::ExtendedPathValue("", "libjvm.so"), "");
  EXPECT_EQ(srvlaunch::ExtendedPathValue("", "/libjvm.so"), "");
}

TEST_F(Discovery, ReferencesExpandFromTheEnvironmentAndTheRegistryHome) {
  ::setenv("SRVLAUNCH_T1", "\"quoted value\"", 1);
  ::setenv("JAVA_HOME", "/from/environment", 1);
  srvlaunch::state.registry_java_home = "/from/registry";
  EXPECT_EQ(srvlaunch::ExpandEnvironmentReferences("-Da=%SRVLAUNCH_T1% -Dh=%JAVA_HOME%\\bin"),
            "-Da=quoted value -Dh=/from/registry\\bin");
  EXPECT_EQ(srvlaunch::ExpandEnvironmentReferences("x%SRVLAUNCH_UNSET_VAR%y"), "xy");
  EXPECT_EQ(srvlaunch::ExpandEnvironmentReferences("100% sure"), "100 sure");
  EXPECT_EQ(srvlaunch::ExpandEnvironmentReferences("%%"), "");
  srvlaunch::state.registry_java_home.clear();
  EXPECT_EQ(srvlaunch::ExpandEnvironmentReferences("[%JAVA_HOME%]"), "[]");
  ::unsetenv("SRVLAUNCH_T1");
  ::unsetenv("JAVA_HOME");
}

TEST_F(Discovery, ClassPathDirectoriesAddTheirArchives) {
  fs::current_path(root_);
  WriteFile(root_ / "lib" / "a.jar", "");
  WriteFile(root_ / "lib" / "sub" / "b.ZIP", "");
  WriteFile(root_ / "lib" / "c.txt", "");
  WriteFile(root_ / "top.Jar", "");
  fs::create_directory_symlink(root_ / "lib", root_ / "lib" / "loop");
  srvlaunch::config.class_path = "lib;;%X%\\y.jar;missing.jar;.";
  srvlaunch::config.jvm_options = "-Xmx1m";
  ASSERT_TRUE(srvlaunch::BuildClassPathOption());
  EXPECT_EQ(srvlaunch::config.jvm_options,
            "-Xmx1m \"-Djava.class.path=lib:lib/a.jar:lib/sub/b.ZIP:/y.jar:missing.jar:.:./top.Jar\"");
  // An empty class path adds no option.
  srvlaunch::config.class_path.clear();
  srvlaunch::config.jvm_options = "-Xmx1m";
  ASSERT_TRUE(srvlaunch::BuildClassPathOption());
  EXPECT_EQ(srvlaunch::config.jvm_options, "-Xmx1m");
}

TEST_F(Discovery, OptionsStartWithTheHooksAndKeepQuotedBlanks) {
  srvlaunch::config.jvm_options = "-Xmx1m \"-Dname=a b\" \"-Djava.class.path=x:y\"";
  EXPECT_EQ(srvlaunch::JvmOptionStrings(),
            (std::vector<std::string>{"vfprintf", "abort", "exit", "-Xmx1m", "-Dname=a b",
                                      "-Djava.class.path=x:y"}));
}

TEST_F(Discovery, WorkingDirectoryOrStartupDirectory) {
  fs::create_directories(root_ / "work");
  fs::create_directories(root_ / "start");
  srvlaunch::config.working_dir = (root_ / "work").string();
  srvlaunch::state.startup_dir = (root_ / "start").string();
  srvlaunch::config.use_startup_dir = true;
  EXPECT_TRUE(srvlaunch::ChangeToWorkingDirectory(false));
  EXPECT_EQ(fs::current_path(), root_ / "start");
  EXPECT_TRUE(srvlaunch::ChangeToWorkingDirectory(true));
  EXPECT_EQ(fs::current_path(), root_ / "work");
  srvlaunch::config.working_dir.clear();
  srvlaunch::config.use_startup_dir = false;
  fs::current_path(root_);
  EXPECT_TRUE(srvlaunch::ChangeToWorkingDirectory(true));
  EXPECT_EQ(fs::current_path(), root_);
  srvlaunch::config.working_dir = "missing";
  EXPECT_FALSE(srvlaunch::ChangeToWorkingDirectory(true));
  EXPECT_EQ(ReadFile(root_ / "messages.log"),
            "Error: Error accessing file/directory: missing\n\nReason: No such file or directory\n");
}

TEST_F(Discovery, HookTextKeepsLineFeedsHere) {
  EXPECT_EQ(srvlaunch::HookOutputText("a\nb\n", 4), "a\nb\n");
}

}  // namespace
