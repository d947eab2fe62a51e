// The call of the server's main class inside the virtual machine: the
// redirection of the Java standard streams to files, the console or the
// launcher's pipe, the launcher's system properties, the argument array and
// the call itself; the Java exit call and the shutdown of the machine; and
// the small JNI helpers they use.
#ifndef SRVLAUNCH_MAIN_CALL_H
#define SRVLAUNCH_MAIN_CALL_H

#include <jni.h>

#include <string>
#include <vector>

namespace srvlaunch {

// The name under which a thread attaches to the virtual machine.
inline constexpr const char* kStopperThreadName = "Wendle stopper thread";

// Calls main of MainClass with StaticOptions followed by `args` (or by
// AppOptions when `args` is empty). With `attach` the calling thread is
// attached for the call and no redirection or directory change is done.
bool RunMainClass(const std::vector<std::string>& args, bool attach);
// The arguments that main receives.
std::vector<std::string> BuildMainArguments(const std::vector<std::string>& args);
// Calls java.lang.System.exit(0) on an attached thread.
bool CallSystemExit();
// Detaches the current thread and destroys the virtual machine, which waits
// for the other non-daemon Java threads. The library stays loaded: the
// machine's own threads may still run in it.
void StopJvm();

// Prints and clears a pending exception; true when there was one.
bool CheckJavaException(JNIEnv* env);
// A Java string of a text in the system's 8-bit code page; null on failure.
jstring NewJavaString(JNIEnv* env, const std::string& text);
bool SetJavaSystemProperty(JNIEnv* env, const std::string& name, const std::string& value);
// Redirects System.out and System.err; a null path leaves that stream alone.
bool RedirectStandardStreams(JNIEnv* env, const std::string* out_path, const char* out_method,
                             const std::string* err_path, const char* err_method);
// A new PrintStream on a new FileOutputStream (not appending) of the path.
jobject CreateJavaPrintStream(JNIEnv* env, const std::string& path);
bool SetJavaStandardStream(JNIEnv* env, jclass system, jobject stream, const char* method);

}  // namespace srvlaunch

#endif
