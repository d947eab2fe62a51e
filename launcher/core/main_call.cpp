// The main class call, the system properties and the shutdown.
#include "main_call.h"

#include "jvm_start.h"
#include "launcher_state.h"
#include "messages.h"
#include "output_tail.h"
#include "platform/platform.h"
#include "text/command_line.h"

namespace srvlaunch {

namespace {

constexpr const char* kMainMethodText = "main(java/lang/String[])";

// Deletes a local reference when it goes out of scope.
class LocalRef {
 public:
  LocalRef(JNIEnv* env, jobject ref) : env_(env), ref_(ref) {}
  ~LocalRef() {
    if (ref_ != nullptr) env_->DeleteLocalRef(ref_);
  }
  LocalRef(const LocalRef&) = delete;
  LocalRef& operator=(const LocalRef&) = delete;
  // Hands the reference to the caller, who deletes it.
  jobject Release() {
    jobject ref = ref_;
    ref_ = nullptr;
    return ref;
  }

 private:
  JNIEnv* env_;
  jobject ref_;
};

// Prints and clears a pending exception; true when there was one.
bool CheckJavaException(JNIEnv* env) {
  if (!env->ExceptionCheck()) return false;
  env->ExceptionDescribe();
  env->ExceptionClear();
  return true;
}

// A Java string of a text in the system's 8-bit code page; null on failure.
jstring NewJavaString(JNIEnv* env, const std::string& text) {
  std::u16string wide;
  if (!platform::ToUtf16(text, wide)) return nullptr;
  jstring s = env->NewString(reinterpret_cast<const jchar*>(wide.data()), static_cast<jsize>(wide.size()));
  if (CheckJavaException(env)) return nullptr;
  return s;
}

// java/lang/System, or null after the report.
jclass FindSystemClass(JNIEnv* env) {
  jclass system = env->FindClass("java/lang/System");
  if (CheckJavaException(env) || system == nullptr) {
    ShowErrorMessage(MessageText(kMsgLocateClass), {"java/lang/System"});
    return nullptr;
  }
  return system;
}

bool SetJavaSystemProperty(JNIEnv* env, const std::string& name, const std::string& value) {
  jstring jname = NewJavaString(env, name);
  LocalRef name_ref(env, jname);
  jstring jvalue = jname != nullptr ? NewJavaString(env, value) : nullptr;
  LocalRef value_ref(env, jvalue);
  if (jname == nullptr || jvalue == nullptr) {
    ShowErrorMessage(MessageText(kMsgInstantiate), {"java/lang/String"});
    return false;
  }
  jclass system = FindSystemClass(env);
  LocalRef system_ref(env, system);
  if (system == nullptr) return false;
  jmethodID set = env->GetStaticMethodID(system, "setProperty",
                                         "(Ljava/lang/String;Ljava/lang/String;)Ljava/lang/String;");
  if (CheckJavaException(env) || set == nullptr) {
    ShowErrorMessage(MessageText(kMsgLocateMethod), {"setProperty"});
    return false;
  }
  jobject old = env->CallStaticObjectMethod(system, set, jname, jvalue);
  LocalRef old_ref(env, old);
  if (CheckJavaException(env)) {
    ShowErrorMessage(MessageText(kMsgInvokeMethod), {"setProperty"});
    return false;
  }
  return true;
}

// A new PrintStream on a new FileOutputStream (not appending) of the path.
jobject CreateJavaPrintStream(JNIEnv* env, const std::string& path) {
  jstring jpath = NewJavaString(env, platform::NativePath(path));
  LocalRef path_ref(env, jpath);
  if (jpath == nullptr) {
    ShowErrorMessage(MessageText(kMsgInstantiate), {"java/lang/String"});
    return nullptr;
  }
  jclass file_class = env->FindClass("java/io/FileOutputStream");
  LocalRef file_class_ref(env, file_class);
  if (CheckJavaException(env) || file_class == nullptr) {
    ShowErrorMessage(MessageText(kMsgLocateClass), {"java/io/FileOutputStream"});
    return nullptr;
  }
  jmethodID file_init = env->GetMethodID(file_class, "<init>", "(Ljava/lang/String;Z)V");
  if (CheckJavaException(env) || file_init == nullptr) {
    ShowErrorMessage(MessageText(kMsgLocateMethod), {"java/io/FileOutputStream(String, boolean)"});
    return nullptr;
  }
  jobject file = env->NewObject(file_class, file_init, jpath, JNI_FALSE);
  LocalRef file_ref(env, file);
  if (CheckJavaException(env) || file == nullptr) {
    ShowErrorMessage(MessageText(kMsgInstantiate), {"java/io/FileOutputStream"});
    return nullptr;
  }
  jclass print_class = env->FindClass("java/io/PrintStream");
  LocalRef print_class_ref(env, print_class);
  if (CheckJavaException(env) || print_class == nullptr) {
    ShowErrorMessage(MessageText(kMsgLocateClass), {"java/io/PrintStream"});
    return nullptr;
  }
  jmethodID print_init = env->GetMethodID(print_class, "<init>", "(Ljava/io/OutputStream;)V");
  if (CheckJavaException(env) || print_init == nullptr) {
    ShowErrorMessage(MessageText(kMsgLocateMethod), {"java/io/PrintStream(java/io/OutputStream)"});
    return nullptr;
  }
  jobject stream = env->NewObject(print_class, print_init, file);
  if (CheckJavaException(env) || stream == nullptr) {
    ShowErrorMessage(MessageText(kMsgInstantiate), {"java/io/PrintStream"});
    return nullptr;
  }
  return stream;
}

bool SetJavaStandardStream(JNIEnv* env, jclass system, jobject stream, const char* method) {
  jmethodID set = env->GetStaticMethodID(system, method, "(Ljava/io/PrintStream;)V");
  if (CheckJavaException(env) || set == nullptr) {
    ShowErrorMessage(MessageText(kMsgLocateMethod), {method});
    return false;
  }
  env->CallStaticVoidMethod(system, set, stream);
  if (CheckJavaException(env)) {
    ShowErrorMessage(MessageText(kMsgInvokeMethod), {method});
    return false;
  }
  return true;
}

// Redirects System.out and System.err; a null path leaves that stream alone.
bool RedirectStandardStreams(JNIEnv* env, const std::string* out_path, const char* out_method,
                             const std::string* err_path, const char* err_method) {
  jclass system = FindSystemClass(env);
  LocalRef system_ref(env, system);
  if (system == nullptr) return false;
  jobject out_stream = nullptr;
  if (out_path != nullptr) {
    out_stream = CreateJavaPrintStream(env, *out_path);
    if (out_stream == nullptr) return false;
  }
  LocalRef out_ref(env, out_stream);
  if (out_stream != nullptr && !SetJavaStandardStream(env, system, out_stream, out_method)) return false;
  if (err_path != nullptr) {
    // Equal paths share one stream, so the two never overwrite each other.
    jobject err_stream = (out_stream != nullptr && *err_path == *out_path)
                             ? env->NewLocalRef(out_stream)
                             : CreateJavaPrintStream(env, *err_path);
    if (err_stream == nullptr) return false;
    LocalRef err_ref(env, err_stream);
    if (!SetJavaStandardStream(env, system, err_stream, err_method)) return false;
  }
  return true;
}

// The streams of mode 2 go through the launcher's pipe (on Windows 9x onto
// the hidden console), which the reader thread copies into the tail. A pipe
// that cannot be made, or streams that cannot be redirected to it, leave
// the Java output where it is.
bool SetUpOutputPipe(JNIEnv* env) {
  LauncherConfig& c = config;
  if (c.stdout_mode != kOutputToPipe && c.stderr_mode != kOutputToPipe) return true;
  std::string target = platform::kConsoleOutName;
  if (!state.windows_9x) {
    if (!platform::CreateOutputPipe(target)) {
      c.stdout_mode = kOutputUnchanged;
      c.stderr_mode = kOutputUnchanged;
      return true;
    }
    state.output_pipe_open = true;
  }
  state.error_messages_enabled = false;
  const bool redirected = RedirectStandardStreams(env, c.stdout_mode == kOutputToPipe ? &target : nullptr, "setOut",
                                                  c.stderr_mode == kOutputToPipe ? &target : nullptr, "setErr");
  if (!redirected) {
    if (state.output_pipe_open.exchange(false)) platform::CloseOutputPipe();
    c.stdout_mode = kOutputUnchanged;
    c.stderr_mode = kOutputUnchanged;
  }
  state.error_messages_enabled = true;
  if (!state.windows_9x && (c.stdout_mode == kOutputToPipe || c.stderr_mode == kOutputToPipe)) {
    if (!StartPipeReader()) {
      ShowErrorWithReason(kRC000015);
      return false;
    }
  }
  return true;
}

// Where the Java standard streams go: the launcher's console when it is
// shown, the configured files (mode 1), the launcher's pipe (mode 2).
bool RedirectJavaOutput(JNIEnv* env) {
  const LauncherConfig& c = config;
  if (state.service_mode || state.windows_9x) platform::InstallConsoleCtrlHandler();
  if (c.stdout_mode == kOutputUnchanged && c.stderr_mode == kOutputUnchanged && c.show_console) {
    const std::string console = platform::kConsoleOutName;
    if (!RedirectStandardStreams(env, &console, "setOut", &console, "setErr")) return false;
  }
  if (c.stdout_mode == kOutputToFile || c.stderr_mode == kOutputToFile) {
    if (!RedirectStandardStreams(env, c.stdout_mode == kOutputToFile ? &c.stdout_file : nullptr, "setOut",
                                 c.stderr_mode == kOutputToFile ? &c.stderr_file : nullptr, "setErr")) {
      return false;
    }
  }
  return SetUpOutputPipe(env);
}

// The launcher's system properties: its directories, the special folders
// and, in service mode, the service's name, description and start type.
bool SetLauncherProperties(JNIEnv* env) {
  std::string dir;
  if (!platform::CurrentDirectory(dir)) {
    ShowErrorWithReason(MessageText(kMsgAccessError), {"CURRENT_DIR"});
    return false;
  }
  if (!SetJavaSystemProperty(env, "user.dir", dir)) return false;
  std::string exe;
  if (!platform::ExePath(exe)) {
    ShowErrorWithReason(MessageText(kMsgAccessError), {"CURRENT_EXE"});
    return false;
  }
  if (!SetJavaSystemProperty(env, "wendle.exe.path", exe)) return false;
  if (platform::SpecialFoldersAvailable()) {
    const struct {
      int csidl;
      const char* name;
    } folders[] = {{platform::kFolderAppData, "wendle.csidl.appdata"},
                   {platform::kFolderLocalAppData, "wendle.csidl.local.appdata"},
                   {platform::kFolderPersonal, "wendle.csidl.personal"}};
    for (const auto& f : folders) {
      std::string path;
      if (platform::SpecialFolder(f.csidl, path) && !SetJavaSystemProperty(env, f.name, path)) {
        return false;
      }
    }
  }
  if (state.service_mode) {
    if (!SetJavaSystemProperty(env, "wendle.service.name", config.service_name) ||
        !SetJavaSystemProperty(env, "wendle.service.description", config.service_description) ||
        !SetJavaSystemProperty(env, "wendle.service.starttype", config.demand_start ? "0" : "1")) {
      return false;
    }
  }
  return true;
}

// The invocation interface of the loaded library is still there.
bool JvmInterfacePresent() {
  if (platform::LibrarySymbol(state.jvm_library, "JNI_CreateJavaVM") == nullptr ||
      platform::LibrarySymbol(state.jvm_library, "JNI_GetDefaultJavaVMInitArgs") == nullptr) {
    ShowErrorMessage(MessageText(kMsgJniInterfaces), {config.jvm_path_list});
    return false;
  }
  return true;
}

// A Java String[] of the texts; null after the report.
jobjectArray NewArgumentArray(JNIEnv* env, const std::vector<std::string>& texts) {
  jclass string_class = env->FindClass("java/lang/String");
  LocalRef string_class_ref(env, string_class);
  jobjectArray array = nullptr;
  if (!CheckJavaException(env) && string_class != nullptr) {
    array = env->NewObjectArray(static_cast<jsize>(texts.size()), string_class, nullptr);
  }
  LocalRef array_ref(env, array);
  if (CheckJavaException(env) || array == nullptr) {
    ShowErrorMessage(MessageText(kMsgInstantiate), {"java/lang/String[]"});
    return nullptr;
  }
  for (std::size_t i = 0; i < texts.size(); ++i) {
    jstring s = NewJavaString(env, texts[i]);
    LocalRef s_ref(env, s);
    if (s == nullptr) {
      ShowErrorMessage(MessageText(kMsgInstantiate), {"java/lang/String"});
      return nullptr;
    }
    env->SetObjectArrayElement(array, static_cast<jsize>(i), s);
    if (CheckJavaException(env)) {
      ShowErrorMessage(MessageText(kMsgAssignString), {texts[i]});
      return nullptr;
    }
  }
  return static_cast<jobjectArray>(array_ref.Release());
}

// Attaches the calling thread under the stopper's name; its environment,
// or null after the report.
JNIEnv* AttachStopperThread() {
  static char thread_name[] = "Wendle stopper thread";
  JavaVMAttachArgs attach_args{};
  attach_args.version = config.jni_version;
  attach_args.name = thread_name;
  attach_args.group = nullptr;
  JNIEnv* env = nullptr;
  // A stop may come before the service's worker has made the machine.
  JavaVM* const vm = state.jvm;
  if (vm == nullptr || vm->AttachCurrentThread(reinterpret_cast<void**>(&env), &attach_args) != JNI_OK ||
      env == nullptr) {
    ShowErrorMessage(MessageText(kMsgAttachThread));
    return nullptr;
  }
  return env;
}

// The system properties, then main of the main class with its arguments.
bool CallMain(JNIEnv* env, const std::vector<std::string>& args) {
  if (!SetLauncherProperties(env)) return false;
  if (!JvmInterfacePresent()) return false;

  jclass main_class = env->FindClass(config.main_class.c_str());
  LocalRef class_ref(env, main_class);
  if (CheckJavaException(env) || main_class == nullptr) {
    ReportFatalError(MessageText(kMsgLocateClass), {config.main_class});
    return false;
  }
  jmethodID main = env->GetStaticMethodID(main_class, "main", "([Ljava/lang/String;)V");
  if (CheckJavaException(env) || main == nullptr) {
    ReportFatalError(MessageText(kMsgLocateMethod), {kMainMethodText});
    return false;
  }
  jobjectArray array = NewArgumentArray(env, BuildMainArguments(args));
  LocalRef array_ref(env, array);
  if (array == nullptr) return false;

  env->CallStaticVoidMethod(main_class, main, array);
  if (CheckJavaException(env)) {
    ReportFatalError(MessageText(kMsgInvokeMethod), {kMainMethodText});
    return false;
  }
  return true;
}

// System.exit(0); returns only when it could not be called.
bool CallJavaExit(JNIEnv* env) {
  jclass system = FindSystemClass(env);
  LocalRef system_ref(env, system);
  if (system == nullptr) return false;
  jmethodID exit = env->GetStaticMethodID(system, "exit", "(I)V");
  if (CheckJavaException(env) || exit == nullptr) {
    ShowErrorMessage(MessageText(kMsgLocateMethod), {"exit(int)"});
    return false;
  }
  env->CallStaticVoidMethod(system, exit, static_cast<jint>(0));
  if (CheckJavaException(env)) {
    ShowErrorMessage(MessageText(kMsgInvokeMethod), {"exit(int)"});
    return false;
  }
  return true;
}

}  // namespace

std::vector<std::string> BuildMainArguments(const std::vector<std::string>& args) {
  std::vector<std::string> all;
  if (!config.static_options.empty()) all = SplitCommandLine(config.static_options, false);
  if (args.empty()) {
    for (std::string& a : SplitCommandLine(config.app_options, false)) all.push_back(std::move(a));
  } else {
    all.insert(all.end(), args.begin(), args.end());
  }
  return all;
}

bool RunMainClass(const std::vector<std::string>& args, bool attach) {
  JNIEnv* env = nullptr;
  if (attach) {
    env = AttachStopperThread();
    if (env == nullptr) return false;
  } else {
    if (!config.working_dir_first && !ChangeToWorkingDirectory(false)) return false;
    env = state.main_env;
    if (env == nullptr || !RedirectJavaOutput(env)) return false;
  }
  // An attached thread is always detached again: the machine's shutdown
  // waits for every attached thread.
  const bool ok = CallMain(env, args);
  if (attach) state.jvm.load()->DetachCurrentThread();
  return ok;
}

bool CallSystemExit() {
  JNIEnv* env = AttachStopperThread();
  if (env == nullptr) return false;
  const bool ok = CallJavaExit(env);
  state.jvm.load()->DetachCurrentThread();
  return ok;
}

void StopJvm() {
  JavaVM* const vm = state.jvm;
  if (vm == nullptr) return;
  vm->DetachCurrentThread();
  vm->DestroyJavaVM();
  state.jvm = nullptr;
  state.main_env = nullptr;
}

}  // namespace srvlaunch
