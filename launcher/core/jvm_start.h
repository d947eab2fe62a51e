// Starting the Java virtual machine inside the launcher's process: the
// console set-up, the working directory, the runtime search, loading of the
// library and creation of the machine with the configured options, the
// class path and the launcher's output, abort and exit hooks.
#ifndef SRVLAUNCH_JVM_START_H
#define SRVLAUNCH_JVM_START_H

#include <jni.h>

#include <cstddef>
#include <string>
#include <vector>

namespace srvlaunch {

// The JNI version of the virtual machine's initialisation arguments.
constexpr jint kJvmInitVersion = 0x00010002;

// True when the virtual machine exists; on false the user has been told why.
bool StartJvm();
// Changes to the start-up directory (without force, when use_startup_dir)
// or to working_dir; nothing to do when that is empty.
bool ChangeToWorkingDirectory(bool force);
// The option strings handed to the virtual machine: the three hooks come
// first, so that the machine's own start-up errors reach the output tail,
// then every configured option.
std::vector<std::string> JvmOptionStrings();

// The text that the output hook hands to the tail: line feeds become
// carriage return and line feed where the platform writes them so.
std::string HookOutputText(const char* text, std::size_t length);

}  // namespace srvlaunch

#endif
