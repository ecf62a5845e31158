// Drives the real window on a real display like a user (connect to the demo database, open a
// table, tick rows, export) and saves screenshots of both pages.
// Usage: quorvel_screenshot CONNECTION TABLE OUTPUT_PREFIX
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <cstdio>

#include "app/Query.h"
#include "app/ui/Application.h"
#include "app/ui/MainForm.h"
#include "app/ui/QtText.h"
#include "app/ui/ResultGrid.h"

namespace {

bool Shoot(QWidget& window, const QString& path) {
    QApplication::processEvents();
    QTest::qWait(300);
    QPixmap shot = window.screen()->grabWindow(0);
    return shot.save(path, "PNG");
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s CONNECTION TABLE OUTPUT_PREFIX\n", argv[0]);
        return 2;
    }
    QApplication application(argc, argv);
    PrepareApplication(application);
    char folder[] = "/tmp/quorvel-shot-XXXXXX";
    if (!mkdtemp(folder)) return 1;
    TMainFormSetup setup;
    setup.SettingsPath = std::string(folder) + "/config.ini";
    TmainForm form(setup);
    int failures = 0;
    form.Messages().SetResponder([&failures](const TMessageBoxRequest& box) {
        std::fprintf(stderr, "message: %s\n", box.Text.toUtf8().constData());
        ++failures;
    });
    form.showMaximized();
    if (!QTest::qWaitForWindowExposed(&form)) return 1;
    // A bare X server has no window manager to carry out the maximising.
    form.setGeometry(form.screen()->availableGeometry());

    form.cbbDbType->setCurrentIndex(static_cast<int>(TDialect::dMysql));
    form.cbbConnectStr->setEditText(QString::fromUtf8(argv[1]));
    QTest::mouseClick(form.btnDBCon, Qt::LeftButton);
    QList<QListWidgetItem*> items =
        form.lstTable->findItems(QString::fromUtf8(argv[2]), Qt::MatchExactly);
    if (failures || items.isEmpty()) return 1;
    QRect itemRect = form.lstTable->visualItemRect(items.first());
    QTest::mouseClick(form.lstTable->viewport(), Qt::LeftButton, {}, itemRect.center());
    QTest::mouseDClick(form.lstTable->viewport(), Qt::LeftButton, {}, itemRect.center());
    TResultGrid& grid = *form.dbgrdMain;
    for (int row : {0, 2, 3})
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.CellRect(row, 0).center());
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.CellRect(1, 2).center());
    bool shot = Shoot(form, QString::fromUtf8(argv[3]) + "-table.png");
    QTest::mouseClick(form.btnExport, Qt::LeftButton);
    shot = Shoot(form, QString::fromUtf8(argv[3]) + "-script.png") && shot;
    form.close();
    std::string cleanup = std::string("rm -rf ") + folder;
    return shot && failures == 0 && std::system(cleanup.c_str()) == 0 ? 0 : 1;
}
