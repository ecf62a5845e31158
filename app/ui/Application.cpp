#include "app/ui/Application.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "app/ui/Icons.h"
#include "app/ui/MainForm.h"
#include "app/ui/MessageBoxes.h"

namespace {

bool HasVar(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

} // namespace

int RunWindow(int argc, char** argv) {
    // Without any display Qt would abort; say what to do instead.
    if (!HasVar("DISPLAY") && !HasVar("WAYLAND_DISPLAY") && !HasVar("QT_QPA_PLATFORM")) {
        std::fputs("quorvel: no display to open the window on; use \"quorvel export\" without one "
                   "(see quorvel --help)\n",
                   stderr);
        return 1;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quorvel"));
    QApplication::setApplicationDisplayName(ApplicationTitle());
    QApplication::setDesktopFileName(QStringLiteral("quorvel"));
    QApplication::setWindowIcon(ProgramIcon());
    QFont font = QApplication::font();
    font.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("Noto Sans CJK SC")});
    font.setPixelSize(12);
    QApplication::setFont(font);
    TmainForm mainForm;
    mainForm.showMaximized();
    return QApplication::exec();
}
