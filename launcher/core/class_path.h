// The class path of the virtual machine: the configured ';' list with every
// archive found in its directories, made into the "-Djava.class.path"
// option, and the expansion of %NAME% references in the options.
#ifndef SRVLAUNCH_CLASS_PATH_H
#define SRVLAUNCH_CLASS_PATH_H

#include <string>
#include <string_view>

namespace srvlaunch {

// Appends the class-path option to jvm_options and expands the references
// in them. A directory on the class path brings every .jar or .zip file in
// it and, recursively, its sub-directories (symbolic links to directories
// are not followed; an archive already on the list is not added again).
// False (after the report) when a class-path directory cannot be listed.
bool BuildClassPathOption();

// Replaces each %NAME%: JAVA_HOME by registry_java_home, any other name by the
// environment variable (one leading and one trailing '"' removed; nothing
// when unset). A '%' without a partner is dropped.
std::string ExpandEnvironmentReferences(std::string_view text);

}  // namespace srvlaunch

#endif
