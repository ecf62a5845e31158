#include "app/ui/SourceScriptEditor.h"

#include "platform/qt/EditorHost.h"
#include "sourceedit/MainWindowEditor.h"
#include "sourceedit/SourceEdit.h"

TSourceScriptEditor::TSourceScriptEditor()
    : FHost(new platform::qt::EditorHost), FOwnedHost(FHost),
      FEdit(std::make_unique<TSourceEdit>(FHost)) {
    TSourceEdit& edit = *FEdit;
    edit.SetScrollBars(TScrollStyle::ssBoth);
    edit.SetBitmapped(true);
    edit.SetAlwaysShowCaret(false);
    edit.SetLeftMargin(2);
    edit.SetTopMargin(0);
    edit.SetTabSize(2);
    edit.SetDragDropEditing(false);
    edit.SetRemoveTrailingSpaces(true);
    edit.SetColor(clWindow);
    ConfigureMainWindowEditor(edit);
    FHost->setMinimumSize(64, 64);
    edit.WindowCreated();
}

TSourceScriptEditor::~TSourceScriptEditor() {
    FEdit.reset();
    // Once placed, the window's widget tree frees the host.
    if (FOwnedHost && FOwnedHost->parent()) (void)FOwnedHost.release();
}

QWidget* TSourceScriptEditor::Widget() { return FHost; }
TStrings& TSourceScriptEditor::Lines() { return FEdit->Lines(); }
std::string TSourceScriptEditor::Text() const { return std::string(FEdit->Text()); }
void TSourceScriptEditor::SetText(std::string_view text) { FEdit->SetText(text); }
void TSourceScriptEditor::Clear() { FEdit->Clear(); }
void TSourceScriptEditor::ClearUndo() { FEdit->ClearUndo(); }
void TSourceScriptEditor::SelectAll() { FEdit->SelectAll(); }
void TSourceScriptEditor::CopyToClipboard() { FEdit->CopyToClipboard(); }
