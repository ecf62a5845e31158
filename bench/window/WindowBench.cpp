// Times the window's workflow on one table: connect, open the table into the grid, tick all,
// export into the script view. Prints one line of key=value figures.
// Usage: quorvel_window_bench CONNECTION TABLE ROWS
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTabWidget>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

#include "app/Query.h"
#include "app/ui/MainForm.h"
#include "app/ui/QtText.h"
#include "app/ui/ResultGrid.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

long PeakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s CONNECTION TABLE ROWS\n", argv[0]);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    char folder[] = "/tmp/quorvel-window-bench-XXXXXX";
    if (!mkdtemp(folder)) return 1;
    TMainFormSetup setup;
    setup.SettingsPath = std::string(folder) + "/config.ini";
    int failures = 0;
    {
        TmainForm form(setup);
        form.Messages().SetResponder([&failures](const TMessageBoxRequest& box) {
            std::fprintf(stderr, "message: %s\n", box.Text.toUtf8().constData());
            ++failures;
        });
        form.resize(1280, 800);
        form.show();
        QApplication::processEvents();

        form.cbbDbType->setCurrentIndex(static_cast<int>(TDialect::dMysql));
        form.cbbConnectStr->setEditText(ToQString(argv[1]));
        form.btnDBConClick();
        QList<QListWidgetItem*> items =
            form.lstTable->findItems(QString::fromUtf8(argv[2]), Qt::MatchExactly);
        if (failures || items.isEmpty()) {
            std::fprintf(stderr, "cannot open %s\n", argv[2]);
            return 1;
        }
        form.lstTable->setCurrentItem(items.first());
        form.edtTop->setText(QString::fromUtf8(argv[3]));

        auto start = std::chrono::steady_clock::now();
        form.lstTableDblClick();
        QApplication::processEvents();
        double load = Seconds(start);
        int rows = form.ResultSet().RecordCount();

        // Scrolling through the grid: a page step at a time over the first 200 pages, then
        // jumps to the end and back.
        TResultGrid& grid = *form.dbgrdMain;
        start = std::chrono::steady_clock::now();
        for (int page = 0; page < 200; ++page) {
            grid.scrollTo(grid.Model().index(std::min(rows - 1, page * 40), 1),
                          QAbstractItemView::PositionAtTop);
            grid.viewport()->repaint();
        }
        grid.scrollToBottom();
        grid.viewport()->repaint();
        grid.scrollToTop();
        grid.viewport()->repaint();
        double scroll = Seconds(start) / 202;

        start = std::chrono::steady_clock::now();
        form.chkSelectAll->setChecked(true);
        double tick = Seconds(start);

        start = std::chrono::steady_clock::now();
        form.actExportExecute();
        double handlerSeconds = Seconds(start);
        QApplication::processEvents();
        double exportSeconds = Seconds(start);
        int lines = form.mmoResult->Lines().Count();
        size_t bytes = form.mmoResult->Text().size();
        std::printf(
            "rows=%d load_s=%.3f scroll_paint_ms=%.2f tick_s=%.3f export_s=%.3f per_row_us=%.2f "
            "handler_s=%.3f paints=%d lines=%d script_bytes=%zu peak_kib=%ld status=%s\n",
            rows, load, scroll * 1000, tick, exportSeconds, exportSeconds * 1e6 / std::max(rows, 1),
            handlerSeconds, form.LastExportPaints(), lines, bytes, PeakKiB(),
            form.statPanel1->text().toUtf8().constData());
    }
    std::string cleanup = std::string("rm -rf ") + folder;
    return std::system(cleanup.c_str()) == 0 && failures == 0 ? 0 : 1;
}
