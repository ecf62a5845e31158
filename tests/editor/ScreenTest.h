// An editor in a headless window for the painting and input tests: 200 x 130 pixels, cells of
// 8 x 13 (10 rows of 24 columns after the 2-pixel left margin), focused.
#pragma once

#include <string>
#include <vector>

#include "editor/MemoComponent.h"
#include "platform/headless/HeadlessHost.h"

struct TScreenFixture {
    explicit TScreenFixture(platform::headless::TCanvasMetrics metrics = {8, 13, 0, 0},
                            int width = 200, int height = 130)
        : Host(width, height, metrics), Memo(&Host) {
        Memo.WindowCreated();
        Host.SetFocus();
        Host.ProcessPaint();
    }

    platform::headless::RecordingCanvas& Screen() { return Host.Screen(); }
    std::vector<platform::headless::TCanvasOp> Texts() {
        return Screen().OpsOf(platform::headless::TCanvasOpKind::Text);
    }
    // The text shown on visible row (1-based), read cell by cell from the picture.
    std::string RowOnScreen(int row, int cells = 24) {
        return Screen().TextAt(Memo.LeftMargin(), (row - 1) * Memo.LineHeight() + Memo.TopMargin(), cells);
    }
    // Lines "line 1" .. "line count".
    static std::string NumberedLines(int count) {
        std::string text;
        for (int line = 1; line <= count; ++line) text += "line " + std::to_string(line) + (line < count ? "\r\n" : "");
        return text;
    }

    platform::headless::HeadlessHost Host;
    TMemoComponent Memo;
};
