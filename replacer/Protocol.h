// What quorvel and its replacement program agree on: the command line, the list of files of
// one upgrade, the private folder and the message left for the user.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace replacer {

// quorvel writes the replacement program and the list into a fresh private folder (mode 0700)
// in the temporary folder, named kFolderPrefix + six random characters, and starts
//   <folder>/kProgramName <program path> +<restart parameters><method digit> <folder>/kListName
// as four separate arguments (never through a shell). The method digit is '0' for
// self-upgrade, '1' for external setup.
inline constexpr std::string_view kFolderPrefix = "quorvel-upgrade-";
inline constexpr std::string_view kProgramName = "quorvel-replacer";
inline constexpr std::string_view kListName = "files.list";
// Written into the private folder when the replacement failed or gave up: one text for the
// user (code page). The program started afterwards shows it.
inline constexpr std::string_view kMessageName = "message.txt";
// The replacement program starts the program with this variable naming the private folder, so
// the restarted program can show a message left there and remove the folder.
inline constexpr const char* kFolderVariable = "QUORVEL_UPGRADE_DIR";
// Suffix of the downloaded files beside the program.
inline constexpr std::string_view kDownloadSuffix = ".uTMP";

enum class TUpgradeMethod { SelfUpgrade = 0, ExternalSetup = 1 };

// The files of one upgrade.
struct TReplacementList {
    long ProcessId = 0;             // the program that must end first
    std::vector<std::string> Files; // plain names of ".uTMP" files in the program's folder
};

// The list file's text: a first line "quorvel-replacement-list 1", a line "pid N", then one
// line "file NAME" per file. Names are plain names (no "/", no control characters).
std::string FormatReplacementList(const TReplacementList& list);
// Nothing when the text is not such a list.
std::optional<TReplacementList> ParseReplacementList(std::string_view text);

// A name the server gave that may be used as a file name in the program folder: not empty,
// no "/" or "\", not "." or "..", no control characters (bytes below 32 and 127).
bool IsPlainFileName(std::string_view name);

} // namespace replacer
