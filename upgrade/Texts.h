// The updater's texts in 25 languages: one column per language, the same entries in each.
#pragma once

#include <string>
#include <string_view>

enum class TauUpdaterLanguage {
    wlAuto,
    wlEnglish,
    wlRussian,
    wlGerman,
    wlFrench,
    wlSpanish,
    wlPortuguese,
    wlPortugueseBrazilian,
    wlItalian,
    wlDutch,
    wlDanish,
    wlSwedish,
    wlFinnish,
    wlEstonian,
    wlUkrainian,
    wlCzech,
    wlHungarian,
    wlRomanian,
    wlCatalan,
    wlBasque,
    wlAfrikaans,
    wlChineseTraditional,
    wlChineseSimplified,
    wlIndonesian,
    wlMalay,
    wlIcelandic
};

// Entries 0 to 30 are the classic table; the ones after it are this program's own additions.
enum TUpdaterText : int {
    utCaption = 0,               // question window, wizard and error boxes
    utDownloadingTitle = 1,      // wizard title while downloading
    utFinishedTitle = 2,         // wizard title when finished
    utCurrentFile = 3,           // current-file group caption
    utAllFiles = 4,              // all-files group caption
    utDownloadingFileFrom = 5,   // label above the URL
    utFileSize = 6,              // %.1f KB
    utTransferRate = 7,          // %.1f KB/s
    utTimeLeft = 8,              // %d:%.2d:%.2d
    utDownloadingNofM = 9,       // %d of %d
    utFinishedNote = 10,         // %s application title
    utPasswordCaption = 11,      //
    utUserName = 12,             //
    utPassword = 13,             //
    utYes = 14,                  // question window's Yes button
    utNo = 15,                   // not used
    utOK = 16,                   // finished wizard, password window
    utCancel = 17,               // wizard, password window
    utNext = 18,                 // wizard button while downloading
    utLater = 19,                // question window's Later button
    utWarning = 20,              // not used
    utError = 21,                // start of the lost-file box caption
    utPreparing = 22,            // time-left label before the first progress
    utQuestion = 23,             // %s application title, %s message
    utNoUpdate = 24,             //
    utNoInfoFile = 25,           //
    utHostUnreachable = 26,      // %s host text
    utAbortQuestion = 27,        //
    utLostFile = 28,             // %s file name
    utPasswordText = 29,         // %s file name
    utConnectionLost = 30,       //
    utReadOnlyInstallation = 31, // %s offered version: the folder cannot be written
    utReplacementFailed = 32,    // %s the replacement program's reason: old version kept
    utTextCount = 33
};

// The text shown engraved in the wizard, the same in every language.
inline constexpr std::string_view kUpdaterEngravedText = "Updater";

// The language of a locale name as in LANG ("zh_CN.UTF-8", "pt_BR", "de_AT@euro"): zh_TW,
// zh_HK and zh_MO give Traditional Chinese, other zh Simplified, pt_BR Brazilian Portuguese; an
// unknown language, "C", "POSIX" or an empty name gives English. Never wlAuto.
TauUpdaterLanguage LanguageFromLocale(std::string_view localeName);
// The system's default language: the first of LC_ALL, LC_MESSAGES and LANG that is set and
// not empty, through LanguageFromLocale.
TauUpdaterLanguage SystemLanguage();

// Chooses the column every later lookup uses, process-wide (wlAuto: SystemLanguage()).
// Main thread only.
void SetUpdaterLanguage(TauUpdaterLanguage language);
TauUpdaterLanguage UpdaterLanguage();

// Entry of the chosen column, in the program code page (GB18030). Format strings keep their
// printf conversions (%s, %d, %.1f, %.2d) for Format().
const std::string& UpdaterText(TUpdaterText entry);
