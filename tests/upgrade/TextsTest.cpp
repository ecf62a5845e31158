// The updater's text table: the given English and Simplified Chinese texts, every column's
// format conversions against English, the language of a locale and of the environment.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/CodePage.h"
#include "tests/common/ScopedEnvironment.h"
#include "upgrade/Texts.h"

namespace {

using platform::TConversion;
using platform::Utf8ToCodePage;

constexpr int FirstLanguage = static_cast<int>(TauUpdaterLanguage::wlEnglish);
constexpr int LastLanguage = static_cast<int>(TauUpdaterLanguage::wlIcelandic);

using testing_support::ScopedEnvironment;

// LC_ALL, LC_MESSAGES and LANG for one scope.
struct ScopedLocale {
    ScopedLocale(const std::optional<std::string>& all, const std::optional<std::string>& messages,
                 const std::optional<std::string>& lang)
        : All("LC_ALL", all), Messages("LC_MESSAGES", messages), Lang("LANG", lang) {}
    ScopedEnvironment All, Messages, Lang;
};

// The printf conversions of a text in order ("%d", "%.2d", ...); "%%" is no conversion. GB18030
// never has '%' inside a character, so the bytes can be walked one by one.
std::vector<std::string> Conversions(std::string_view text) {
    std::vector<std::string> found;
    for (size_t at = 0; at < text.size(); ++at) {
        if (text[at] != '%') continue;
        if (at + 1 < text.size() && text[at + 1] == '%') {
            ++at;
            continue;
        }
        size_t end = at + 1;
        while (end < text.size() && !std::isalpha(static_cast<unsigned char>(text[end])))
            ++end;
        found.emplace_back(text.substr(at, end + 1 - at));
        at = end;
    }
    return found;
}

// Only the carriage returns and line feeds of a text, as "r" and "n".
std::string LineLayout(std::string_view text) {
    std::string layout;
    for (char c : text)
        if (c == '\r' || c == '\n') layout += c == '\r' ? 'r' : 'n';
    return layout;
}

std::vector<std::string> Column(TauUpdaterLanguage language) {
    SetUpdaterLanguage(language);
    std::vector<std::string> texts;
    for (int entry = 0; entry < utTextCount; ++entry)
        texts.push_back(UpdaterText(static_cast<TUpdaterText>(entry)));
    return texts;
}

std::string CodePage(std::string_view utf8) {
    return Utf8ToCodePage(utf8, TConversion::Strict);
}

TEST(TextsTest, EnglishAndSimplifiedChineseHoldTheGivenTexts) {
    SetUpdaterLanguage(TauUpdaterLanguage::wlEnglish);
    EXPECT_EQ(UpdaterLanguage(), TauUpdaterLanguage::wlEnglish);
    EXPECT_EQ(UpdaterText(utCaption), "Application update wizard");
    EXPECT_EQ(UpdaterText(utTimeLeft), "Estimated time left: %d:%.2d:%.2d");
    EXPECT_EQ(UpdaterText(utFinishedNote), "The update of %s has been successfully completed."
                                           "\r\rPress the OK button to restart program.");
    EXPECT_EQ(UpdaterText(utPasswordText),
              "Access to remote file \"%s\" is password protected.\n\nPlease enter your username "
              "and password (received after registration) to continue software upgrade.");
    EXPECT_EQ(UpdaterText(utConnectionLost),
              "Connection with remote server lost.\r\rPlease restore connection and try "
              "to\rupgrade this software again later.");
    EXPECT_EQ(UpdaterText(utReplacementFailed),
              "The update could not be installed; the previous version has been kept.\r\r%s");

    SetUpdaterLanguage(TauUpdaterLanguage::wlChineseSimplified);
    EXPECT_EQ(UpdaterLanguage(), TauUpdaterLanguage::wlChineseSimplified);
    EXPECT_EQ(UpdaterText(utCaption), CodePage("软件升级"));
    EXPECT_EQ(UpdaterText(utFinishedTitle), CodePage("升级完成！"));
    EXPECT_EQ(UpdaterText(utYes), CodePage("是 (&Y)"));
    EXPECT_EQ(UpdaterText(utNext), CodePage("下一个>(&N)"));
    EXPECT_EQ(UpdaterText(utDownloadingNofM), CodePage("当前正在下载:%d of %d"));
    EXPECT_EQ(UpdaterText(utFinishedNote),
              CodePage("%s 已经升级完成，\r\r请按[确定]键重新启动程序"));
    EXPECT_EQ(UpdaterText(utQuestion),
              CodePage("  %s已经有新版本推出，\n%s\n您要升级到新版本吗？"));
    EXPECT_EQ(
        UpdaterText(utPasswordText),
        CodePage(
            "远端的文档\"%s\"被密码保护，\n\n请输入您的帐号及密码[注册用户]来继续进行升级操作。"));
    EXPECT_EQ(UpdaterText(utReadOnlyInstallation),
              CodePage("本程序已有新版本 %s。\r\r本程序所在的文件夹不可写，无法自动升级。"
                       "请通过软件包管理器或发布页面安装新版本。"));
    // The table's bytes are the code page's, not UTF-8's: "软" is C8 ED in GB18030.
    EXPECT_EQ(UpdaterText(utCaption).substr(0, 2), "\xC8\xED");
}

// One distinct entry per language: a column in the wrong place (Portuguese for Brazilian,
// Malay for Indonesian) shows here.
TEST(TextsTest, EachLanguageShowsItsOwnColumn) {
    struct TCase {
        TauUpdaterLanguage Language;
        std::string_view CurrentFile;
    };
    using enum TauUpdaterLanguage;
    const TCase cases[] = {
        {wlEnglish, "Current file"},
        {wlRussian, "Текущий файл"},
        {wlGerman, "Aktuelle Datei"},
        {wlFrench, "Fichier en cours"},
        {wlSpanish, "Archivo actual"},
        {wlPortuguese, "Ficheiro atual"},
        {wlPortugueseBrazilian, "Arquivo atual"},
        {wlItalian, "File corrente"},
        {wlDutch, "Huidig bestand"},
        {wlDanish, "Aktuel fil"},
        {wlSwedish, "Aktuell fil"},
        {wlFinnish, "Nykyinen tiedosto"},
        {wlEstonian, "Praegune fail"},
        {wlUkrainian, "Поточний файл"},
        {wlCzech, "Aktuální soubor"},
        {wlHungarian, "Aktuális fájl"},
        {wlRomanian, "Fișierul curent"},
        {wlCatalan, "Fitxer actual"},
        {wlBasque, "Uneko fitxategia"},
        {wlAfrikaans, "Huidige lêer"},
        {wlChineseTraditional, "目前的檔案"},
        {wlChineseSimplified, "当前的文档"},
        {wlIndonesian, "Berkas saat ini"},
        {wlMalay, "Fail semasa"},
        {wlIcelandic, "Núverandi skrá"},
    };
    for (const TCase& c : cases) {
        SetUpdaterLanguage(c.Language);
        EXPECT_EQ(UpdaterText(utCurrentFile), CodePage(c.CurrentFile)) << c.CurrentFile;
    }
}

TEST(TextsTest, EveryColumnKeepsTheFormatAndLayoutOfEnglish) {
    const std::vector<std::string> english = Column(TauUpdaterLanguage::wlEnglish);
    for (int language = FirstLanguage; language <= LastLanguage; ++language) {
        const auto chosen = static_cast<TauUpdaterLanguage>(language);
        const std::vector<std::string> texts = Column(chosen);
        int sameAsEnglish = 0;
        for (int entry = 0; entry < utTextCount; ++entry) {
            SCOPED_TRACE("language " + std::to_string(language) + ", entry " +
                         std::to_string(entry) + ": " +
                         platform::CodePageToUtf8(texts[entry], TConversion::Lenient));
            EXPECT_FALSE(texts[entry].empty());
            EXPECT_EQ(Conversions(texts[entry]), Conversions(english[entry]));
            if (entry >= utYes && entry <= utLater) {
                EXPECT_NE(texts[entry].find('&'), std::string::npos);
            }
            // The given Chinese column breaks its lines its own way.
            if (chosen != TauUpdaterLanguage::wlChineseSimplified) {
                EXPECT_EQ(LineLayout(texts[entry]), LineLayout(english[entry]));
            }
            if (texts[entry] == english[entry]) ++sameAsEnglish;
        }
        // A few short words ("OK", "Error") may be the same; a whole column may not.
        if (chosen != TauUpdaterLanguage::wlEnglish) {
            EXPECT_LE(sameAsEnglish, 4) << "language " << language;
        }
    }
}

TEST(TextsTest, LanguageFromLocaleNames) {
    struct TCase {
        std::string_view Locale;
        TauUpdaterLanguage Language;
    };
    using enum TauUpdaterLanguage;
    const TCase cases[] = {
        {"zh_CN.UTF-8", wlChineseSimplified},
        {"zh_TW", wlChineseTraditional},
        {"zh_HK.UTF-8", wlChineseTraditional},
        {"zh_MO", wlChineseTraditional},
        {"zh_SG", wlChineseSimplified},
        {"zh", wlChineseSimplified},
        {"pt_BR", wlPortugueseBrazilian},
        {"pt_BR.UTF-8", wlPortugueseBrazilian},
        {"pt_PT", wlPortuguese},
        {"pt", wlPortuguese},
        {"de_AT@euro", wlGerman},
        {"ja_JP.UTF-8", wlEnglish},
        {"C", wlEnglish},
        {"C.UTF-8", wlEnglish},
        {"POSIX", wlEnglish},
        {"", wlEnglish},
        {"en_US.UTF-8", wlEnglish},
        {"ru_RU.KOI8-R", wlRussian},
        {"de", wlGerman},
        {"fr_CA", wlFrench},
        {"es_MX", wlSpanish},
        {"it_IT", wlItalian},
        {"nl_BE@euro", wlDutch},
        {"da_DK", wlDanish},
        {"sv_FI", wlSwedish},
        {"fi_FI", wlFinnish},
        {"et_EE", wlEstonian},
        {"uk_UA", wlUkrainian},
        {"cs_CZ", wlCzech},
        {"hu_HU", wlHungarian},
        {"ro_RO", wlRomanian},
        {"ca_ES@valencia", wlCatalan},
        {"eu_ES", wlBasque},
        {"af_ZA", wlAfrikaans},
        {"id_ID", wlIndonesian},
        {"ms_MY", wlMalay},
        {"is_IS", wlIcelandic},
        {"ZH_tw", wlChineseTraditional},
        {"ca@valencia", wlCatalan},
        {"sk_SK", wlEnglish},
        {"zhx", wlEnglish},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(LanguageFromLocale(c.Locale), c.Language) << '"' << c.Locale << '"';
}

TEST(TextsTest, SystemLanguageTakesTheFirstSetOfLcAllLcMessagesLang) {
    using enum TauUpdaterLanguage;
    {
        ScopedLocale locale("de_DE.UTF-8", "fr_FR.UTF-8", "ru_RU.UTF-8");
        EXPECT_EQ(SystemLanguage(), wlGerman);
    }
    {
        ScopedLocale locale("", "fr_FR.UTF-8", "ru_RU.UTF-8");
        EXPECT_EQ(SystemLanguage(), wlFrench);
    }
    {
        ScopedLocale locale(std::nullopt, "", "ru_RU.UTF-8");
        EXPECT_EQ(SystemLanguage(), wlRussian);
    }
    {
        ScopedLocale locale(std::nullopt, std::nullopt, "zh_TW.UTF-8");
        EXPECT_EQ(SystemLanguage(), wlChineseTraditional);
    }
    {
        ScopedLocale locale(std::nullopt, std::nullopt, std::nullopt);
        EXPECT_EQ(SystemLanguage(), wlEnglish);
    }
    {
        // wlAuto stays the chosen value; the texts are the system language's.
        ScopedLocale locale(std::nullopt, "it_IT.UTF-8", "de_DE.UTF-8");
        const std::vector<std::string> italian = Column(wlItalian);
        EXPECT_EQ(Column(wlAuto), italian);
        EXPECT_EQ(UpdaterLanguage(), wlAuto);
    }
}

// Run in a fresh process so that no earlier test has chosen a language yet.
TEST(TextsTest, TextsBeforeAnyChoiceAreTheSystemLanguages) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    ScopedLocale locale(std::nullopt, std::nullopt, "zh_CN.UTF-8");
    EXPECT_EXIT(
        {
            const bool chinese = UpdaterLanguage() == TauUpdaterLanguage::wlAuto &&
                                 UpdaterText(utCaption) == CodePage("软件升级");
            std::exit(chinese ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

} // namespace
