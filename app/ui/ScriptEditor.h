// TScriptEditor: what the main window asks of its two editors (the SQL editor and the script
// view), so the handlers are written once against the editor's own operations.
#pragma once

#include <string>
#include <string_view>

#include "base/Strings.h"

class QWidget;

class TScriptEditor {
public:
    virtual ~TScriptEditor() = default;
    // The widget that goes into the window's layout; owned by the editor until placed.
    virtual QWidget* Widget() = 0;
    // The line list: Clear and Add are what the export writes through.
    virtual TStrings& Lines() = 0;
    // The whole text (lines joined by CR LF) in the code page.
    virtual std::string Text() const = 0;
    virtual void SetText(std::string_view text) = 0;
    virtual void Clear() = 0;
    // Forgets the undo history: text the program put in is not the user's to undo.
    virtual void ClearUndo() = 0;
    virtual void SelectAll() = 0;
    // Copies the selection to the clipboard as text.
    virtual void CopyToClipboard() = 0;
};
