#include "app/ui/EditorFactory.h"

#include "app/ui/SourceScriptEditor.h"

std::unique_ptr<TScriptEditor> CreateScriptEditor() { return std::make_unique<TSourceScriptEditor>(); }
