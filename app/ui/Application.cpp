#include "app/ui/Application.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <cstdio>
#include <cstdlib>

#include "app/ui/Icons.h"
#include "app/ui/MainForm.h"
#include "app/ui/MessageBoxes.h"
#include "app/ui/QtText.h"
#include "platform/qt/QtDispatcher.h"
#include "upgrade/Updater.h"
#include "upgrade/ui/QtUpdaterUi.h"

namespace {

bool HasVar(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

// The main window's update component as this build configures it.
void ConfigureUpdater(TauUpdater& updater) {
    updater.SetVersionControl(TauUpdaterVersionControl::byNumber);
    updater.SetVersionNumber(QUORVEL_VERSION_TEXT);
    updater.SetVersionDate("04/18/2010");
    updater.SetPublicKey(QUORVEL_UPDATE_PUBLIC_KEY);
    updater.SetReleasePageURL(QUORVEL_RELEASE_PAGE);
}

} // namespace

void PrepareApplication(QApplication& application) {
    QApplication::setApplicationName(QStringLiteral("quorvel"));
    // No display name: the window system would append it to every caption ("Quorvel — Quorvel").
    QApplication::setDesktopFileName(QStringLiteral("quorvel"));
    QApplication::setWindowIcon(ProgramIcon());
    QFont font = QApplication::font();
    font.setFamilies(
        {QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("Noto Sans CJK SC")});
    font.setPixelSize(12);
    QApplication::setFont(font);
    // The interface is Chinese whatever the user's locale: standard buttons, file dialog and
    // context menus too. Without the translations installed Qt's English texts remain.
    auto* translator = new QTranslator(&application);
    if (translator->load(QStringLiteral("qtbase_zh_CN"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
    else
        delete translator;
}

int RunWindow(int argc, char** argv) {
    // Without any display Qt would abort; say what to do instead.
    if (!HasVar("DISPLAY") && !HasVar("WAYLAND_DISPLAY") && !HasVar("QT_QPA_PLATFORM")) {
        std::fputs("quorvel: no display to open the window on; use \"quorvel export\" without one "
                   "(see quorvel --help)\n",
                   stderr);
        return 1;
    }
    QApplication application(argc, argv);
    PrepareApplication(application);
    platform::TQtDispatcher dispatcher;
    TQtUpdaterUi updaterUi(FromQString(ApplicationTitle()));
    TauUpdater updater(dispatcher, &updaterUi);
    ConfigureUpdater(updater);
    TMainFormSetup setup;
    // No address configured: no check at all.
    if (std::string url = UpdateInfoFileUrl(QUORVEL_UPDATE_URL); !url.empty())
        setup.StartUpgradeCheck = [&updater, url] {
            updater.SetInfoFileURL(url);
            updater.CheckUpdate();
        };
    TmainForm mainForm(std::move(setup));
    updater.CloseApplication = [&mainForm] {
        mainForm.close();
        QApplication::quit();
    };
    updater.Loaded(argc > 1 ? argv[1] : "");
    mainForm.showMaximized();
    return QApplication::exec();
}
