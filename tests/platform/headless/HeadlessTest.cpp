// The headless backend: the picture the recording canvas keeps, pixel scrolling, and the
// window host's timers, focus and paints (its clipboard, keys, caret and scroll bars keep the
// contract of every host: HostContractTest.cpp).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/headless/HeadlessHost.h"

using namespace platform;
using namespace platform::headless;

namespace {

// Writes down the events a host reports.
class EventLog : public WindowEvents {
public:
    void Paint() override { Log.push_back("paint"); }
    void Resized() override { Log.push_back("resized"); }
    void FocusChanged(bool focused) override { Log.push_back(focused ? "focus" : "blur"); }
    void KeyDown(uint16_t key, TShiftState) override {
        Log.push_back("down " + std::to_string(key));
    }
    void KeyUp(uint16_t key, TShiftState) override { Log.push_back("up " + std::to_string(key)); }
    void KeyPress(char byte) override { Log.push_back("press " + std::to_string(byte & 0xFF)); }
    void MouseDown(TMouseButton, TShiftState, int, int) override { Log.push_back("mousedown"); }
    void MouseMove(TShiftState, int, int) override { Log.push_back("mousemove"); }
    void MouseUp(TMouseButton, TShiftState, int, int) override { Log.push_back("mouseup"); }
    void DblClick() override { Log.push_back("dblclick"); }
    bool MouseWheel(TScrollBarKind, int, TShiftState) override { return true; }
    void Scroll(TScrollBarKind, TScrollCode, int) override { Log.push_back("scroll"); }
    void Timer(int id) override { Log.push_back("timer " + std::to_string(id)); }
    std::vector<std::string> Log;
};

} // namespace

TEST(RecordingCanvas, TextFillsItsRectangleAndShowsCutCharactersWhole) {
    RecordingCanvas canvas(100, 20, {4, 10, 0, 0});
    canvas.SetBrushColor(clRed);
    TFontData font;
    font.Color = clBlue;
    canvas.SetFont(font);
    // "x中y" with the piece cut after the first byte of 中: the piece holds one byte but its
    // cell shows that byte, and the cell beyond shows the rest from After, clipped away here.
    std::string row = "x\xD6\xD0y";
    canvas.TextRect({4, 0, 8, 10}, 4, 0,
                    TTextPiece(row.substr(0, 1), row.substr(1, 1), row.substr(2)));
    EXPECT_EQ(canvas.PixelAt(4, 0), (TPixel{clRed, clBlue, '\xD6', {}}));
    EXPECT_EQ(canvas.PixelAt(7, 9).Byte, '\xD6');
    // Outside the rectangle nothing changed.
    EXPECT_EQ(canvas.PixelAt(8, 0), (TPixel{clWindow, 0, 0, {}}));
    EXPECT_EQ(canvas.PixelAt(3, 0), (TPixel{clWindow, 0, 0, {}}));

    // The other half, drawn from a piece that starts inside the character.
    canvas.SetBrushColor(clGreen);
    canvas.TextRect({8, 0, 20, 10}, 8, 0, TTextPiece(row.substr(0, 2), row.substr(2), ""));
    EXPECT_EQ(canvas.TextAt(0, 0, 5), " \xD6\xD0y ");
    EXPECT_EQ(canvas.PixelAt(12, 5).Back, clGreen);
    // A rectangle wider than the text: the rest is background without text.
    EXPECT_EQ(canvas.PixelAt(19, 0), (TPixel{clGreen, 0, 0, {}}));
    // Left of the first cell only the cut character's bytes show, not the rest of Before;
    // right of the last only what completes a cut character, not the rest of After.
    canvas.TextRect({0, 10, 12, 20}, 8, 10, TTextPiece(row.substr(0, 2), row.substr(2), ""));
    EXPECT_EQ(canvas.TextAt(0, 10, 3), " \xD6\xD0");
    canvas.TextRect({20, 10, 60, 20}, 20, 10, TTextPiece("", "ab", "\r\nc"));
    EXPECT_EQ(canvas.TextAt(20, 10, 4), "ab  ");

    ASSERT_EQ(canvas.OpsOf(TCanvasOpKind::Text).size(), 4u);
    EXPECT_EQ(canvas.OpsOf(TCanvasOpKind::Text)[1].Before, "x\xD6");
    EXPECT_EQ(canvas.Dump().substr(0, 40), "text (4,0,8,10) at=(4,0) brush=000000FF ");
}

TEST(RecordingCanvas, MeasuresWithTheWidthOfTheStyle) {
    RecordingCanvas canvas(0, 0, {6, 12, 7, 0});
    TFontData font;
    canvas.SetFont(font);
    EXPECT_EQ(canvas.TextWidth("MM"), 12);
    EXPECT_EQ(canvas.TextHeight("Q"), 12);
    font.Style = {TFontStyle::fsBold};
    canvas.SetFont(font);
    EXPECT_EQ(canvas.TextWidth("MM"), 14);
    font.Style = {TFontStyle::fsItalic};
    canvas.SetFont(font);
    EXPECT_EQ(canvas.TextWidth("MM"), 12);
}

TEST(RecordingCanvas, ScrollAndCopyMovePixelsAndReportTheUncoveredBand) {
    RecordingCanvas canvas(8, 40, {8, 10, 0, 0});
    for (int row = 0; row < 4; ++row) {
        canvas.TextRect({0, row * 10, 8, row * 10 + 10}, 0, row * 10,
                        std::string(1, char('a' + row)));
    }
    // Down by one row inside rows 1..3: row 0 stays, the band of row 1 is uncovered.
    EXPECT_EQ(canvas.ScrollPixels(10, {0, 10, 8, 40}), (TRect{0, 10, 8, 20}));
    EXPECT_EQ(canvas.TextAt(0, 0, 1) + canvas.TextAt(0, 20, 1) + canvas.TextAt(0, 30, 1), "abc");
    // Up by two rows of the whole picture: the bottom band.
    EXPECT_EQ(canvas.ScrollPixels(-20, {0, 0, 8, 40}), (TRect{0, 20, 8, 40}));
    EXPECT_EQ(canvas.TextAt(0, 0, 1) + canvas.TextAt(0, 10, 1), "bc");
    // A distance as large as the area uncovers all of it; none uncovers nothing.
    EXPECT_EQ(canvas.ScrollPixels(-40, {0, 0, 8, 40}), (TRect{0, 0, 8, 40}));
    EXPECT_EQ(canvas.ScrollPixels(0, {0, 0, 8, 40}), (TRect{}));

    // Overlapping copy inside one picture moves the block as a whole.
    RecordingCanvas strip(8, 30, {8, 10, 0, 0});
    for (int row = 0; row < 3; ++row)
        strip.TextRect({0, row * 10, 8, row * 10 + 10}, 0, row * 10,
                       std::string(1, char('p' + row)));
    strip.CopyRect({0, 10, 8, 30}, strip, {0, 0, 8, 20});
    EXPECT_EQ(strip.TextAt(0, 0, 1) + strip.TextAt(0, 10, 1) + strip.TextAt(0, 20, 1), "ppq");
    // Bitmap to window.
    RecordingCanvas window(8, 30, {8, 10, 0, 0});
    window.CopyRect({0, 0, 8, 10}, strip, {0, 20, 8, 30});
    EXPECT_EQ(window.TextAt(0, 0, 1), "q");
    EXPECT_EQ(window.OpsOf(TCanvasOpKind::Copy)[0].Source, &strip);
}

TEST(HeadlessHost, TimersFocusAndPaints) {
    HeadlessHost host(100, 60);
    EventLog log;
    host.SetEvents(&log);

    EXPECT_FALSE(host.FireTimer(1));
    host.SetTimer(1, 50);
    EXPECT_EQ(host.TimerInterval(1), 50);
    EXPECT_TRUE(host.FireTimer(1));
    host.KillTimer(1);
    EXPECT_FALSE(host.FireTimer(1));

    EXPECT_TRUE(host.SetFocus());
    EXPECT_TRUE(host.SetFocus());
    host.LoseFocus();
    host.SetFocusAllowed(false);
    EXPECT_FALSE(host.SetFocus());
    EXPECT_FALSE(host.HasFocus());

    // Invalidations gather into one paint.
    host.InvalidateRect({0, 0, 10, 10});
    host.InvalidateRect({50, 20, 200, 30});
    EXPECT_EQ(host.InvalidArea(), (TRect{0, 0, 100, 30}));
    host.Update();
    host.Update();
    EXPECT_EQ(host.InvalidArea(), (TRect{}));

    host.SetClientSize(120, 80);
    EXPECT_EQ(host.ClientWidth(), 120);
    EXPECT_EQ(host.Screen().Height(), 80);
    host.ProcessPaint();

    EXPECT_EQ(log.Log,
              (std::vector<std::string>{"timer 1", "focus", "blur", "paint", "resized", "paint"}));
}

TEST(HeadlessHost, BitmapsAreListedWhileTheyLive) {
    HeadlessHost host(100, 60, {6, 12, 0, 0});
    {
        std::unique_ptr<Bitmap> bitmap = host.CreateBitmap(100, 60);
        ASSERT_EQ(host.Bitmaps().size(), 1u);
        EXPECT_EQ(host.Bitmaps()[0]->Recording().Metrics.CharWidth, 6);
        bitmap->SetSize(40, 30);
        EXPECT_EQ(host.Bitmaps()[0]->Width(), 40);
        host.WindowCanvas()->CopyRect({0, 0, 40, 30}, bitmap->GetCanvas(), {0, 0, 40, 30});
    }
    EXPECT_TRUE(host.Bitmaps().empty());
    host.SetWindowExists(false);
    EXPECT_EQ(host.WindowCanvas(), nullptr);
}
