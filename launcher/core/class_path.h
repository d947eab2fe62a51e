// The class path of the virtual machine: the configured ';' list with every
// archive found in its directories, made into the "-Djava.class.path"
// option, and the expansion of %NAME% references in the options.
#ifndef SRVLAUNCH_CLASS_PATH_H
#define SRVLAUNCH_CLASS_PATH_H

#include <string>
#include <string_view>

namespace srvlaunch {

// 0 when the entry holds '%'; -1 when nothing of that name exists; 1 for a
// directory; 0 for a file.
int ClassPathEntryKind(const std::string& entry);

// Appends "dir\name;" to `text` for every .jar or .zip file in `dir` and,
// recursively, its sub-directories (symbolic links to directories are not
// followed). An archive already on the list is not added again. False
// (after the report) when a directory cannot be listed.
bool ExpandClassPathDirectory(std::string& text, std::string dir);

// Appends the class-path option to JvmOptions and expands the references
// in them; false when a class-path directory cannot be listed.
bool BuildClassPathOption();

// Replaces each %NAME%: JAVA_HOME by RegistryJavaHome, any other name by the
// environment variable (one leading and one trailing '"' removed; nothing
// when unset). A '%' without a partner is dropped.
std::string ExpandEnvironmentReferences(std::string_view text);

}  // namespace srvlaunch

#endif
