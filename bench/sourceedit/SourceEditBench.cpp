// The coloured editor under the export's load: a script appended line by line into an editor
// set up like the main window's, typing in the middle of a large coloured text, and a
// recolouring of a large text.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <chrono>
#include <memory>
#include <string>

#include "sourceedit/MainWindowEditor.h"

namespace {

// Three lines per row, about 100 bytes a line, like a generated script.
std::string ScriptLine(int64_t line) {
    const int64_t row = line / 3;
    switch (line % 3) {
    case 0:
        return "INSERT INTO [dbo].[Orders] ([Id], [Name], [Amount], [Created], [Note], [Flags], "
               "[Ref], [Region])";
    case 1:
        return "VALUES (" + std::to_string(row) + ", N'name " + std::to_string(row % 977) +
               "', 12.50, '2024-01-01 10:20:30', N'delivered to the north gate, second floor', "
               "0x1F, NULL);";
    default:
        return "-- row " + std::to_string(row) + " of the export, checked (" +
               std::to_string(row % 7) + ") at 10:20:30.125 by the nightly job on the main server";
    }
}

std::string ScriptText(int64_t bytes) {
    std::string text;
    for (int64_t line = 0; static_cast<int64_t>(text.size()) < bytes; ++line)
        text += ScriptLine(line) + "\r\n";
    return text;
}

std::unique_ptr<TSourceEdit> MainWindowEdit() {
    auto edit = std::make_unique<TSourceEdit>();
    ConfigureMainWindowEditor(*edit);
    return edit;
}

long PeakResidentKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Lines.Add of state.range(0) lines; ns_per_line must stay flat as the text grows, and the
// last tenth of the lines is timed on its own (ns_per_line_last_tenth).
void BM_AppendScript(benchmark::State& state) {
    const int64_t lines = state.range(0);
    for (auto _ : state) {
        state.PauseTiming();
        auto edit = MainWindowEdit();
        state.ResumeTiming();
        const int64_t tailFrom = lines - lines / 10;
        auto tailStart = std::chrono::steady_clock::now();
        for (int64_t line = 0; line < lines; ++line) {
            if (line == tailFrom) tailStart = std::chrono::steady_clock::now();
            edit->Lines().Add(ScriptLine(line));
        }
        double tailNs =
            std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - tailStart)
                .count();
        state.PauseTiming();
        state.counters["text_MB"] = edit->TextLength() / 1048576.0;
        state.counters["ranges"] = static_cast<double>(edit->SyntaxRangeCount());
        state.counters["ns_per_line_last_tenth"] = tailNs / static_cast<double>(lines - tailFrom);
        state.counters["peak_RSS_MB"] = PeakResidentKb() / 1024.0;
        edit.reset();
        state.ResumeTiming();
    }
    state.counters["ns_per_line"] =
        benchmark::Counter(static_cast<double>(state.iterations() * lines),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_AppendScript)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(600000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// One typed character in the middle of a coloured text of state.range(0) MB, in an editor set
// up like the main window's; state.range(1) = 1 types into a number, so that the edit
// changes the colouring, 0 types a letter into a word. Each Backspace-like deletion every
// other keystroke keeps the text's size.
void BM_TypeInMiddle(benchmark::State& state) {
    auto edit = MainWindowEdit();
    edit->SetText(ScriptText(state.range(0) << 20));
    const int32_t middle = edit->TextLength() / 2;
    int32_t place = middle;
    // The start of the next values line: typing there goes into the row number.
    while (edit->TextAt(place, 8) != "VALUES (")
        ++place;
    if (state.range(1) == 0)
        place += 2; // inside the keyword
    else
        place += 8;
    edit->Selection().MoveCaret(place);
    int64_t count = 0;
    for (auto _ : state) {
        if (count++ & 1) {
            TMCRange typed(edit.get());
            typed.SetRStart(place);
            typed.SetRLength(1);
            edit->ReplaceRange(typed, "");
        } else {
            edit->Selection().MoveCaret(place);
            edit->Selection().SetText(state.range(1) ? "7" : "x");
        }
    }
    state.counters["ranges"] = static_cast<double>(edit->SyntaxRangeCount());
}
BENCHMARK(BM_TypeInMiddle)
    ->Args({1, 0})
    ->Args({10, 0})
    ->Args({10, 1})
    ->Args({50, 1})
    ->Unit(benchmark::kMicrosecond);

// The scanner's share of a keystroke: a rescan of one character in the middle of a coloured
// text of state.range(0) MB (the lookup, the rescan and the merge, without the range
// registry's shifting of the ranges after the edit). It must not grow with the text.
void BM_RescanInMiddle(benchmark::State& state) {
    auto edit = MainWindowEdit();
    edit->SetText(ScriptText(state.range(0) << 20));
    const int32_t middle = edit->TextLength() / 2;
    TMCRange region(edit.get());
    for (auto _ : state) {
        region.SetRStart(middle);
        region.SetREnd(middle);
        edit->ScanRegion(region);
    }
}
BENCHMARK(BM_RescanInMiddle)->Arg(1)->Arg(10)->Arg(50)->Unit(benchmark::kMicrosecond);

// RecolorAll of a state.range(0) MB script; state.range(1) = 1 splits words while scanning.
void BM_RecolorAll(benchmark::State& state) {
    auto edit = MainWindowEdit();
    if (state.range(1)) edit->SetSplitOnFly(false);
    edit->SetText(ScriptText(state.range(0) << 20));
    for (auto _ : state)
        edit->RecolorAll();
    state.counters["ranges"] = static_cast<double>(edit->SyntaxRangeCount());
}
BENCHMARK(BM_RecolorAll)
    ->Args({10, 0})
    ->Args({10, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

} // namespace

BENCHMARK_MAIN();
