// Microseconds per frame of the editor's painting through the Qt canvas: a full view of 60
// rows by 200 columns in pieces of a few colours, a scroll by one row (the back buffer's
// pixels move and one row is painted), and the copy of the back buffer to the window; then
// the same through the editor itself in its host window (the selection gives the colours).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPalette>

#include <string>
#include <vector>

#include "editor/MemoComponent.h"
#include "platform/qt/EditorHost.h"
#include "platform/qt/QtCanvas.h"

using namespace platform;
using namespace platform::qt;

namespace {

constexpr int kRows = 60;
constexpr int kColumns = 200;

// Rows of script-like text: keywords, names, Chinese strings, numbers.
std::vector<std::string> MakeRows() {
    const std::string pattern =
        "INSERT INTO [\xB6\xA9\xB5\xA5] ([id], [name], [note]) VALUES (42, N'\xD5\xC5\xC8\xFD', "
        "N'\xC9\xCF\xBA\xA3\xCA\xD0 road 7', 0x1F2E3D4C, '2024-01-31 12:00:00');  -- row ";
    std::vector<std::string> rows;
    for (int row = 0; row < kRows + 1; ++row) {
        std::string text;
        while (text.size() < kColumns) text += pattern + std::to_string(row) + ' ';
        rows.push_back(text.substr(row % 7, kColumns));
    }
    return rows;
}

struct TStyle {
    TColor Color;
    TFontStyles Style;
    TColor Back;
};

// Paints one row in pieces cut at fixed byte offsets (so some cut a character), cycling
// through a few colours, as the syntax colouring would.
void PaintRow(Canvas& canvas, const std::string& row, int y, int cellWidth, int lineHeight,
              int clientWidth) {
    static const TStyle kStyles[] = {{clBlue, {TFontStyle::fsBold}, clWindow},
                                     {clBlack, {}, clWindow},
                                     {clRed, {}, clWindow},
                                     {clGreen, {}, clWindow},
                                     {clHighlightText, {}, clHighlight},
                                     {clNavy, {}, clWindow}};
    static const size_t kCuts[] = {0, 7, 31, 58, 77, 120, 151, 176, kColumns};
    std::string_view all = row;
    TFontData font;
    for (size_t piece = 0; piece + 1 < std::size(kCuts); ++piece) {
        const TStyle& style = kStyles[piece % std::size(kStyles)];
        font.Color = style.Color;
        font.Style = style.Style;
        canvas.SetFont(font);
        canvas.SetBrushColor(style.Back);
        size_t start = kCuts[piece], end = kCuts[piece + 1];
        int left = static_cast<int>(start) * cellWidth;
        int right = piece + 2 == std::size(kCuts) ? clientWidth : static_cast<int>(end) * cellWidth;
        canvas.TextRect({left, y, right, y + lineHeight}, left, y,
                        TTextPiece(all.substr(0, start), all.substr(start, end - start), all.substr(end)));
    }
}

struct TView {
    TView() : Rows(MakeRows()), Bitmap(1, 1, QPalette()), Window(1, 1, QImage::Format_RGB32),
              WindowCanvas(&Window, QPalette()) {
        QtCanvas& canvas = Bitmap.Painter();
        canvas.SetFont(TFontData());
        CellWidth = canvas.CellWidth();
        LineHeight = canvas.TextHeight("Q");
        Width = kColumns * CellWidth;
        Height = kRows * LineHeight;
        Bitmap.SetSize(Width, Height);
        Window = QImage(Width, Height, QImage::Format_RGB32);
        WindowCanvas.SetImage(&Window);
    }
    void PaintAll(int firstRow) {
        for (int row = 0; row < kRows; ++row)
            PaintRow(Bitmap.GetCanvas(), Rows[(firstRow + row) % Rows.size()], row * LineHeight,
                     CellWidth, LineHeight, Width);
    }
    std::vector<std::string> Rows;
    QtBitmap Bitmap;
    QImage Window;
    QtCanvas WindowCanvas;
    int CellWidth = 0, LineHeight = 0, Width = 0, Height = 0;
};

void BM_FullView(benchmark::State& state) {
    TView view;
    int first = 0;
    for (auto _ : state) {
        view.PaintAll(first++);
        view.Bitmap.Painter().Flush();
    }
    state.counters["width"] = view.Width;
    state.counters["height"] = view.Height;
}

void BM_ScrollOneRow(benchmark::State& state) {
    TView view;
    view.PaintAll(0);
    int first = 0;
    Canvas& canvas = view.Bitmap.GetCanvas();
    for (auto _ : state) {
        // The text moves up by one row; the bottom row comes into view.
        ++first;
        canvas.CopyRect({0, 0, view.Width, view.Height - view.LineHeight}, canvas,
                        {0, view.LineHeight, view.Width, view.Height});
        PaintRow(canvas, view.Rows[(first + kRows - 1) % view.Rows.size()],
                 (kRows - 1) * view.LineHeight, view.CellWidth, view.LineHeight, view.Width);
        view.Bitmap.Painter().Flush();
    }
}

void BM_BitmapToWindow(benchmark::State& state) {
    TView view;
    view.PaintAll(0);
    for (auto _ : state) {
        view.WindowCanvas.CopyRect({0, 0, view.Width, view.Height}, view.Bitmap.GetCanvas(),
                                   {0, 0, view.Width, view.Height});
        benchmark::DoNotOptimize(view.Window.constBits());
    }
}

// An editor of kRows x kColumns cells in its host, with a selection over part of every row.
struct TEditorView {
    explicit TEditorView(bool bitmapped) : Memo(&Host) {
        Memo.SetBitmapped(bitmapped);
        Memo.WindowCreated();
        std::string text;
        for (const std::string& row : MakeRows()) text += row + "\r\n";
        for (int copy = 0; copy < 4; ++copy) text += text;
        Memo.SetText(text);
        Host.setAttribute(Qt::WA_DontShowOnScreen);
        Host.show();
        Host.resize(kColumns * Memo.CharWidth() + Memo.LeftMargin() + 40, kRows * Memo.LineHeight() + 40);
        Host.resize(Host.width() + (kColumns * Memo.CharWidth() + Memo.LeftMargin() - Host.ClientWidth()),
                    Host.height() + (kRows * Memo.LineHeight() - Host.ClientHeight()));
        QApplication::processEvents();
        Memo.Selection().SetRStart(40);
        Memo.Selection().SetREnd(static_cast<int32_t>(text.size() / 2));
    }
    EditorHost Host;
    TMemoComponent Memo;
};

void BM_EditorFullView(benchmark::State& state) {
    TEditorView view(state.range(0) != 0);
    for (auto _ : state) view.Memo.VisibleRange().Paint();
    state.counters["rows"] = view.Memo.VisibleRows();
    state.counters["cols"] = view.Memo.VisibleCols();
}

void BM_EditorScrollOneRow(benchmark::State& state) {
    TEditorView view(state.range(0) != 0);
    int direction = 1;
    for (auto _ : state) {
        if (view.Memo.VisibleRange().TopRow() >= view.Memo.LineCount() - kRows) direction = -1;
        if (view.Memo.VisibleRange().TopRow() <= 1) direction = 1;
        view.Memo.Scroll(TScrollBarKind::Vertical,
                         direction > 0 ? TScrollCode::scLineDown : TScrollCode::scLineUp, 0);
    }
}

BENCHMARK(BM_EditorFullView)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EditorScrollOneRow)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FullView)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScrollOneRow)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BitmapToWindow)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
