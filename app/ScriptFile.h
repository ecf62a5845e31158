// Saving the script view's text to a file: the name the file gets and the bytes it holds.
#pragma once

#include <string>

#include "app/CommandLine.h"

// The name the script is saved under: defaultExtension (without its ".") is appended only
// when the last segment of chosen has no extension of its own, so a name the save dialog has
// already completed is not extended twice. A leading "." (a hidden file) is no extension.
std::string ScriptTargetName(const std::string& chosen, const std::string& defaultExtension);

// Writes text (the script view's code-page bytes) to path (a file-system name) through
// TScriptFileWriter, so the file holds the bytes the command line writes for the same script:
// the encoding declaration of a mysql script, then the text as it stands for GB18030 or
// converted for UTF-8; no byte-order mark. A file that is there is replaced only when the
// whole text is written. Raises EFCreateError or EWriteError with the system's reason.
void SaveScriptText(const std::string& path, const std::string& text, TDialect dialect,
                    TScriptEncoding encoding);
