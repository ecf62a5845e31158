// The settings file: the connection-string history and the options of the main window.
#pragma once

#include <string>

#include "app/CommandLine.h"
#include "base/Strings.h"

// The window's defaults, for its controls and for a settings file without them.
inline constexpr const char* kDefaultRowLimit = "100";
inline constexpr const char* kDefaultNotNullFields = "created_by";

// The options as the main window shows them. DbType is the stored index as it stands; a
// value other than 0 or 1 leaves the kind box without a selection.
struct TOptions {
    std::string Top = kDefaultRowLimit;
    int DbType = 0;
    std::string NotNullFields = kDefaultNotNullFields;
};

// "config.ini" in exeDir when that folder is writable or the file is already there;
// otherwise "quorvel/config.ini" under configHome. Both folders may lack the final "/".
std::string ChooseSettingsPath(const std::string& exeDir, const std::string& configHome);

// ChooseSettingsPath for the running executable and the user's configuration folder.
std::string DefaultSettingsPath();

// Appends the stored connection strings to list, most recent first, and returns the
// index to select: 0 when list is not empty, else -1.
int LoadHistory(const std::string& path, TStrings& list);

// The most strings the history keeps; the oldest fall off.
inline constexpr int kHistoryLimit = 20;

// The history after a successful connect: connectedText first, then the older entries that
// differ from every entry before them (ignoring letter case), at most kHistoryLimit.
void AddToHistory(TStrings& history, const std::string& connectedText);

// Replaces the stored history with history as it stands, most recent first: entry 0 under
// "dbstr", entry i under "dbstr<i>". A repeat (ignoring letter case) is left out and at
// most kHistoryLimit strings are stored.
void WriteHistory(const std::string& path, const TStrings& history);

TOptions LoadOptions(const std::string& path);

// top and notNull are stored without surrounding blanks; dbTypeIndex is -1 when the box
// has no selection.
void SaveOptions(const std::string& path, const std::string& top, int dbTypeIndex,
                 const std::string& notNull);

// The save dialog's last choice, kept in a section of its own so that the options keep their
// keys and order: the folder saved into (a file-system name, empty before the first save) and
// the encoding.
struct TSaveDefaults {
    std::string Folder;
    TScriptEncoding Encoding = TScriptEncoding::GB18030;
};

// An unknown encoding text reads as GB18030.
TSaveDefaults LoadSaveDefaults(const std::string& path);
void StoreSaveDefaults(const std::string& path, const TSaveDefaults& defaults);
