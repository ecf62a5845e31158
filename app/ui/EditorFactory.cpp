#include "app/ui/EditorFactory.h"

#include "app/ui/PlainScriptEditor.h"

std::unique_ptr<TScriptEditor> CreateScriptEditor() { return std::make_unique<TPlainScriptEditor>(); }
