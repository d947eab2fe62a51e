// The three entry points over the Linux process facility, called
// in-process through a fake JNIEnv (and so with the sanitizers in the
// sanitize build): the string and field handling, what start stores in
// m_nPID, that no call keeps a descriptor, how the command line and the
// program are taken, and that waitFor and destroy touch only this
// process's own un-reaped children. The child's session, priority and
// descriptors are checked through the real JVM (spawnlib_java_test.cpp).
#include <gtest/gtest.h>
#include <jni.h>
#include <limits.h>
#include <signal.h>
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
// thrown exception, and counts the JNI calls made after one that the JNI
// rules do not allow.
struct FakeJni {
  JNIEnv env;  // first member: the entry points get &env
  JNINativeInterface_ table;
  bool exception_thrown = false;
  int calls_after_exception = 0;
  std::vector<std::string> released;

  FakeJni() : env{}, table{} {
    table.GetObjectClass = [](JNIEnv* e, jobject obj) -> jclass {
      self(e).check_exception();
      return reinterpret_cast<jclass>(obj);
    };
    table.GetFieldID = [](JNIEnv* e, jclass cls, const char* name, const char* sig) -> jfieldID {
      self(e).check_exception();
      auto* obj = reinterpret_cast<FakeObject*>(cls);
      if (obj->has_field && std::string(name) == "m_nPID" && std::string(sig) == "I") {
        return reinterpret_cast<jfieldID>(&obj->pid);
      }
      self(e).exception_thrown = true;  // NoSuchFieldError
      return nullptr;
    };
    table.GetIntField = [](JNIEnv* e, jobject obj, jfieldID field) -> jint {
      self(e).check_exception();
      auto* o = reinterpret_cast<FakeObject*>(obj);
      EXPECT_EQ(reinterpret_cast<jint*>(field), &o->pid);
      ++o->reads;
      return o->pid;
    };
    table.SetIntField = [](JNIEnv* e, jobject obj, jfieldID field, jint value) {
      self(e).check_exception();
      auto* o = reinterpret_cast<FakeObject*>(obj);
      EXPECT_EQ(reinterpret_cast<jint*>(field), &o->pid);
      ++o->sets;
      o->pid = value;
    };
    table.GetStringUTFChars = [](JNIEnv* e, jstring str, jboolean* is_copy) -> const char* {
      self(e).check_exception();
      EXPECT_EQ(is_copy, nullptr);
      auto* s = reinterpret_cast<FakeString*>(str);
      if (s->unconvertible) {
        self(e).exception_thrown = true;  // OutOfMemoryError
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
  void check_exception() {
    if (exception_thrown) ++calls_after_exception;
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

// True when the process has ended (or is gone) within `ms` milliseconds,
// whether or not it is a child of this process.
bool ends_within(pid_t pid, int ms) {
  const fs::path stat = fs::path("/proc") / std::to_string(pid) / "stat";
  for (int waited = 0;; waited += 10) {
    std::ifstream in(stat);
    std::string text;
    if (!std::getline(in, text)) return true;
    const char state = text.substr(text.rfind(')') + 2, 1)[0];
    if (state == 'Z' || state == 'X') return true;
    if (waited >= ms) return false;
    usleep(10000);
  }
}

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
    EXPECT_EQ(jni.calls_after_exception, 0);
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
  EXPECT_TRUE(jni.exception_thrown) << "the command was not converted";
  EXPECT_EQ(good.gets, 0);
  EXPECT_EQ(obj.sets, 0);
  jni.exception_thrown = false;

  FakeString cmd{"sh -c \"echo ran > ran.txt\""};
  Java_TORNEL_server_NativeProcess_start(&jni.env, as_object(obj), as_string(cmd), as_string(bad));
  EXPECT_TRUE(jni.exception_thrown) << "the directory was not converted";
  EXPECT_EQ(cmd.gets, 1);
  EXPECT_EQ(cmd.releases, 1);
  EXPECT_EQ(obj.sets, 0);
  EXPECT_EQ(obj.pid, 77);
  jni.exception_thrown = false;
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
  jni.exception_thrown = false;  // the JVM throws NoSuchFieldError on return
  int status = 0;
  ASSERT_GT(waitpid(-1, &status, 0), 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(read_file(dir / "ran.txt"), "ran\n");
}

TEST_F(Spawnlib, WaitForAndDestroyReturnAtOnceWithoutTheField) {
  obj.has_field = false;
  obj.pid = getpid();
  wait_for();
  EXPECT_TRUE(jni.exception_thrown) << "waitFor leaves the NoSuchFieldError";
  jni.exception_thrown = false;
  destroy();
  EXPECT_TRUE(jni.exception_thrown) << "destroy leaves the NoSuchFieldError";
  jni.exception_thrown = false;
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
  // A running child shows what such an id would reach: waiting for -1 would
  // reap it, kill(-1) would end it (and kill(0) this test's process group).
  start_in_dir("sleep 30");
  const pid_t child = obj.pid;
  ASSERT_GT(child, 0);
  for (jint pid : {0, -1, INT_MIN}) {
    obj.pid = pid;
    wait_for();
    destroy();
    EXPECT_EQ(obj.pid, pid);
  }
  EXPECT_EQ(obj.reads, 6) << "every call reads m_nPID";
  EXPECT_FALSE(ends_within(child, 100));
  EXPECT_EQ(waitpid(child, nullptr, WNOHANG), 0) << "the child was reaped";
  obj.pid = child;
  destroy();
  EXPECT_TRUE(reaped(child));
}

TEST_F(Spawnlib, ProcessThatIsNotOurChildIsNeverWaitedOnOrKilled) {
  // The shell ends at once and leaves its sleep behind: a grandchild, which
  // is no child of this process. Nor is this process itself.
  start_in_dir("sh -c \"sleep 30 & echo $! > grandchild.txt\"");
  wait_for();
  const pid_t grandchild = std::stoi(read_file(dir / "grandchild.txt"));
  ASSERT_GT(grandchild, 0);
  for (const pid_t pid : {getpid(), grandchild}) {
    obj.pid = pid;
    wait_for();  // would never return
    destroy();   // would end the process
    EXPECT_FALSE(ends_within(pid, 100)) << pid;
  }
  EXPECT_EQ(obj.reads, 5) << "every call reads m_nPID";
  kill(grandchild, SIGKILL);
  EXPECT_TRUE(ends_within(grandchild, 5000));
}

TEST_F(Spawnlib, ChildReapedElsewhereIsNotWaitedOnAgain) {
  start_in_dir("true");
  const pid_t gone = obj.pid;
  ASSERT_GT(gone, 0);
  ASSERT_EQ(waitpid(gone, nullptr, 0), gone);
  // Another child runs meanwhile: a wait for any child would reap it, a
  // kill of the wrong process would end it.
  start_in_dir("sleep 30");
  const pid_t other = obj.pid;
  ASSERT_GT(other, 0);
  ASSERT_NE(other, gone);
  obj.pid = gone;
  wait_for();
  destroy();
  EXPECT_EQ(obj.pid, gone);
  EXPECT_EQ(obj.reads, 2) << "every call reads m_nPID";
  EXPECT_FALSE(ends_within(other, 100));
  EXPECT_EQ(waitpid(other, nullptr, WNOHANG), 0) << "the other child was reaped";
  obj.pid = other;
  destroy();
  EXPECT_TRUE(reaped(other));
}

}  // namespace
