// The main window's SQL editor driven like a user, with no database: Chinese text moved over,
// deleted, selected and clicked by whole characters, keys that type no text, copy and paste of
// bytes that form no character, and Chinese through an input method.
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QTest>
#include <QTextCharFormat>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/ui/MainForm.h"
#include "app/ui/ScriptEditor.h"
#include "platform/CodePage.h"
#include "platform/qt/EditorHost.h"
#include "tests/common/TestFiles.h"

namespace {

using namespace testing_support;

class EditorInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        TMainFormSetup setup;
        setup.SettingsPath = Folder.Path() + "/config.ini";
        setup.StartUpgradeCheck = [] {};
        Form = std::make_unique<TmainForm>(setup);
        Form->Messages().SetResponder(
            [this](const TMessageBoxRequest& box) { Boxes.push_back(box); });
        Form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
        Editor = Form->redtSQL->Widget();
        Editor->activateWindow();
        Editor->setFocus();
        QApplication::processEvents();
        ASSERT_TRUE(Editor->hasFocus());
    }
    void TearDown() override { EXPECT_TRUE(Boxes.empty()); }

    std::string Text() const { return Form->redtSQL->Text(); }
    platform::qt::EditorHost* Host() const {
        return dynamic_cast<platform::qt::EditorHost*>(Editor);
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(Editor, key, modifiers);
    }
    // One key event per character, four-byte ones (two UTF-16 units) included.
    void Type(const char* utf8) {
        for (char32_t code : QString::fromUtf8(utf8).toUcs4()) {
            QString text = QString::fromUcs4(&code, 1);
            Qt::Key key = code < 0x80 && QChar(code).isLetter()
                              ? Qt::Key(Qt::Key_A + (QChar(code).toUpper().unicode() - 'A'))
                              : Qt::Key_unknown;
            QTest::sendKeyEvent(QTest::Click, Editor, key, text, Qt::NoModifier);
        }
    }
    // What Ctrl+C puts on the clipboard, as UTF-8.
    std::string Copied() {
        QApplication::clipboard()->clear();
        Key(Qt::Key_C, Qt::ControlModifier);
        return QApplication::clipboard()->text().toStdString();
    }
    QPoint CaretPoint() const { return Host()->CaretRect().center(); }
    static std::string CodePage(const char* utf8) {
        return platform::Utf8ToCodePage(utf8, platform::TConversion::Strict);
    }

    TempFolder Folder{"quorvel-gui-input"};
    std::vector<TMessageBoxRequest> Boxes;
    std::unique_ptr<TmainForm> Form;
    QWidget* Editor = nullptr;
};

} // namespace

// Ctrl+Enter, Ctrl+Backspace and Alt with a letter type no text, whatever else they do: at
// the start of the text there is nothing for them to take away, so the text stays as it was.
TEST_F(EditorInputTest, KeysThatTypeNoTextLeaveTheTextAsItWas) {
    QTest::keyClicks(Editor, "ab");
    QTest::keyClick(Editor, Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(Editor, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(Text(), "ab");
    QTest::keyClick(Editor, Qt::Key_Backspace, Qt::ControlModifier);
    EXPECT_EQ(Text(), "ab");
    QTest::keyClick(Editor, Qt::Key_Q, Qt::AltModifier);
    QTest::keyClick(Editor, Qt::Key_W, Qt::AltModifier | Qt::ShiftModifier);
    EXPECT_EQ(Text(), "ab");
    // The keys still work: Enter breaks the line.
    QTest::keyClick(Editor, Qt::Key_Return);
    EXPECT_EQ(Text(), "\r\nab");
}

TEST_F(EditorInputTest, CopyAndPasteGiveBackBytesThatFormNoCharacter) {
    // Chinese, U+20000, and lone bytes.
    const std::string bytes = "x\xD6\xD0\xCE\xC4\x95\x32\x82\x36\xFF"
                              "y\x80z\x81";
    Form->redtSQL->SetText(bytes);
    Form->redtSQL->SelectAll();
    QTest::keyClick(Editor, Qt::Key_C, Qt::ControlModifier);
    // Other programs get readable text.
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              QString::fromUtf8("x中文\xF0\xA0\x80\x80\xEF\xBF\xBDy\xEF\xBF\xBDz\xEF\xBF\xBD"));
    QTest::keyClick(Editor, Qt::Key_Delete);
    EXPECT_EQ(Text(), "");
    QTest::keyClick(Editor, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Text(), bytes);
    QTest::keyClick(Editor, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Text(), bytes + bytes);

    // Text another program copied is pasted converted.
    QGuiApplication::clipboard()->setText(QString::fromUtf8("外来"));
    Form->redtSQL->SelectAll();
    QTest::keyClick(Editor, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Text(), "\xCD\xE2\xC0\xB4");
}

TEST_F(EditorInputTest, ChineseComposedWithAnInputMethodIsOneUndoStep) {
    QTest::keyClicks(Editor, "select ");
    QTextCharFormat underlined;
    underlined.setFontUnderline(true);
    for (const char* pinyin : {"zh", "zhong", "zhongwen"}) {
        const QString preedit = QString::fromUtf8(pinyin);
        QInputMethodEvent event(
            preedit, {QInputMethodEvent::Attribute(QInputMethodEvent::TextFormat, 0,
                                                   static_cast<int>(preedit.size()), underlined)});
        QApplication::sendEvent(Editor, &event);
        EXPECT_EQ(Text(), "select ");
    }
    QInputMethodEvent commit;
    commit.setCommitString(QString::fromUtf8("中文"));
    QApplication::sendEvent(Editor, &commit);
    EXPECT_EQ(Text(), "select \xD6\xD0\xCE\xC4");
    QTest::keyClick(Editor, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Text(), "select ");
    QTest::keyClick(Editor, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Text(), "");
}

TEST_F(EditorInputTest, KeysMoveDeleteAndSelectWholeCharacters) {
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

TEST_F(EditorInputTest, ClicksAndDoubleClicksLandBetweenCharacters) {
    Type("中文ab");
    Key(Qt::Key_Home);
    const QPoint start = CaretPoint();
    Key(Qt::Key_End);
    const int cell = (CaretPoint().x() - start.x()) / 6;
    ASSERT_GT(cell, 2);
    // The left half of 中's second cell: the caret goes before 中, and typing keeps it whole.
    QTest::mouseClick(Host()->viewport(), Qt::LeftButton, {},
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
    QTest::mouseClick(Host()->viewport(), Qt::LeftButton, {}, b);
    QTest::mouseDClick(Host()->viewport(), Qt::LeftButton, {}, b);
    EXPECT_EQ(Copied(), "abc");
}
