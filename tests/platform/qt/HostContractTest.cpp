// The window host contract on the Qt backend (offscreen): keys clicked with QTest, input
// methods as QInputMethodEvents, the clipboard as the application's own.
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QTest>
#include <QTextCharFormat>

#include "platform/qt/EditorHost.h"
#include "tests/platform/HostContract.h"

using namespace platform;

namespace {

Qt::Key QtKeyFor(uint16_t key) {
    if (key >= 'A' && key <= 'Z') return static_cast<Qt::Key>(Qt::Key_A + (key - 'A'));
    if (key >= '0' && key <= '9') return static_cast<Qt::Key>(Qt::Key_0 + (key - '0'));
    switch (key) {
    case VK_RETURN:
        return Qt::Key_Return;
    case VK_BACK:
        return Qt::Key_Backspace;
    case VK_TAB:
        return Qt::Key_Tab;
    case VK_DELETE:
        return Qt::Key_Delete;
    case VK_LEFT:
        return Qt::Key_Left;
    default:
        return Qt::Key_unknown;
    }
}

// The text X11 gives with the key (with or without modifiers; the host decides what counts).
QString TextFor(uint16_t key, bool shift) {
    if (key >= 'A' && key <= 'Z') return QString(QChar(shift ? key : key + 32));
    if (key >= '0' && key <= '9') return QString(QChar(key));
    switch (key) {
    case VK_RETURN:
        return QStringLiteral("\r");
    case VK_BACK:
        return QStringLiteral("\b");
    case VK_TAB:
        return QStringLiteral("\t");
    case VK_DELETE:
        return QStringLiteral("\x7F");
    default:
        return {};
    }
}

class TQtDriver {
public:
    TQtDriver() {
        FHost.resize(200, 120);
        FHost.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&FHost));
        FHost.activateWindow();
        EXPECT_TRUE(FHost.SetFocus());
        QApplication::processEvents();
    }

    WindowHost& Host() { return FHost; }
    void Click(uint16_t key, TShiftState shift) {
        Qt::KeyboardModifiers modifiers;
        if (shift.Contains(TShiftFlag::ssShift)) modifiers |= Qt::ShiftModifier;
        if (shift.Contains(TShiftFlag::ssCtrl)) modifiers |= Qt::ControlModifier;
        if (shift.Contains(TShiftFlag::ssAlt)) modifiers |= Qt::AltModifier;
        QTest::sendKeyEvent(QTest::Click, &FHost, QtKeyFor(key),
                            TextFor(key, shift.Contains(TShiftFlag::ssShift)), modifiers);
    }
    void TypeCharacter(std::string_view utf8) {
        QTest::sendKeyEvent(QTest::Click, &FHost, Qt::Key_unknown, FromUtf8(utf8), Qt::NoModifier);
    }
    void Compose(std::string_view utf8) {
        const QString preedit = FromUtf8(utf8);
        QList<QInputMethodEvent::Attribute> attributes;
        QTextCharFormat underlined;
        underlined.setFontUnderline(true);
        attributes << QInputMethodEvent::Attribute(QInputMethodEvent::TextFormat, 0,
                                                   static_cast<int>(preedit.size()), underlined)
                   << QInputMethodEvent::Attribute(QInputMethodEvent::Cursor,
                                                   static_cast<int>(preedit.size()), 1);
        QInputMethodEvent event(preedit, attributes);
        QApplication::sendEvent(&FHost, &event);
    }
    void Commit(std::string_view utf8) {
        QInputMethodEvent event;
        event.setCommitString(FromUtf8(utf8));
        QApplication::sendEvent(&FHost, &event);
    }
    void LoseFocus() {
        FOther.show();
        FOther.activateWindow();
        FOther.setFocus();
        QApplication::processEvents();
    }
    void PutForeignText(std::string_view utf8) {
        QGuiApplication::clipboard()->setText(FromUtf8(utf8));
    }
    hostcontract::THostCaret Caret() {
        const QRect rect = FHost.CaretRect();
        return {FHost.CaretVisible(), {rect.x(), rect.y()}, rect.width(), rect.height()};
    }

private:
    static QString FromUtf8(std::string_view utf8) {
        return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    }

    qt::EditorHost FHost;
    QWidget FOther;
};

} // namespace

namespace hostcontract {
INSTANTIATE_TYPED_TEST_SUITE_P(Qt, HostContract, TQtDriver);
}
