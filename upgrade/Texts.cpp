#include "upgrade/Texts.h"

#include <array>
#include <cstddef>
#include <cstdlib>
#include <iterator>

#include "base/Format.h"
#include "platform/CodePage.h"

namespace {

// The columns are UTF-8 here and converted to the code page when a language is chosen.
// English
constexpr std::string_view English[] = {
    "Application update wizard",
    "Downloading files...",
    "Upgrade completed!",
    "Current file",
    "All files",
    "Downloading file from",
    "File size: %.1f Kb",
    "Transfer rate: %.1f Kb/s",
    "Estimated time left: %d:%.2d:%.2d",
    "Downloading %d of %d",
    "The update of %s has been successfully completed.\r\rPress the OK button to restart program.",
    "Enter password",
    "User Name",
    "Password",
    "&Yes",
    "&No",
    "&OK",
    "&Cancel",
    "&Next >",
    "&Later",
    "Warning",
    "Error",
    "Preparing. . .",
    "A newer version of %s was released.\n%s\nDo you want to update your version with the latest "
    "one?",
    "Newer version not found. You actually are\rusing most recent version of this program.",
    "File which contains upgrade information was not found on developer's site.",
    "Host %s unreachable.\r\rPlease check your Internet connection and\rtry to upgrade this "
    "software again later.",
    "The update is not completed.\rWould you like to abort upgrading?",
    "File %s not found or inaccessible.\r\rTry to skip this file and continue upgrade?",
    "Access to remote file \"%s\" is password protected.\n\nPlease enter your username and "
    "password (received after registration) to continue software upgrade.",
    "Connection with remote server lost.\r\rPlease restore connection and try to\rupgrade this "
    "software again later.",
    "Version %s of this program is available.\r\rThis installation cannot update itself because "
    "its folder cannot be written. Please install the new version with your package manager or "
    "from the release page.",
    "The update could not be installed; the previous version has been kept.\r\r%s",
};
static_assert(std::size(English) == utTextCount);

// Simplified Chinese
constexpr std::string_view ChineseSimplified[] = {
    "软件升级",
    "文档下载中",
    "升级完成！",
    "当前的文档",
    "全部的文档",
    "文档下载源",
    "文档大小:%.1f Kb",
    "传输速率:%.1f Kb/s",
    "估计剩余时间: %d:%.2d:%.2d",
    "当前正在下载:%d of %d",
    "%s 已经升级完成，\r\r请按[确定]键重新启动程序",
    "请输入密码",
    "帐号",
    "密码",
    "是 (&Y)",
    "否 (&N)",
    "确定(&O)",
    "取消(&C)",
    "下一个>(&N)",
    "稍等一下(&L)",
    "警告",
    "错误",
    "准备中",
    "  %s已经有新版本推出，\n%s\n您要升级到新版本吗？",
    "没有发现新的版本，您目前已经是最新版本。",
    "在服务器中无法找到升级的相关信息。",
    "无法与服务器%s连接。\r\r请检查您的internet设定之后再进行升级操作。",
    "升级操作尚未完成，\r您确定要放弃升级吗？",
    "文档%s找不到或者发生错误，\r\r您要忽略这个文档并且继续升级操作吗？",
    "远端的文档\"%s\"被密码保护，\n\n请输入您的帐号及密码[注册用户]来继续进行升级操作。",
    "与远端服务器的连接中断，\r\r请重新连接后再进行升级操作。",
    "本程序已有新版本 "
    "%s。\r\r本程序所在的文件夹不可写，无法自动升级。请通过软件包管理器或发布页面安装新版本。",
    "升级未能完成，已保留原来的版本。\r\r%s",
};
static_assert(std::size(ChineseSimplified) == utTextCount);

constexpr int LanguageCount = static_cast<int>(TauUpdaterLanguage::wlIcelandic);

// In the order of TauUpdaterLanguage, from wlEnglish.
constexpr std::array<const std::string_view*, LanguageCount> Columns = {
    English, English, English, English,           English, English, English, English, English,
    English, English, English, English,           English, English, English, English, English,
    English, English, English, ChineseSimplified, English, English, English,
};

struct TLanguageCode {
    std::string_view Code;
    TauUpdaterLanguage Language;
};

// ISO 639-1 codes; Chinese and Portuguese also depend on the territory.
constexpr std::array<TLanguageCode, 23> LanguageCodes = {{
    {"en", TauUpdaterLanguage::wlEnglish},    {"ru", TauUpdaterLanguage::wlRussian},
    {"de", TauUpdaterLanguage::wlGerman},     {"fr", TauUpdaterLanguage::wlFrench},
    {"es", TauUpdaterLanguage::wlSpanish},    {"pt", TauUpdaterLanguage::wlPortuguese},
    {"it", TauUpdaterLanguage::wlItalian},    {"nl", TauUpdaterLanguage::wlDutch},
    {"da", TauUpdaterLanguage::wlDanish},     {"sv", TauUpdaterLanguage::wlSwedish},
    {"fi", TauUpdaterLanguage::wlFinnish},    {"et", TauUpdaterLanguage::wlEstonian},
    {"uk", TauUpdaterLanguage::wlUkrainian},  {"cs", TauUpdaterLanguage::wlCzech},
    {"hu", TauUpdaterLanguage::wlHungarian},  {"ro", TauUpdaterLanguage::wlRomanian},
    {"ca", TauUpdaterLanguage::wlCatalan},    {"eu", TauUpdaterLanguage::wlBasque},
    {"af", TauUpdaterLanguage::wlAfrikaans},  {"zh", TauUpdaterLanguage::wlChineseSimplified},
    {"id", TauUpdaterLanguage::wlIndonesian}, {"ms", TauUpdaterLanguage::wlMalay},
    {"is", TauUpdaterLanguage::wlIcelandic},
}};

struct TChosenTexts {
    TauUpdaterLanguage Language = TauUpdaterLanguage::wlAuto;
    std::array<std::string, utTextCount> Texts;
};

// The chosen column in the code page: converted once per choice, not per lookup.
std::array<std::string, utTextCount> ConvertColumn(TauUpdaterLanguage language) {
    if (language == TauUpdaterLanguage::wlAuto) language = SystemLanguage();
    const std::string_view* column = Columns[static_cast<size_t>(language) - 1];
    std::array<std::string, utTextCount> texts;
    for (int entry = 0; entry < utTextCount; ++entry)
        texts[entry] = platform::Utf8ToCodePage(column[entry], platform::TConversion::Strict);
    return texts;
}

// Starts as if wlAuto had been chosen; the first lookup may come before any choice.
TChosenTexts& Chosen() {
    static TChosenTexts chosen{TauUpdaterLanguage::wlAuto,
                               ConvertColumn(TauUpdaterLanguage::wlAuto)};
    return chosen;
}

} // namespace

TauUpdaterLanguage LanguageFromLocale(std::string_view localeName) {
    // language[_territory][.codeset][@modifier]
    const size_t languageEnd = localeName.find_first_of("_.@");
    const std::string language = LowerCase(localeName.substr(0, languageEnd));
    std::string territory;
    if (languageEnd != std::string_view::npos && localeName[languageEnd] == '_') {
        const std::string_view rest = localeName.substr(languageEnd + 1);
        territory = UpperCase(rest.substr(0, rest.find_first_of(".@")));
    }
    if (language == "zh" && (territory == "TW" || territory == "HK" || territory == "MO"))
        return TauUpdaterLanguage::wlChineseTraditional;
    if (language == "pt" && territory == "BR") return TauUpdaterLanguage::wlPortugueseBrazilian;
    for (const TLanguageCode& code : LanguageCodes)
        if (code.Code == language) return code.Language;
    return TauUpdaterLanguage::wlEnglish;
}

TauUpdaterLanguage SystemLanguage() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') return LanguageFromLocale(value);
    }
    return TauUpdaterLanguage::wlEnglish;
}

void SetUpdaterLanguage(TauUpdaterLanguage language) {
    TChosenTexts& chosen = Chosen();
    chosen.Texts = ConvertColumn(language);
    chosen.Language = language;
}

TauUpdaterLanguage UpdaterLanguage() {
    return Chosen().Language;
}

const std::string& UpdaterText(TUpdaterText entry) {
    static const std::string none;
    if (entry < 0 || entry >= utTextCount) return none;
    return Chosen().Texts[entry];
}
