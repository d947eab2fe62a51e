// The three entry points over the Linux process facility, called
// in-process through a stand-in JNIEnv (and so with the sanitizers in the
// sanitize build): the string and field handling, what start stores in
// m_nPID, that no call keeps a descriptor, how the command line and the
// program are taken, and that waitFor and destroy touch only this
// process's own un-reaped children. The child's session, priority and
// descriptors are checked through the real JVM (spawnlib_java_test.cpp).
#include <gtest/gtest.h>
#include <jni.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

extern "C" {
void JNICALL Java_TORNEL_server_NativeProcess_start(JNIEnv* env, jobject self, jstring command, jstring directory);
void JNICALL Java_TORNEL_server_NativeProcess_waitFor(JNIEnv* env, jobject self);
void JNICALL Java_TORNEL_server_NativeProcess_destroy(JNIEnv* env, jobject self);
}

namespace {

// The Java object: an int field m_nPID, or no such field.
struct FakeObject {
  bool has_field = true;
  jint pid = 0;
  int sets = 0;
  int reads = 0;
};

struct FakeString {
  std::string text;
  bool unconvertible = false;  // GetStringUTFChars fails (out of memory)
  int gets = 0;
  int releases = 0;
};

// A JNIEnv whose functions act on FakeObject and FakeString. It records a
// pending exception, and counts JNI calls made while one is pending that
// the JNI rules do not allow.
struct FakeJni {
  JNIEnv env;  // first member: the entry points get &env
  JNINativeInterface_ table;
  bool pending = false;
  int calls_while_pending = 0;
  std::vector<std::string> released;

  FakeJni() : env{}, table{} {
    table.GetObjectClass = [](JNIEnv* e, jobject obj) -> jclass {
      self(e).check_pending();
      return reinterpret_cast<jclass>(obj);
    };
    table.GetFieldID = [](JNIEnv* e, jclass cls, const char* name, const char* sig) -> jfieldID {
      self(e).check_pending();
      auto* obj = reinterpret_cast<FakeObject*>(cls);
      if (obj->has_field && std::string(name) == "m_nPID" && std::string(sig) == "I") {
        return reinterpret_cast<jfieldID>(&obj->pid);
      }
      self(e).pending = true;  // NoSuchFieldError
      return nullptr;
    };
    table.GetIntField = [](JNIEnv* e, jobject obj, jfieldID field) -> jint {
      self(e).check_pending();
      auto* o = reinterpret_cast<FakeObject*>(obj);
      EXPECT_EQ(reinterpret_cast<jint*>(field), &o->pid);
      ++o->reads;
      return o->pid;
    };
    table.SetIntField = [](JNIEnv* e, jobject obj, jfieldID field, jint value) {
      self(e).check_pending();
      auto* o = reinterpret_cast<FakeObject*>(obj);
      EXPECT_EQ(reinterpret_cast<jint*>(field), &o->pid);
      ++o->sets;
      o->pid = value;
    };
    table.GetStringUTFChars = [](JNIEnv* e, jstring str, jboolean* is_copy) -> const char* {
      self(e).check_pending();
      EXPECT_EQ(is_copy, nullptr);
      auto* s = reinterpret_cast<FakeString*>(str);
      if (s->unconvertible) {
        self(e).pending = true;  // OutOfMemoryError
        return nullptr;
      }
      ++s->gets;
      return s->text.c_str();
    };
    table.ReleaseStringUTFChars = [](JNIEnv* e, jstring str, const char* chars) {
      auto* s = reinterpret_cast<FakeString*>(str);
      EXPECT_EQ(chars, s->text.c_str());
      ++s->releases;
      self(e).released.push_back(s->text);
    };
    env.functions = &table;
  }

  static FakeJni& self(JNIEnv* e) { return *reinterpret_cast<FakeJni*>(e); }
  void check_pending() {
    if (pending) ++calls_while_pending;
  }
};

jobject as_object(FakeObject& o) { return reinterpret_cast<jobject>(&o); }
jstring as_string(FakeString& s) { return reinterpret_cast<jstring>(&s); }

std::string read_file(const fs::path& p) {
  std::ifstream in(p);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// Number of descriptors open in this process.
size_t open_descriptors() {
  size_t n = 0;
  for (const auto& e : fs::directory_iterator("/proc/self/fd")) {
    (void)e;
    ++n;
  }
  return n;
}

// True when pid is no longer a child of this process (it was reaped).
bool reaped(pid_t pid) { return waitpid(pid, nullptr, WNOHANG) == -1 && errno == ECHILD; }

class Spawnlib : public ::testing::Test {
 protected:
  FakeJni jni;
  FakeObject obj;
  fs::path dir;

  void SetUp() override {
    std::string templ = (fs::temp_directory_path() / "spawnlib-unit-XXXXXX").string();
    ASSERT_NE(mkdtemp(templ.data()), nullptr);
    dir = fs::canonical(templ);
  }
  void TearDown() override {
    EXPECT_EQ(jni.calls_while_pending, 0);
    fs::remove_all(dir);
  }

  // Calls start with the given texts (nullptr for a null jstring) and
  // returns what it printed; both strings must have been released.
  std::string start(const char* command, const char* directory) {
    FakeString cmd{command ? command : ""};
    FakeString wd{directory ? directory : ""};
    testing::internal::CaptureStdout();
    Java_TORNEL_server_NativeProcess_start(&jni.env, as_object(obj), command ? as_string(cmd) : nullptr,
                                           directory ? as_string(wd) : nullptr);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(cmd.releases, cmd.gets);
    EXPECT_EQ(wd.releases, wd.gets);
    return out;
  }
  std::string start_in_dir(const std::string& command) { return start(command.c_str(), dir.c_str()); }
  void wait_for() { Java_TORNEL_server_NativeProcess_waitFor(&jni.env, as_object(obj)); }
  void destroy() { Java_TORNEL_server_NativeProcess_destroy(&jni.env, as_object(obj)); }
};

TEST_F(Spawnlib, StartRunsTheCommandInTheGivenDirectoryAndStoresTheChildsId) {
  const size_t before = open_descriptors();
  EXPECT_EQ(start_in_dir("sh -c \"pwd > where.txt\""), "");
  ASSERT_GT(obj.pid, 0);
  EXPECT_EQ(obj.sets, 1);
  EXPECT_EQ(open_descriptors(), before) << "start keeps a descriptor";
  const pid_t pid = obj.pid;
  wait_for();
  EXPECT_EQ(open_descriptors(), before) << "waitFor keeps a descriptor";
  EXPECT_TRUE(reaped(pid));
  EXPECT_EQ(read_file(dir / "where.txt"), dir.string() + "\n");
}

TEST_F(Spawnlib, ArgumentsAreSplitByWindowsRules) {
  start_in_dir(R"(sh -c "printf '%s\n' \"$0\" \"$1\" > args.txt" "a b" c\"d)");
  ASSERT_GT(obj.pid, 0);
  wait_for();
  EXPECT_EQ(read_file(dir / "args.txt"), "a b\nc\"d\n");
}

TEST_F(Spawnlib, RelativeProgramIsFoundFromTheCallersDirectoryNotTheChilds) {
  fs::create_directories(dir / "caller" / "bin");
  fs::create_directories(dir / "work");
  for (const char* name : {"bin/tool.sh", "tool2.sh"}) {
    const fs::path script = dir / "caller" / name;
    std::ofstream(script) << "#!/bin/sh\npwd > \"$1\"\n";
    fs::permissions(script, fs::perms::owner_all);
  }
  const fs::path old = fs::current_path();
  fs::current_path(dir / "caller");
  const std::string work = (dir / "work").string();
  EXPECT_EQ(start("bin/tool.sh out1.txt", work.c_str()), "");
  wait_for();
  EXPECT_EQ(start("tool2.sh out2.txt", work.c_str()), "");
  wait_for();
  fs::current_path(old);
  EXPECT_EQ(read_file(dir / "work" / "out1.txt"), work + "\n");
  EXPECT_EQ(read_file(dir / "work" / "out2.txt"), work + "\n");
}

TEST_F(Spawnlib, ProcessThatCannotBeCreatedLeavesZeroAndOneLine) {
  struct Case {
    const char* command;
    std::string directory;
  };
  const Case cases[] = {
      {"/nonexistent/program arg", dir.string()},
      {"no-such-program-anywhere", dir.string()},
      {"sh -c true", (dir / "missing").string()},
      {" \t ", dir.string()},
  };
  for (const Case& c : cases) {
    obj.pid = 4242;
    const std::string out = start(c.command, c.directory.c_str());
    EXPECT_EQ(obj.pid, 0) << c.command;
    EXPECT_EQ(out.rfind("Couldn't start the process", 0), 0u) << out;
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
  }
  obj.pid = 4242;
  EXPECT_EQ(start(nullptr, dir.c_str()), "Couldn't start the process: no command line\n");
  EXPECT_EQ(obj.pid, 0);
}

TEST_F(Spawnlib, UnconvertibleStringLeavesTheFieldAloneAndReleasesWhatWasConverted) {
  FakeString bad{"x", true};
  FakeString good{"sh -c true"};
  obj.pid = 77;
  Java_TORNEL_server_NativeProcess_start(&jni.env, as_object(obj), as_string(bad), as_string(good));
  EXPECT_EQ(good.gets, 0);
  EXPECT_EQ(obj.sets, 0);
  jni.pending = false;

  FakeString cmd{"sh -c \"echo ran > ran.txt\""};
  Java_TORNEL_server_NativeProcess_start(&jni.env, as_object(obj), as_string(cmd), as_string(bad));
  EXPECT_EQ(cmd.gets, 1);
  EXPECT_EQ(cmd.releases, 1);
  EXPECT_EQ(obj.sets, 0);
  EXPECT_EQ(obj.pid, 77);
  jni.pending = false;
  EXPECT_FALSE(fs::exists(dir / "ran.txt"));
}

TEST_F(Spawnlib, StringsAreReleasedCommandFirst) {
  start_in_dir("true");
  wait_for();
  EXPECT_EQ(jni.released, (std::vector<std::string>{"true", dir.string()}));
}

TEST_F(Spawnlib, ClassWithoutTheFieldPrintsTheLineAndStillStartsTheProcess) {
  obj.has_field = false;
  EXPECT_EQ(start_in_dir("sh -c \"echo ran > ran.txt\""), "Couldn't get the field ID for m_nPID\n");
  EXPECT_EQ(obj.sets, 0);
  jni.pending = false;  // the JVM throws NoSuchFieldError on return
  int status = 0;
  ASSERT_GT(waitpid(-1, &status, 0), 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(read_file(dir / "ran.txt"), "ran\n");
}

TEST_F(Spawnlib, WaitForAndDestroyReturnAtOnceWithoutTheField) {
  obj.has_field = false;
  obj.pid = getpid();
  wait_for();
  jni.pending = false;
  destroy();
  jni.pending = false;
  EXPECT_EQ(obj.reads, 0);
}

TEST_F(Spawnlib, DestroyEndsARunningChildAndReturnsAfterItIsGone) {
  start_in_dir("sleep 30");
  ASSERT_GT(obj.pid, 0);
  const pid_t pid = obj.pid;
  const size_t before = open_descriptors();
  destroy();
  EXPECT_EQ(open_descriptors(), before) << "destroy keeps a descriptor";
  EXPECT_TRUE(reaped(pid));
}

TEST_F(Spawnlib, NonPositiveIdsAreNeverWaitedOnOrKilled) {
  // kill(0) would hit this process group and kill(-1) every process.
  for (jint pid : {0, -1, INT_MIN}) {
    obj.pid = pid;
    wait_for();
    destroy();
  }
  SUCCEED();
}

TEST_F(Spawnlib, ProcessThatIsNotOurChildIsNeverWaitedOnOrKilled) {
  obj.pid = getpid();  // exists, but is not a child of this process
  wait_for();  // would never return
  destroy();   // would kill the test
  SUCCEED();
}

TEST_F(Spawnlib, ChildReapedElsewhereIsNotWaitedOnAgain) {
  start_in_dir("true");
  ASSERT_GT(obj.pid, 0);
  ASSERT_EQ(waitpid(obj.pid, nullptr, 0), obj.pid);
  wait_for();
  destroy();
  SUCCEED();
}

}  // namespace
