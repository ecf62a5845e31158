// The editor under the export's load: a script appended line by line, typing in a large text
// with many tracked ranges, and the memory a large text costs.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <string>
#include <vector>

#include "editor/MemoComponent.h"

namespace {

// About 100 bytes, like a generated INSERT statement.
std::string ScriptLine(int64_t row) {
    return "INSERT INTO [dbo].[Orders] ([Id], [Name], [Amount], [Created]) VALUES (" +
           std::to_string(row) + ", N'name " + std::to_string(row % 977) +
           "', 12.50, '2024-01-01');";
}

// Tracked ranges tiling the first rows of the text, as the colouring keeps one per token.
void TrackTokens(TMemoComponent& memo, int count, int32_t tokenLength) {
    for (int i = 0; i < count; ++i) {
        TMCRange& range = memo.Ranges().Create<TMCRange>();
        range.SetRStart(1 + i * tokenLength);
        range.SetREnd(i * tokenLength + tokenLength);
    }
}

// Lines.Add of state.range(0) lines; with state.range(1) tracked ranges registered first
// over a text that lies before every appended line.
void BM_LinesAdd(benchmark::State& state) {
    const int64_t lines = state.range(0);
    const int ranges = static_cast<int>(state.range(1));
    for (auto _ : state) {
        state.PauseTiming();
        auto memo = std::make_unique<TMemoComponent>();
        memo->SetRemoveTrailingSpaces(true);
        if (ranges > 0) {
            std::string prefix;
            for (int i = 0; i < ranges / 10; ++i)
                prefix += ScriptLine(i).substr(0, 48) + "\r\n";
            memo->SetText(prefix);
            TrackTokens(*memo, ranges, 5);
        }
        state.ResumeTiming();
        for (int64_t row = 0; row < lines; ++row)
            memo->Lines().Add(ScriptLine(row));
        state.PauseTiming();
        benchmark::DoNotOptimize(memo->TextLength());
        memo.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * lines);
    state.counters["ns_per_line"] =
        benchmark::Counter(static_cast<double>(state.iterations() * lines),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_LinesAdd)
    ->Args({10000, 0})
    ->Args({100000, 0})
    ->Args({600000, 0})
    ->Args({10000, 100000})
    ->Args({100000, 100000})
    ->Args({600000, 100000})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// One typed character in the middle of a text of state.range(0) MB with 100,000 tracked
// ranges spread over all of it. state.range(1) = 1 moves the place of typing each time (the
// gap has to travel 64 KB), 0 types on at the same place.
void BM_TypeInMiddle(benchmark::State& state) {
    const int64_t megabytes = state.range(0);
    const bool jumping = state.range(1) != 0;
    TMemoComponent memo;
    std::string text;
    for (int64_t row = 0; static_cast<int64_t>(text.size()) < megabytes << 20; ++row)
        text += ScriptLine(row) + "\r\n";
    memo.SetText(text);
    memo.SetAllowUndo(false);
    const int kRanges = 100000;
    TrackTokens(memo, kRanges, memo.TextLength() / kRanges);
    int32_t middle = memo.TextLength() / 2;
    memo.Selection().MoveCaret(middle);
    int64_t count = 0;
    // The time per iteration is the time per keystroke.
    for (auto _ : state) {
        if (jumping) memo.Selection().MoveCaret(middle + ((count & 1) ? 65536 : 0));
        memo.Selection().SetText("x");
        ++count;
    }
}
BENCHMARK(BM_TypeInMiddle)
    ->Args({1, 0})
    ->Args({10, 0})
    ->Args({50, 0})
    ->Args({10, 1})
    ->Unit(benchmark::kMicrosecond);

// A line of text in one of four shapes: ASCII script, Chinese text (two-byte characters with
// no blank to resynchronise on), Chinese mixed with four-byte characters, and long lines.
std::string ShapedLine(int shape, int64_t row) {
    if (shape == 0) return ScriptLine(row);
    std::string line;
    const std::string chinese = "\xD6\xD0\xCE\xC4\xCA\xFD\xBE\xDD\xBF\xE2"; // 中文数据库
    const std::string wide = "\x95\x32\x82\x36";                            // U+20000
    // Shape 3: one long text value per line (64 KB of Chinese with nothing to resynchronise on).
    const size_t length = shape == 3 ? 65536 : 100;
    while (line.size() < length)
        line += (shape == 2 && (line.size() / 10) % 3 == 0) ? wide + chinese : chinese;
    return line + std::to_string(row % 10);
}

// Keystrokes as the user types them (through KeyDown and KeyPress, with undo and trailing-blank
// removal on) in the middle of a text of 10 MB: a Chinese character, Left, Right, Shift+Left,
// Delete, Backspace, Ctrl+Left, Ctrl+Right. state.range(0) is the text's shape.
void BM_KeystrokesInMiddle(benchmark::State& state) {
    using namespace platform;
    const int shape = static_cast<int>(state.range(0));
    TMemoComponent memo;
    memo.SetRemoveTrailingSpaces(true);
    std::string text;
    for (int64_t row = 0; text.size() < (size_t(10) << 20); ++row)
        text += ShapedLine(shape, row) + "\r\n";
    memo.SetText(text);
    int32_t middle = memo.RowColToCharPos({memo.LineCount() / 2, shape == 3 ? 32001 : 21});
    memo.Selection().MoveCaret(middle);
    const int kKeys = 9;
    for (auto _ : state) {
        memo.KeyPress('\xD6');
        memo.KeyPress('\xD0');
        memo.KeyDown(VK_LEFT, {});
        memo.KeyDown(VK_RIGHT, {});
        memo.KeyDown(VK_LEFT, {TShiftFlag::ssShift});
        memo.KeyDown(VK_DELETE, {});
        memo.KeyDown(VK_BACK, {});
        memo.KeyDown(VK_LEFT, {TShiftFlag::ssCtrl});
        memo.KeyDown(VK_RIGHT, {TShiftFlag::ssCtrl});
        if (memo.UndoList().size() > 10000) memo.ClearUndo();
    }
    benchmark::DoNotOptimize(memo.TextLength());
    // Seconds per keystroke (printed with a u for microseconds).
    state.counters["s_per_key"] =
        benchmark::Counter(static_cast<double>(state.iterations() * kKeys),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_KeystrokesInMiddle)->Arg(0)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMicrosecond);

long PeakResidentKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Run alone (--benchmark_filter=PeakMemory) so that the process peak belongs to this text:
// reports the peak resident memory over the size of a 60 MB script appended line by line.
void BM_PeakMemory60MB(benchmark::State& state) {
    for (auto _ : state) {
        long before = PeakResidentKb();
        auto memo = std::make_unique<TMemoComponent>();
        memo->SetRemoveTrailingSpaces(true);
        int64_t row = 0;
        while (memo->TextLength() < 60 << 20)
            memo->Lines().Add(ScriptLine(row++));
        long after = PeakResidentKb();
        state.counters["text_MB"] = memo->TextLength() / 1048576.0;
        state.counters["peak_MB"] = (after - before) / 1024.0;
        state.counters["peak_over_text"] = (after - before) * 1024.0 / memo->TextLength();
    }
}
BENCHMARK(BM_PeakMemory60MB)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
