#include "app/ui/PlainScriptEditor.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>

#include "app/ui/QtText.h"

namespace {

std::string ToLines(const QString& plain) {
    std::string text = FromQString(plain);
    std::string result;
    result.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n') result += '\r';
        result += c;
    }
    return result;
}

} // namespace

class TPlainScriptEditor::TLines : public TStrings {
public:
    explicit TLines(TPlainScriptEditor& owner) : FOwner(owner) {}
    QPlainTextEdit& Edit() const { return *FOwner.FEdit; }
    bool Empty() const { return Edit().document()->isEmpty() && !FOneEmptyLine; }
    int Count() const override { return Empty() ? 0 : Edit().document()->blockCount(); }
    std::string Get(int index) const override {
        return FromQString(Edit().document()->findBlockByNumber(index).text());
    }
    void Put(int index, const std::string& line) override {
        QTextCursor cursor(Edit().document()->findBlockByNumber(index));
        cursor.select(QTextCursor::BlockUnderCursor);
        cursor.movePosition(QTextCursor::StartOfBlock);
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        cursor.insertText(ToQString(line));
    }
    void Insert(int index, const std::string& line) override {
        if (index >= Count()) {
            Add(line);
            return;
        }
        QTextCursor cursor(Edit().document()->findBlockByNumber(index));
        cursor.insertText(ToQString(line) + QChar(u'\n'));
    }
    void Delete(int index) override {
        QTextCursor cursor(Edit().document()->findBlockByNumber(index));
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    }
    void Clear() override {
        Edit().clear();
        FOneEmptyLine = false;
    }
    int Add(const std::string& line) override {
        if (Empty()) {
            Edit().setPlainText(ToQString(line));
            FOneEmptyLine = line.empty();
        } else {
            // A cursor at the end: appendPlainText would scroll and lay out at every line.
            QTextCursor cursor(Edit().document());
            cursor.movePosition(QTextCursor::End);
            cursor.insertBlock();
            cursor.insertText(ToQString(line));
            FOneEmptyLine = false;
        }
        return Count() - 1;
    }
    std::string Text() const override { return ToLines(Edit().toPlainText()); }
    void SetText(const std::string& text) override {
        Clear();
        Edit().setPlainText(ToQString(text));
    }

private:
    TPlainScriptEditor& FOwner;
    bool FOneEmptyLine = false;
};

TPlainScriptEditor::TPlainScriptEditor()
    : FEdit(new QPlainTextEdit), FOwnedEdit(FEdit), FLines(std::make_unique<TLines>(*this)) {
    FEdit->setLineWrapMode(QPlainTextEdit::NoWrap);
}

TPlainScriptEditor::~TPlainScriptEditor() {
    // Once placed, the window's widget tree frees the control.
    if (FOwnedEdit && FOwnedEdit->parent()) (void)FOwnedEdit.release();
}

QWidget* TPlainScriptEditor::Widget() { return FEdit; }
TStrings& TPlainScriptEditor::Lines() { return *FLines; }
std::string TPlainScriptEditor::Text() const { return FLines->Text(); }
void TPlainScriptEditor::SetText(std::string_view text) { FLines->SetText(std::string(text)); }
void TPlainScriptEditor::Clear() { FLines->Clear(); }
void TPlainScriptEditor::SelectAll() { FEdit->selectAll(); }
void TPlainScriptEditor::CopyToClipboard() { FEdit->copy(); }
