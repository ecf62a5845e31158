#include "app/ScriptFile.h"

#include "app/ScriptWriter.h"

std::string ScriptTargetName(const std::string& chosen, const std::string& defaultExtension) {
    size_t slash = chosen.rfind('/');
    size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    size_t dot = chosen.rfind('.');
    bool hasExtension = dot != std::string::npos && dot > nameStart && dot + 1 < chosen.size();
    if (hasExtension || defaultExtension.empty()) return chosen;
    if (!chosen.empty() && chosen.back() == '.') return chosen + defaultExtension;
    return chosen + "." + defaultExtension;
}

void SaveScriptText(const std::string& path, const std::string& text, TDialect dialect,
                    TScriptEncoding encoding) {
    // Bytes the user typed that form no character become U+FFFD in UTF-8 rather than fail the save.
    TScriptFileWriter writer(path, dialect, encoding, platform::TConversion::Lenient);
    size_t start = 0;
    for (;;) {
        size_t end = text.find("\r\n", start);
        writer.Add(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) break;
        start = end + 2;
    }
    writer.Close();
}
