// Finding the Java runtime library: the configured candidate list, the
// runtime and development-kit keys of the registry, and JAVA_HOME, tried
// in the configured search order; and the PATH extension for the found one.
#ifndef SRVLAUNCH_JVM_DISCOVERY_H
#define SRVLAUNCH_JVM_DISCOVERY_H

#include <string>

namespace srvlaunch {

// Walks jvm_search_order; true with the library path in `out`.
bool FindJvmLibrary(std::string& out);
// Keys first .. first+count-1: CurrentVersion, then every version sub-key.
// `jdk_sub_path` is the library below a JDK home (empty: none).
bool FindJvmInRegistry(std::string& out, int first, int count, const std::string& jdk_sub_path);
// One version key: the version test, then RuntimeLib, then the JavaHome
// candidates.
bool CheckRegistryJavaVersion(const std::string& key_path, const std::string& version,
                              std::string& out, const std::string& jdk_sub_path);

// The PATH value extended with the directory of the library path.
std::string ExtendedPathValue(const std::string& path_value, const std::string& library_path);

}  // namespace srvlaunch

#endif
