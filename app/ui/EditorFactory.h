// The editors the main window places: one function, so the window does not know their kind.
#pragma once

#include <memory>

#include "app/ui/ScriptEditor.h"

std::unique_ptr<TScriptEditor> CreateScriptEditor();
