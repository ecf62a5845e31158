// The colouring and indentation both editors of the main window carry: SQL keywords blue,
// numbers red, symbols green, parentheses black, "{" "}" blocks, split at paint time.
#pragma once

#include <string>
#include <vector>

#include "sourceedit/SourceEdit.h"

// The 188 keywords in the order the window's editors were given them.
const std::vector<std::string>& MainWindowKeywords();

void ConfigureMainWindowEditor(TSourceEdit& edit);
