// The file operations the replacement program is built from. Each returns 0 on success or the
// errno value of the failed call, so a caller can name the error; ErrorText turns it into text.
#pragma once

#include <string>

namespace platform {

// rename(2): atomically puts from in place of to when both are files in one folder.
int RenameFile(const std::string& from, const std::string& to);
// A second name for a file (hard link); fails when to exists.
int LinkFile(const std::string& existing, const std::string& to);
// Copies the bytes and the mode; to is created or truncated.
int CopyFile(const std::string& from, const std::string& to);
int RemoveFile(const std::string& path);

// The permission bits (07777) of path.
int GetFileMode(const std::string& path, unsigned& mode);
int SetFileMode(const std::string& path, unsigned mode);

bool PathExists(const std::string& path);
bool IsDirectory(const std::string& path);

// Up to count bytes from the start of the file; empty when it cannot be read.
std::string ReadFileStart(const std::string& path, size_t count);
// The whole file, or nothing when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& bytes);
// Creates or truncates path and writes bytes.
int WriteWholeFile(const std::string& path, const std::string& bytes);

// fsync(2) on a folder, so renames inside it survive a crash.
int SyncDirectory(const std::string& directory);

// strerror for the value returned above.
std::string ErrorText(int error);

} // namespace platform
