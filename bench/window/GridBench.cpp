// The result grid over a million in-memory rows: load, and repaints while scrolling to
// places all over the result. Prints one line of key=value figures.
// Usage: quorvel_grid_bench [ROWS]
#include <QApplication>
#include <QScrollBar>

#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <sys/resource.h>

#include "app/ResultSet.h"
#include "app/ui/MessageBoxes.h"
#include "app/ui/ResultGrid.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TDataPacket MakeRows(size_t rows) {
    TDataPacket packet;
    auto add = [&packet](const char* name, TFieldType kind, TValueStorage storage) {
        TFieldDef def;
        def.Name = name;
        def.DataType = kind;
        def.Storage = storage;
        packet.AddField(def);
    };
    packet.SelectionColumn = 0;
    add("SEL", TFieldType::ftLargeint, TValueStorage::UInt64);
    add("id", TFieldType::ftInteger, TValueStorage::Int64);
    add("code", TFieldType::ftString, TValueStorage::Bytes);
    add("price", TFieldType::ftFloat, TValueStorage::Double);
    add("flag", TFieldType::ftBoolean, TValueStorage::Boolean);
    add("note", TFieldType::ftString, TValueStorage::Bytes);
    packet.Reserve(rows);
    for (size_t row = 0; row < rows; ++row) {
        packet.Columns[0].AppendUInt64(row % 3 == 0);
        packet.Columns[1].AppendInt64(static_cast<int64_t>(row));
        packet.Columns[2].AppendBytes("ORD-" + std::to_string(row));
        packet.Columns[3].AppendDouble(static_cast<double>(row) / 7);
        packet.Columns[4].AppendBoolean(row % 2 == 0);
        if (row % 5 == 0)
            packet.Columns[5].AppendNull();
        else
            packet.Columns[5].AppendBytes("note text for the row");
        packet.EndRow();
    }
    return packet;
}

} // namespace

int main(int argc, char** argv) {
    size_t rows = argc > 1 ? std::stoul(argv[1]) : 1000000;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    TMessageBoxes messages;
    TResultSet result;
    TResultGrid grid(result, messages);
    grid.resize(1000, 700);
    grid.show();
    QApplication::processEvents();

    TDataPacket packet = MakeRows(rows);
    auto start = std::chrono::steady_clock::now();
    result.LoadPacket(std::move(packet));
    grid.FitColumnsToContents();
    grid.viewport()->repaint();
    double load = Seconds(start);

    std::mt19937 random(7);
    QScrollBar* bar = grid.verticalScrollBar();
    const int jumps = 300;
    start = std::chrono::steady_clock::now();
    for (int i = 0; i < jumps; ++i) {
        bar->setValue(static_cast<int>(random() % static_cast<unsigned>(bar->maximum() + 1)));
        grid.viewport()->repaint();
    }
    double jump = Seconds(start) / jumps;
    start = std::chrono::steady_clock::now();
    for (int i = 0; i < jumps; ++i) {
        bar->setValue(bar->value() + 3);
        grid.viewport()->repaint();
    }
    double step = Seconds(start) / jumps;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf(
        "rows=%zu load_and_first_paint_ms=%.1f jump_repaint_ms=%.2f wheel_step_repaint_ms=%.2f "
        "peak_kib=%ld\n",
        rows, load * 1000, jump * 1000, step * 1000, usage.ru_maxrss);
    return 0;
}
