// Small file-system services: where the program lives, where settings may go, folders.
#pragma once

#include <string>

namespace platform {

// The folder of the running executable with a trailing "/"; empty when it cannot be found.
std::string ExecutableDirectory();

// True when new files can be created in the folder (it exists and we may write and enter it).
bool DirectoryWritable(const std::string& directory);

// True when path names something that is not a folder.
bool FileExists(const std::string& path);

// The user's configuration folder with a trailing "/": $XDG_CONFIG_HOME when it holds an
// absolute path, else the home folder's ".config".
std::string ConfigHome();

// $TMPDIR when it names an existing folder, else /tmp when that exists, with a trailing "/";
// empty when neither does.
std::string TemporaryDirectory();

// Creates the folder and any missing parents; false when it does not exist afterwards.
bool CreateDirectories(const std::string& directory);

} // namespace platform
