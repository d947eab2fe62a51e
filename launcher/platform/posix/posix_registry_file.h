// What the POSIX service manager needs of the registry file beyond the
// common platform interface: values of any type and the removal of a key.
#ifndef SRVLAUNCH_POSIX_REGISTRY_FILE_H
#define SRVLAUNCH_POSIX_REGISTRY_FILE_H

#include <string>

namespace platform {

// Sets value `name` of an existing key to `data` (the type a word such as
// REG_SZ, REG_EXPAND_SZ, REG_DWORD with decimal data, REG_MULTI_SZ with the
// texts separated by NULs): 0 on success, 1 when it cannot be written, -1
// when the key does not exist.
int WriteRegistryValue(const std::string& key, const std::string& name, const std::string& type,
                       const std::string& data);
// Removes a key with its values and sub-keys; false when it does not exist
// or the file cannot be written.
bool DeleteRegistryTree(const std::string& key);

}  // namespace platform

#endif
