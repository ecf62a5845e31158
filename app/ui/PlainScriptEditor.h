// TPlainScriptEditor: a script editor over Qt's plain text control, without colouring.
#pragma once

#include <memory>

#include "app/ui/ScriptEditor.h"

class QPlainTextEdit;

class TPlainScriptEditor : public TScriptEditor {
public:
    TPlainScriptEditor();
    ~TPlainScriptEditor() override;
    QWidget* Widget() override;
    TStrings& Lines() override;
    std::string Text() const override;
    void SetText(std::string_view text) override;
    void Clear() override;
    void SelectAll() override;
    void CopyToClipboard() override;

private:
    class TLines;
    QPlainTextEdit* FEdit; // owned by its parent once placed, else by FOwnedEdit
    std::unique_ptr<QPlainTextEdit> FOwnedEdit;
    std::unique_ptr<TLines> FLines;
};
