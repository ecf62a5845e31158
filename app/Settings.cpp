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

namespace {

bool Listed(const std::vector<std::string>& texts, const std::string& text) {
    for (const std::string& listed : texts)
        if (platform::ProfileSameText(listed, text)) return true;
    return false;
}

// The entries of history in order, each once (ignoring letter case), at most the limit.
std::vector<std::string> DistinctEntries(const TStrings& history) {
    std::vector<std::string> distinct;
    for (int i = 0; i < history.Count() && static_cast<int>(distinct.size()) < kHistoryLimit; ++i) {
        std::string text = history.Get(i);
        if (!Listed(distinct, text)) distinct.push_back(std::move(text));
    }
    return distinct;
}

} // namespace

void AddToHistory(TStrings& history, const std::string& connectedText) {
    history.Insert(0, connectedText);
    std::vector<std::string> distinct = DistinctEntries(history);
    history.Clear();
    for (const std::string& text : distinct)
        history.Add(text);
}

void WriteHistory(const std::string& path, const TStrings& history) {
    PrepareFolder(path);
    platform::EraseProfileSection(path, kHistorySection);
    std::vector<std::string> distinct = DistinctEntries(history);
    for (size_t i = 0; i < distinct.size(); ++i)
        platform::WriteProfileString(path, kHistorySection,
                                     i == 0 ? kHistoryKey : kHistoryKey + std::to_string(i),
                                     distinct[i]);
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
