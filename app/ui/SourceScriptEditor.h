// TSourceScriptEditor: a main-window editor made of a TSourceEdit in its Qt host, set up with
// the window's SQL colouring, margins, tab size and font.
#pragma once

#include <memory>

#include "app/ui/ScriptEditor.h"

class TSourceEdit;
namespace platform::qt {
class EditorHost;
}

class TSourceScriptEditor : public TScriptEditor {
public:
    TSourceScriptEditor();
    ~TSourceScriptEditor() override;
    QWidget* Widget() override;
    TStrings& Lines() override;
    std::string Text() const override;
    void SetText(std::string_view text) override;
    void Clear() override;
    void ClearUndo() override;
    void SelectAll() override;
    void CopyToClipboard() override;

private:
    // Owned by its parent once placed, else by FOwnedHost; the editor must go first.
    platform::qt::EditorHost* FHost;
    std::unique_ptr<platform::qt::EditorHost> FOwnedHost;
    std::unique_ptr<TSourceEdit> FEdit;
};
