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

// Stores connectedText as the most recent string, followed by the entries of
// historyList that differ from every string stored before them (ignoring letter case).
// Entry i is stored under "dbstr<i>", so the numbers may have gaps.
void WriteHistory(const std::string& path, const std::string& connectedText,
                  const TStrings& historyList);

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
