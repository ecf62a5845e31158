// Saving the script view's text to a file: the name the file gets and the bytes it holds.
#pragma once

#include <string>

#include "app/CommandLine.h"

// The name the script is saved under: defaultExtension (without its ".") is appended only
// when the last segment of chosen has no extension of its own, so a name the save dialog has
// already completed is not extended twice. A leading "." (a hidden file) is no extension.
std::string ScriptTargetName(const std::string& chosen, const std::string& defaultExtension);

// Writes text (code-page bytes) to path (a file-system name), replacing a file that is there:
// as it stands for GB18030, converted for UTF-8; no byte-order mark. A file that cannot be
// created raises EFCreateError "Cannot create file "%s". %s" with the system's reason; a
// failed write raises EWriteError.
void SaveScriptText(const std::string& path, const std::string& text, TScriptEncoding encoding);
