#include "app/ui/Application.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <cstdio>
#include <cstdlib>

#include "app/ui/Icons.h"
#include "app/ui/MainForm.h"

namespace {

bool HasVar(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
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
    TmainForm mainForm;
    mainForm.showMaximized();
    return QApplication::exec();
}
