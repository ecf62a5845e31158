// Small file-system services: where the program lives, where settings may go, folders.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// The folder of the running executable with a trailing "/"; empty when it cannot be found.
std::string ExecutableDirectory();
// The running executable's full path; empty when it cannot be found.
std::string ExecutablePath();

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

// The size of a file; -1 when there is none.
int64_t FileSize(const std::string& path);

// Sets a file's modification time (seconds since 1970, UTC); the access time stays.
bool SetFileModificationTime(const std::string& path, int64_t unixSeconds);

// A new folder in parent named prefix + six random characters, for us alone (mode 0700), with
// a trailing "/"; empty when it cannot be created.
std::string CreatePrivateDirectory(const std::string& parent, const std::string& prefix);
// True when path is a real folder (not a link) owned by us that nobody else may enter.
bool IsOwnPrivateDirectory(const std::string& path);
// The names in a folder (without "." and ".."); empty when it cannot be read.
std::vector<std::string> DirectoryEntries(const std::string& directory);
// Removes a folder and everything in it, never following links; false when anything stays.
bool RemoveDirectoryTree(const std::string& path);

// Creates path, which must not exist yet (a link there counts as existing), with the given
// mode, writes bytes and syncs them to disk; false on any failure.
bool WriteNewFile(const std::string& path, const std::string& bytes, unsigned mode);

} // namespace platform
