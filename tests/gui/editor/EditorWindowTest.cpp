// The editor in its real Qt host: typing with QTest fills the buffer, the caret follows,
// and the grabbed window shows the text in its cells; an input method composes at the caret
// and finds it; mouse selection, the wheel and the scroll bar drive the editor.
#include <gtest/gtest.h>

#include <QApplication>
#include <QInputMethodEvent>
#include <QScrollBar>
#include <QTest>
#include <QTextCharFormat>
#include <QWheelEvent>

#include "editor/MemoComponent.h"
#include "platform/qt/EditorHost.h"

using namespace platform;
using namespace platform::qt;

namespace {

class EditorWindowTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        FHost.resize(400, 300);
        FMemo.SetBitmapped(GetParam());
        FHost.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&FHost));
        FMemo.WindowCreated();
        FHost.activateWindow();
        ASSERT_TRUE(FHost.SetFocus());
        QApplication::processEvents();
    }

    QImage Grab() {
        return FHost.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    // Pixels of the cell (row, column; both 0-based) that differ from background, the caret
    // left out.
    int InkInCell(const QImage& image, int row, int column, QColor background) {
        QRect cell(FMemo.LeftMargin() + column * FMemo.CharWidth(), row * FMemo.LineHeight(),
                   FMemo.CharWidth(), FMemo.LineHeight());
        int ink = 0;
        for (int y = cell.top(); y <= cell.bottom(); ++y)
            for (int x = cell.left(); x <= cell.right(); ++x)
                if (image.pixelColor(x, y) != background && !FHost.CaretRect().contains(x, y))
                    ++ink;
        return ink;
    }

    // An input method's preedit, underlined, its cursor at its end.
    void Compose(const char* utf8) {
        const QString preedit = QString::fromUtf8(utf8);
        QTextCharFormat underlined;
        underlined.setFontUnderline(true);
        const int length = static_cast<int>(preedit.size());
        QInputMethodEvent event(
            preedit,
            {QInputMethodEvent::Attribute(QInputMethodEvent::TextFormat, 0, length, underlined),
             QInputMethodEvent::Attribute(QInputMethodEvent::Cursor, length, 1)});
        QApplication::sendEvent(&FHost, &event);
    }
    void Commit(const char* utf8) {
        QInputMethodEvent event;
        event.setCommitString(QString::fromUtf8(utf8));
        QApplication::sendEvent(&FHost, &event);
    }
    // Where the input method opens its candidate window, in viewport coordinates.
    QRect CandidatePlace() {
        QWidget& widget = FHost;
        return widget.inputMethodQuery(Qt::ImCursorRectangle)
            .toRect()
            .translated(-FHost.viewport()->pos());
    }
    // The caret's place before the cell of text position pos (as the editor puts it).
    QPoint CaretBefore(int32_t pos) {
        TRowCol rowCol = FMemo.CharPosToRowCol(pos);
        return {FMemo.LeftMargin() +
                    (rowCol.Col - FMemo.VisibleRange().LeftCol()) * FMemo.CharWidth() - 1,
                (rowCol.Row - FMemo.VisibleRange().TopRow()) * FMemo.LineHeight() + 1};
    }

    EditorHost FHost;
    TMemoComponent FMemo{&FHost};
};

} // namespace

TEST_P(EditorWindowTest, TypedTextReachesTheBufferTheCaretAndTheScreen) {
    EXPECT_EQ(FMemo.CharWidth(), 6);
    EXPECT_GE(FMemo.LineHeight(), 12);
    QTest::keyClicks(&FHost, "sel");
    // A Chinese character (QTest::keyClicks takes only ASCII) and an input method's commit.
    QTest::sendKeyEvent(QTest::Click, &FHost, Qt::Key_unknown, QString::fromUtf8("中"),
                        Qt::NoModifier);
    QInputMethodEvent commit;
    commit.setCommitString(QString::fromUtf8("文"));
    QApplication::sendEvent(&FHost, &commit);
    QTest::keyClick(&FHost, Qt::Key_Return);
    QTest::keyClicks(&FHost, "x");
    EXPECT_EQ(FMemo.Text(), "sel\xD6\xD0\xCE\xC4\r\nx");
    EXPECT_EQ(FMemo.Selection().CaretPos(), FMemo.TextLength() + 1);
    // The caret stands before the cell after "x" on row 2.
    QRect caret = FHost.CaretRect();
    EXPECT_EQ(caret.topLeft(),
              QPoint(FMemo.LeftMargin() + FMemo.CharWidth() - 1, FMemo.LineHeight() + 1));
    EXPECT_EQ(caret.width(), 2);
    EXPECT_TRUE(FHost.CaretVisible());

    const QColor white(Qt::white);
    QImage shot = Grab();
    for (int column = 0; column < 7; ++column)
        EXPECT_GT(InkInCell(shot, 0, column, white), 0) << "column " << column;
    EXPECT_EQ(InkInCell(shot, 0, 7, white), 0);
    EXPECT_GT(InkInCell(shot, 1, 0, white), 0);
    EXPECT_EQ(InkInCell(shot, 1, 2, white), 0);
    EXPECT_EQ(InkInCell(shot, 2, 0, white), 0);
    // The caret is drawn: an inverted bar left of row 2's second cell.
    EXPECT_EQ(shot.pixelColor(caret.left(), caret.top() + 2), QColor(Qt::black));

    // Backspace takes the last character whole, and both its cells go blank.
    QTest::keyClick(&FHost, Qt::Key_Up);
    QTest::keyClick(&FHost, Qt::Key_End);
    QTest::keyClick(&FHost, Qt::Key_Backspace);
    EXPECT_EQ(FMemo.Text(), "sel\xD6\xD0\r\nx");
    shot = Grab();
    EXPECT_GT(InkInCell(shot, 0, 4, white), 0);
    EXPECT_EQ(InkInCell(shot, 0, 5, white), 0);
    EXPECT_EQ(InkInCell(shot, 0, 6, white), 0);
    QTest::keyClick(&FHost, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(FMemo.Text(), "sel\xD6\xD0\xCE\xC4\r\nx");
}

TEST_P(EditorWindowTest, AnInputMethodComposesAtTheCaretAndCommitsOneUndoStep) {
    QTest::keyClicks(&FHost, "ab");
    const size_t records = FMemo.UndoList().size();
    const QColor white(Qt::white);
    EXPECT_EQ(CandidatePlace().topLeft(), CaretBefore(3));

    // The preedit shows in the cells after the caret, and is no text.
    Compose("zhong");
    QImage shot = Grab();
    for (int column = 2; column < 7; ++column)
        EXPECT_GT(InkInCell(shot, 0, column, white), 0) << "column " << column;
    EXPECT_EQ(InkInCell(shot, 0, 7, white), 0);
    EXPECT_EQ(FMemo.Text(), "ab");
    EXPECT_EQ(FMemo.UndoList().size(), records);
    // Underlined: the bottom half of the cell of "o" has a row inked across it.
    const int line = FMemo.LineHeight(), cell = FMemo.CharWidth(), left = FMemo.LeftMargin();
    int fullRows = 0;
    for (int y = line / 2; y < line; ++y) {
        int inked = 0;
        for (int x = left + 4 * cell; x < left + 5 * cell; ++x)
            inked += shot.pixelColor(x, y) != white;
        fullRows += inked == cell;
    }
    EXPECT_GE(fullRows, 1);
    // Cancelled: the cells are blank again.
    Compose("");
    shot = Grab();
    for (int column = 2; column < 8; ++column)
        EXPECT_EQ(InkInCell(shot, 0, column, white), 0) << "column " << column;

    // Committed: the characters are text, one undo step, and the longer preedit is gone.
    Compose("zhongwen");
    Commit("中文");
    EXPECT_EQ(FMemo.Text(), "ab\xD6\xD0\xCE\xC4");
    EXPECT_EQ(FMemo.UndoList().size(), records + 1);
    shot = Grab();
    for (int column = 2; column < 6; ++column)
        EXPECT_GT(InkInCell(shot, 0, column, white), 0) << "column " << column;
    for (int column = 6; column < 11; ++column)
        EXPECT_EQ(InkInCell(shot, 0, column, white), 0) << "column " << column;
    EXPECT_EQ(CandidatePlace().topLeft(), CaretBefore(7));
    QTest::keyClick(&FHost, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(FMemo.Text(), "ab");
}

// The candidate window's place follows the caret through edits and scrolling.
TEST_P(EditorWindowTest, TheInputMethodFindsTheCaretAfterScrolling) {
    std::string text;
    for (int row = 1; row <= 100; ++row)
        text += "row " + std::to_string(row) + "\r\n";
    FMemo.SetText(text);
    const int32_t place = FMemo.LineStart(40) + 2;
    FMemo.Selection().MoveCaret(place);
    FMemo.ScrollCaretIntoView();
    QApplication::processEvents();
    ASSERT_GT(FMemo.VisibleRange().TopRow(), 1);
    EXPECT_EQ(CandidatePlace(), FHost.CaretRect());
    EXPECT_EQ(CandidatePlace().topLeft(), CaretBefore(place));
    const QPoint before = CandidatePlace().topLeft();
    QPoint at(50, 50);
    QWheelEvent wheel(at, FHost.viewport()->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(FHost.viewport(), &wheel);
    EXPECT_EQ(CandidatePlace().topLeft(), before + QPoint(0, 3 * FMemo.LineHeight()));
    EXPECT_EQ(CandidatePlace().topLeft(), CaretBefore(place));
    QTest::keyClick(&FHost, Qt::Key_Right);
    EXPECT_EQ(CandidatePlace().topLeft(), CaretBefore(place + 1));
}

TEST_P(EditorWindowTest, MouseSelectionWheelAndScrollBar) {
    std::string text;
    for (int row = 1; row <= 100; ++row)
        text += "row " + std::to_string(row) + "\r\n";
    FMemo.SetText(text);
    QApplication::processEvents();
    QScrollBar* vertical = FHost.verticalScrollBar();
    EXPECT_EQ(vertical->maximum(), FMemo.LineCount() - FMemo.VisibleRows() + 1);

    // Drag the mouse over "row 1\r\nro": the selection is highlighted on screen.
    QWidget* viewport = FHost.viewport();
    const int cell = FMemo.CharWidth(), line = FMemo.LineHeight(), left = FMemo.LeftMargin();
    QTest::mousePress(viewport, Qt::LeftButton, {}, QPoint(left + 1, line / 2));
    QTest::mouseMove(viewport, QPoint(left + 2 * cell + 1, line + line / 2));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, QPoint(left + 2 * cell + 1, line + line / 2));
    EXPECT_EQ(FMemo.Selection().GetText(), "row 1\r\nro");
    QImage shot = Grab();
    const QColor highlight = FHost.palette().color(QPalette::Highlight);
    EXPECT_EQ(shot.pixelColor(left + cell * 3, 1), highlight);
    EXPECT_EQ(shot.pixelColor(left + cell * 20, 1), highlight); // the break runs to the edge
    EXPECT_EQ(shot.pixelColor(left + cell * 3, line + 1), QColor(Qt::white));

    // Three rows per wheel notch; the bar follows; a bar action scrolls the text.
    QPoint at(50, 50);
    QWheelEvent wheel(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &wheel);
    EXPECT_EQ(FMemo.VisibleRange().TopRow(), 4);
    EXPECT_EQ(vertical->value(), 4);
    vertical->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(FMemo.VisibleRange().TopRow(), 4 + FMemo.VisibleRows());
    EXPECT_EQ(vertical->value(), 4 + FMemo.VisibleRows());
    // The top row on screen now reads as its row: ink in the first cells, the rest blank.
    shot = Grab();
    const int top = 4 + FMemo.VisibleRows();
    const int digits = static_cast<int>(std::to_string(top).size());
    int ink = 0;
    for (int x = left; x < left + (4 + digits) * cell; ++x)
        for (int y = 0; y < line; ++y)
            ink += shot.pixelColor(x, y) != QColor(Qt::white);
    EXPECT_GT(ink, 0);
    for (int x = left + (4 + digits) * cell; x < left + 20 * cell; ++x)
        for (int y = 0; y < line; ++y)
            ASSERT_EQ(shot.pixelColor(x, y), QColor(Qt::white));
}

TEST_P(EditorWindowTest, TheScreenAfterScrollingShowsTheScrolledText) {
    std::string text;
    for (int row = 1; row <= 100; ++row)
        text += "row " + std::to_string(row) + "\r\n";
    FMemo.SetText(text);
    QApplication::processEvents();
    // What the screen itself holds (not a fresh rendering of the widget).
    auto screen = [&] {
        QApplication::processEvents();
        QImage shot = FHost.screen()
                          ->grabWindow(FHost.winId())
                          .toImage()
                          .convertToFormat(QImage::Format_RGB32);
        return shot.copy(
            QRect(FHost.viewport()->mapTo(&FHost, QPoint(0, 0)), FHost.viewport()->size()));
    };
    ASSERT_FALSE(screen().isNull());
    for (int step = 0; step < 5; ++step)
        FMemo.Scroll(TScrollBarKind::Vertical, TScrollCode::scLineDown, 0);
    FMemo.Scroll(TScrollBarKind::Vertical, TScrollCode::scLineUp, 0);
    QImage scrolled = screen();
    // The same view painted whole.
    FHost.Invalidate();
    QImage repainted = screen();
    EXPECT_TRUE(scrolled == repainted);
    EXPECT_EQ(FMemo.VisibleRange().TopRow(), 5);
}

INSTANTIATE_TEST_SUITE_P(DirectAndBitmapped, EditorWindowTest, ::testing::Bool());
