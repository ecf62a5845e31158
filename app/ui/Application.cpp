#include "app/ui/Application.h"

#include <QApplication>

#include "app/ui/Icons.h"
#include "app/ui/MainForm.h"
#include "app/ui/MessageBoxes.h"

int RunWindow(int argc, char** argv) {
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
