// The editor's host widget on the offscreen platform, beyond the contract of every host
// (HostContractTest.cpp): modifier keys, mouse, wheel, input-method queries, size, scroll bars
// that only the control moves, timers, the drawn caret, what a paint through the window canvas
// shows, and a clipboard whose text another program changed.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/qt/EditorHost.h"

using namespace platform;
using namespace platform::qt;

namespace {

std::string ShiftText(TShiftState shift) {
    std::string text;
    if (shift.Contains(TShiftFlag::ssShift)) text += " shift";
    if (shift.Contains(TShiftFlag::ssCtrl)) text += " ctrl";
    if (shift.Contains(TShiftFlag::ssAlt)) text += " alt";
    if (shift.Contains(TShiftFlag::ssDouble)) text += " double";
    return text;
}

// Writes down what the host reports; paints Row at the top left when asked to paint.
class TestSink : public WindowEvents {
public:
    explicit TestSink(EditorHost& host) : FHost(host) { host.SetEvents(this); }
    ~TestSink() override { FHost.SetEvents(nullptr); }

    void Paint() override {
        Canvas* canvas = FHost.WindowCanvas();
        canvas->SetBrushColor(clWindow);
        canvas->FillRect({0, 0, FHost.ClientWidth(), FHost.ClientHeight()});
        TFontData font;
        canvas->SetFont(font);
        canvas->TextRect({0, 0, FHost.ClientWidth(), 20}, 0, 0, Row);
        Log.push_back("paint");
    }
    void Resized() override {
        Log.push_back("resized " + std::to_string(FHost.ClientWidth()) + "x" +
                      std::to_string(FHost.ClientHeight()));
    }
    void FocusChanged(bool focused) override { Log.push_back(focused ? "focus" : "blur"); }
    void KeyDown(uint16_t key, TShiftState shift) override {
        Log.push_back("down " + std::to_string(key) + ShiftText(shift));
    }
    void KeyUp(uint16_t key, TShiftState shift) override {
        Log.push_back("up " + std::to_string(key) + ShiftText(shift));
    }
    void KeyPress(char byte) override { Log.push_back("press " + std::to_string(byte & 0xFF)); }
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override {
        Log.push_back("mousedown " + std::to_string(int(button)) + ShiftText(shift) + " " +
                      std::to_string(x) + "," + std::to_string(y));
    }
    void MouseMove(TShiftState, int, int) override {}
    void MouseUp(TMouseButton button, TShiftState, int x, int y) override {
        Log.push_back("mouseup " + std::to_string(int(button)) + " " + std::to_string(x) + "," +
                      std::to_string(y));
    }
    void DblClick() override { Log.push_back("dblclick"); }
    void CompositionChanged(std::string_view preedit) override {
        Log.push_back("compose " + std::string(preedit));
    }
    bool MouseWheel(TScrollBarKind bar, int delta, TShiftState shift) override {
        Log.push_back(std::string("wheel ") + (bar == TScrollBarKind::Vertical ? "v " : "h ") +
                      std::to_string(delta) + ShiftText(shift));
        return true;
    }
    void Scroll(TScrollBarKind bar, TScrollCode code, int position) override {
        Log.push_back(std::string("scroll ") + (bar == TScrollBarKind::Vertical ? "v " : "h ") +
                      std::to_string(int(code)) + " " + std::to_string(position));
    }
    void Timer(int id) override { Log.push_back("timer " + std::to_string(id)); }

    // The entries that start with prefix, in order.
    std::vector<std::string> Only(const std::string& prefix) const {
        std::vector<std::string> result;
        for (const std::string& entry : Log)
            if (entry.rfind(prefix, 0) == 0) result.push_back(entry);
        return result;
    }

    std::string Row;
    std::vector<std::string> Log;

private:
    EditorHost& FHost;
};

class EditorHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        FHost.resize(320, 200);
        FHost.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&FHost));
        FHost.activateWindow();
        ASSERT_TRUE(FHost.SetFocus());
        QApplication::processEvents();
        FSink.Log.clear();
    }

    QImage Grab() {
        return FHost.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    EditorHost FHost;
    TestSink FSink{FHost};
};

int InkIn(const QImage& image, const QRect& rect) {
    int ink = 0;
    QRgb white = QColor(Qt::white).rgb();
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (image.pixel(x, y) != white) ++ink;
    return ink;
}

} // namespace

// What the contract leaves to the backend: the modifier keys themselves come too (the editor
// watches Ctrl while dragging), and Tab stays in the control.
TEST_F(EditorHostTest, ModifierKeysComeTooAndTabStaysHere) {
    QTest::keyClick(&FHost, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(&FHost, Qt::Key_Tab);
    EXPECT_EQ(FSink.Log,
              (std::vector<std::string>{"down 17 ctrl", "down 67 ctrl", "press 3", "up 67 ctrl",
                                        "up 17", "down 9", "press 9", "up 9"}));
    EXPECT_TRUE(FHost.hasFocus());
}

TEST_F(EditorHostTest, MouseWheelAndFocus) {
    QWidget* viewport = FHost.viewport();
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::ShiftModifier, QPoint(7, 9));
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, QPoint(30, 12));
    EXPECT_EQ(FSink.Log, (std::vector<std::string>{"mousedown 0 shift 7,9", "mouseup 0 7,9",
                                                   "dblclick", "mousedown 0 double 30,12"}));

    // Each direction on its own; Shift turns a plain wheel sideways; a touchpad's fine steps
    // pass as they come.
    auto wheel = [&](QPoint delta, Qt::KeyboardModifiers modifiers) {
        QPoint at(20, 20);
        QWheelEvent event(at, viewport->mapToGlobal(at), QPoint(), delta, Qt::NoButton, modifiers,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewport, &event);
        return event.isAccepted();
    };
    FSink.Log.clear();
    EXPECT_TRUE(wheel(QPoint(0, -120), Qt::NoModifier));
    EXPECT_TRUE(wheel(QPoint(120, 0), Qt::NoModifier));
    EXPECT_TRUE(wheel(QPoint(0, 40), Qt::ShiftModifier));
    EXPECT_TRUE(wheel(QPoint(-15, 0), Qt::ShiftModifier));
    EXPECT_TRUE(wheel(QPoint(8, -24), Qt::NoModifier));
    EXPECT_EQ(FSink.Log,
              (std::vector<std::string>{"wheel v -120", "wheel h 120", "wheel h 40 shift",
                                        "wheel h -15 shift", "wheel v -24", "wheel h 8"}));

    // A click ends a composition before it reaches the control.
    FSink.Log.clear();
    QInputMethodEvent preedit(QStringLiteral("zh"), {});
    QApplication::sendEvent(&FHost, &preedit);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(40, 9));
    EXPECT_EQ(FSink.Log, (std::vector<std::string>{"compose zh", "compose ", "mousedown 0 40,9",
                                                   "mouseup 0 40,9"}));

    QWidget other;
    other.show();
    other.activateWindow();
    other.setFocus();
    QApplication::processEvents();
    EXPECT_EQ(FSink.Only("blur").size(), 1u);
    EXPECT_TRUE(FHost.SetFocus());
}

// The input method asks where the caret is to open its candidate window there, and hears when
// the caret moved.
TEST_F(EditorHostTest, TheInputMethodFindsTheCaret) {
    QWidget& widget = FHost; // as Qt asks it
    EXPECT_TRUE(widget.inputMethodQuery(Qt::ImEnabled).toBool());
    EXPECT_TRUE(FHost.testAttribute(Qt::WA_InputMethodEnabled));
    ASSERT_EQ(QGuiApplication::focusObject(), &FHost);
    QSignalSpy moved(QGuiApplication::inputMethod(), &QInputMethod::cursorRectangleChanged);
    FHost.CreateCaret(2, 14);
    FHost.ShowCaret();
    FHost.SetCaretPosition(37, 52);
    EXPECT_EQ(moved.size(), 1);
    // In the widget's coordinates: the frame lies around the viewport.
    const QPoint offset = FHost.viewport()->pos();
    EXPECT_GT(offset.x(), 0);
    EXPECT_EQ(widget.inputMethodQuery(Qt::ImCursorRectangle).toRect(),
              QRect(QPoint(37, 52) + offset, QSize(2, 14)));
    EXPECT_EQ(QGuiApplication::inputMethod()->cursorRectangle().toRect(),
              QRect(FHost.mapTo(FHost.window(), QPoint(37, 52) + offset), QSize(2, 14)));
    FHost.SetCaretPosition(37, 52);
    EXPECT_EQ(moved.size(), 1);
}

TEST_F(EditorHostTest, ResizeReportsTheClientArea) {
    FHost.resize(400, 260);
    QApplication::processEvents();
    ASSERT_FALSE(FSink.Only("resized").empty());
    QSize client = FHost.viewport()->size();
    EXPECT_EQ(FSink.Only("resized").back(),
              "resized " + std::to_string(client.width()) + "x" + std::to_string(client.height()));
    EXPECT_LT(client.width(), 400); // the scroll bar and frame take their part
    EXPECT_EQ(FHost.WindowImage().size(), client);
    FHost.SetWindowStyle(false, false, false);
    QApplication::processEvents();
    EXPECT_EQ(FHost.ClientWidth(), 400);
}

TEST_F(EditorHostTest, PaintShowsTheWindowCanvasAndTheCaret) {
    // 中 cut nowhere, then a, at cells of 6 pixels.
    FSink.Row = "\xD6\xD0"
                "a";
    FHost.Invalidate();
    QImage shot = Grab();
    EXPECT_EQ(FSink.Only("paint").size(), 1u);
    EXPECT_GT(InkIn(shot, QRect(0, 0, 6, 18)), 0);
    EXPECT_GT(InkIn(shot, QRect(6, 0, 6, 18)), 0);
    EXPECT_GT(InkIn(shot, QRect(12, 0, 6, 18)), 0);
    EXPECT_EQ(InkIn(shot, QRect(18, 0, 60, 18)), 0);

    // Drawing outside a paint reaches the screen without asking the control again.
    FHost.WindowCanvas()->SetBrushColor(clBlue);
    FHost.WindowCanvas()->FillRect({100, 100, 110, 110});
    shot = Grab();
    EXPECT_EQ(shot.pixelColor(105, 105), QColor(Qt::blue));
    EXPECT_EQ(FSink.Only("paint").size(), 1u);

    // The caret inverts a 2-pixel bar; hidden, the window shows through again.
    FHost.CreateCaret(2, 14);
    FHost.SetCaretPosition(200, 40);
    FHost.ShowCaret();
    EXPECT_TRUE(FHost.CaretVisible());
    shot = Grab();
    EXPECT_EQ(shot.pixelColor(200, 40), QColor(Qt::black));
    EXPECT_EQ(shot.pixelColor(201, 53), QColor(Qt::black));
    EXPECT_EQ(shot.pixelColor(202, 45), QColor(Qt::white));
    EXPECT_EQ(shot.pixelColor(200, 54), QColor(Qt::white));
    FHost.HideCaret();
    shot = Grab();
    EXPECT_EQ(shot.pixelColor(200, 40), QColor(Qt::white));
    FHost.ShowCaret();
    FHost.DestroyCaret();
    EXPECT_EQ(Grab().pixelColor(200, 40), QColor(Qt::white));

    // A pixel scroll moves the window's pixels and reports the band left to paint.
    TRect band = FHost.ScrollWindow(20, {0, 0, FHost.ClientWidth(), FHost.ClientHeight()});
    EXPECT_EQ(band, (TRect{0, 0, FHost.ClientWidth(), 20}));
    shot = Grab();
    EXPECT_EQ(shot.pixelColor(105, 125), QColor(Qt::blue));
    EXPECT_GT(InkIn(shot, QRect(0, 20, 18, 18)), 0);
}

TEST_F(EditorHostTest, ScrollBarsMoveOnlyWhenTheControlSetsThem) {
    QScrollBar* vertical = FHost.verticalScrollBar();
    FHost.SetScrollRange(TScrollBarKind::Vertical, 1, 100, 10, 95);
    EXPECT_EQ(FHost.ScrollPosition(TScrollBarKind::Vertical), 91);
    EXPECT_EQ(vertical->maximum(), 91);
    EXPECT_EQ(vertical->value(), 91);
    EXPECT_TRUE(vertical->isEnabled());
    FHost.SetScrollRange(TScrollBarKind::Horizontal, 1, 10, 20, 1);
    EXPECT_FALSE(FHost.horizontalScrollBar()->isEnabled());

    FHost.SetScrollPosition(TScrollBarKind::Vertical, 50);
    vertical->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    vertical->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(FSink.Only("scroll"),
              (std::vector<std::string>{
                  "scroll v " + std::to_string(int(TScrollCode::scLineDown)) + " 51",
                  "scroll v " + std::to_string(int(TScrollCode::scPageUp)) + " 40"}));
    EXPECT_EQ(vertical->value(), 50);
    EXPECT_EQ(FHost.ScrollPosition(TScrollBarKind::Vertical), 50);
    FHost.SetScrollPosition(TScrollBarKind::Vertical, 60);
    EXPECT_EQ(vertical->value(), 60);
}

TEST_F(EditorHostTest, TimersFireUntilKilled) {
    FHost.SetTimer(1, 50);
    QElapsedTimer clock;
    clock.start();
    while (FSink.Only("timer").size() < 2 && clock.elapsed() < 5000)
        QTest::qWait(10);
    EXPECT_GE(FSink.Only("timer").size(), 2u);
    EXPECT_EQ(FSink.Only("timer").front(), "timer 1");
    FHost.KillTimer(1);
    FSink.Log.clear();
    QTest::qWait(200);
    EXPECT_TRUE(FSink.Only("timer").empty());
}

// The exact bytes go with the text only while that text is ours: a program that replaced the
// text but kept the other formats gets its text pasted.
TEST(QtClipboard, TextChangedByAnotherProgramWinsOverTheBytesBesideIt) {
    QtClipboard clipboard;
    clipboard.SetText("a\x81");
    const QMimeData* ours = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(ours, nullptr);
    EXPECT_EQ(ours->text(), QString::fromUtf8("a\xEF\xBF\xBD"));
    const QStringList formats = ours->formats();
    auto changed = std::make_unique<QMimeData>();
    for (const QString& format : formats)
        changed->setData(format, ours->data(format));
    changed->setText(QStringLiteral("b"));
    QGuiApplication::clipboard()->setMimeData(changed.release());
    EXPECT_EQ(clipboard.GetText(), "b");
    // Text that converts exactly needs nothing beside it.
    clipboard.SetText("\xD6\xD0");
    EXPECT_EQ(QGuiApplication::clipboard()->mimeData()->formats(), QStringList{"text/plain"});
}
