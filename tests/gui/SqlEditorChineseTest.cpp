// Chinese text in the main window's SQL editor, typed and edited through real key and mouse
// events: every caret move, deletion, selection and click keeps characters whole.
#include <QApplication>
#include <QClipboard>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

#include "app/ui/MainForm.h"
#include "app/ui/QtText.h"
#include "platform/CodePage.h"
#include "platform/qt/EditorHost.h"
#include "tests/common/TestFiles.h"

namespace {

using testing_support::TempFolder;

std::string CodePage(const char* utf8) {
    return platform::Utf8ToCodePage(utf8, platform::TConversion::Strict);
}

class SqlEditorChineseTest : public ::testing::Test {
protected:
    void SetUp() override {
        TMainFormSetup setup;
        setup.SettingsPath = Folder.Path() + "/config.ini";
        setup.StartUpgradeCheck = [] {};
        Form = std::make_unique<TmainForm>(setup);
        Form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
        Host = dynamic_cast<platform::qt::EditorHost*>(Form->redtSQL->Widget());
        ASSERT_NE(Host, nullptr);
        Host->activateWindow();
        Host->setFocus();
    }

    std::string Text() const { return Form->redtSQL->Text(); }
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(Host, key, modifiers);
    }
    // One key event per character, four-byte ones (two UTF-16 units) included.
    void Type(const char* utf8) {
        for (char32_t code : QString::fromUtf8(utf8).toUcs4()) {
            QString text = QString::fromUcs4(&code, 1);
            Qt::Key key = code < 0x80 && QChar(code).isLetter()
                              ? Qt::Key(Qt::Key_A + (QChar(code).toUpper().unicode() - 'A'))
                              : Qt::Key_unknown;
            QTest::sendKeyEvent(QTest::Click, Host, key, text, Qt::NoModifier);
        }
    }
    // What Ctrl+C puts on the clipboard, as UTF-8.
    std::string Copied() {
        QApplication::clipboard()->clear();
        Key(Qt::Key_C, Qt::ControlModifier);
        return QApplication::clipboard()->text().toStdString();
    }
    QPoint CaretPoint() const { return Host->CaretRect().center(); }

    TempFolder Folder{"quorvel-gui-editor"};
    std::unique_ptr<TmainForm> Form;
    platform::qt::EditorHost* Host = nullptr;
};

TEST_F(SqlEditorChineseTest, KeysMoveDeleteAndSelectWholeCharacters) {
    // Backspace after 中 in 中a takes 中 (one byte of it would leave D6 61, which reads 謅).
    Type("中a");
    Key(Qt::Key_Left);
    Key(Qt::Key_Backspace);
    EXPECT_EQ(Text(), "a");
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Text(), CodePage("中a"));
    // Delete, arrows and Shift+arrows step over whole characters, four-byte ones too.
    Key(Qt::Key_End);
    Type("文𠀀b");
    Key(Qt::Key_Home);
    Key(Qt::Key_Right);
    Key(Qt::Key_Delete);
    EXPECT_EQ(Text(), CodePage("中文𠀀b"));
    Key(Qt::Key_Right, Qt::ShiftModifier);
    Key(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(Copied(), "文𠀀");
    Key(Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(Copied(), "文");
}

TEST_F(SqlEditorChineseTest, ClicksAndDoubleClicksLandBetweenCharacters) {
    Type("中文ab");
    Key(Qt::Key_Home);
    const QPoint start = CaretPoint();
    Key(Qt::Key_End);
    const int cell = (CaretPoint().x() - start.x()) / 6;
    ASSERT_GT(cell, 2);
    // The left half of 中's second cell: the caret goes before 中, and typing keeps it whole.
    QTest::mouseClick(Host->viewport(), Qt::LeftButton, {},
                      QPoint(start.x() + cell + 2, start.y()));
    Type("x");
    EXPECT_EQ(Text(), CodePage("x中文ab"));

    // 時 ends in the byte "r": a double click on "abc" after it selects "abc" alone.
    Key(Qt::Key_Home, Qt::ControlModifier);
    Key(Qt::Key_End, Qt::ControlModifier | Qt::ShiftModifier);
    Key(Qt::Key_Delete);
    Type("時abc");
    Key(Qt::Key_Home);
    const QPoint b(start.x() + cell * 3 + cell / 2, start.y());
    QTest::mouseClick(Host->viewport(), Qt::LeftButton, {}, b);
    QTest::mouseDClick(Host->viewport(), Qt::LeftButton, {}, b);
    EXPECT_EQ(Copied(), "abc");
}

} // namespace
