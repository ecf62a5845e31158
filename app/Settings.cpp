#include "app/Settings.h"

#include <vector>

#include "base/Format.h"
#include "platform/FileSystem.h"
#include "platform/ProfileFile.h"

namespace {

const char kHistorySection[] = "dbstr";
const char kHistoryKey[] = "dbstr";
const char kOptionSection[] = "Option";
const char kSaveSection[] = "Save";
const char kUtf8Name[] = "UTF-8";
const char kGb18030Name[] = "GB18030";

std::string WithSlash(std::string directory) {
    if (!directory.empty() && directory.back() != '/') directory += '/';
    return directory;
}

// The settings may live in a folder of their own that does not exist yet. When it cannot
// be made, the write that follows reports the path.
void PrepareFolder(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0) platform::CreateDirectories(path.substr(0, slash));
}

} // namespace

std::string ChooseSettingsPath(const std::string& exeDir, const std::string& configHome) {
    // An unknown program folder must not turn into the current folder.
    std::string besideProgram = WithSlash(exeDir) + "config.ini";
    if (!exeDir.empty() &&
        (platform::DirectoryWritable(exeDir) || platform::FileExists(besideProgram)))
        return besideProgram;
    return WithSlash(configHome) + "quorvel/config.ini";
}

std::string DefaultSettingsPath() {
    return ChooseSettingsPath(platform::ExecutableDirectory(), platform::ConfigHome());
}

int LoadHistory(const std::string& path, TStrings& list) {
    // The key names only keep the entries apart; the value may hold "=" itself.
    for (const std::string& entry : platform::ReadProfileSection(path, kHistorySection)) {
        size_t equals = entry.find('=');
        list.Add(equals == std::string::npos ? entry : entry.substr(equals + 1));
    }
    return list.Count() > 0 ? 0 : -1;
}

void WriteHistory(const std::string& path, const std::string& connectedText,
                  const TStrings& historyList) {
    PrepareFolder(path);
    platform::EraseProfileSection(path, kHistorySection);
    platform::WriteProfileString(path, kHistorySection, kHistoryKey, connectedText);
    std::vector<std::string> written{connectedText};
    for (int i = 0; i < historyList.Count(); ++i) {
        std::string text = historyList.Get(i);
        bool known = false;
        for (const std::string& done : written)
            if (platform::ProfileSameText(done, text)) {
                known = true;
                break;
            }
        if (known) continue;
        written.push_back(text);
        platform::WriteProfileString(path, kHistorySection, kHistoryKey + std::to_string(i), text);
    }
}

TOptions LoadOptions(const std::string& path) {
    TOptions defaults;
    TOptions options;
    options.Top = platform::ReadProfileString(path, kOptionSection, "top", defaults.Top);
    // Decimal, or hexadecimal after "0x"; the "$" prefix StrToIntDef also knows is no
    // integer in this file.
    std::string dbType = platform::ReadProfileString(path, kOptionSection, "dbtype", "");
    options.DbType = StartsText("$", dbType) ? 0 : StrToIntDef(dbType, 0);
    options.NotNullFields =
        platform::ReadProfileString(path, kOptionSection, "notNullFields", defaults.NotNullFields);
    return options;
}

void SaveOptions(const std::string& path, const std::string& top, int dbTypeIndex,
                 const std::string& notNull) {
    PrepareFolder(path);
    platform::WriteProfileString(path, kOptionSection, "top", Trim(top));
    platform::WriteProfileString(path, kOptionSection, "dbtype", std::to_string(dbTypeIndex));
    platform::WriteProfileString(path, kOptionSection, "notNullFields", Trim(notNull));
}

TSaveDefaults LoadSaveDefaults(const std::string& path) {
    TSaveDefaults defaults;
    defaults.Folder = platform::ReadProfileString(path, kSaveSection, "folder", "");
    std::string encoding = platform::ReadProfileString(path, kSaveSection, "encoding", "");
    if (platform::ProfileSameText(encoding, kUtf8Name)) defaults.Encoding = TScriptEncoding::Utf8;
    return defaults;
}

void StoreSaveDefaults(const std::string& path, const TSaveDefaults& defaults) {
    PrepareFolder(path);
    platform::WriteProfileString(path, kSaveSection, "folder", defaults.Folder);
    platform::WriteProfileString(path, kSaveSection, "encoding",
                                 defaults.Encoding == TScriptEncoding::Utf8 ? kUtf8Name
                                                                            : kGb18030Name);
}
