// Shared helpers: splitting a delimited text and the program's version text.
#pragma once

#include <string>

#include "base/Strings.h"

// Appends the pieces of text between delimiters to pieces (delimiter '\0' means ',');
// trimmed removes blanks around every piece. A delimiter at the very end adds no piece.
// Returns the number of pieces appended.
int SplitString(const std::string& text, TStrings& pieces, char delimiter, bool trimmed);

// "V" and the four parts of the program version: "V2.0.0.0".
std::string GetVersionText();
