#include "app/ScriptFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "base/Exception.h"
#include "base/Format.h"
#include "platform/CodePage.h"

namespace {

std::string ShownName(const std::string& path) {
    return platform::Utf8ToCodePage(path, platform::TConversion::Lenient);
}

} // namespace

std::string ScriptTargetName(const std::string& chosen, const std::string& defaultExtension) {
    size_t slash = chosen.rfind('/');
    size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    size_t dot = chosen.rfind('.');
    bool hasExtension = dot != std::string::npos && dot > nameStart && dot + 1 < chosen.size();
    if (hasExtension || defaultExtension.empty()) return chosen;
    if (!chosen.empty() && chosen.back() == '.') return chosen + defaultExtension;
    return chosen + "." + defaultExtension;
}

void SaveScriptText(const std::string& path, const std::string& text, TScriptEncoding encoding) {
    std::string converted;
    if (encoding == TScriptEncoding::Utf8)
        converted = platform::CodePageToUtf8(text, platform::TConversion::Lenient);
    const std::string& bytes = encoding == TScriptEncoding::Utf8 ? converted : text;

    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        throw EFCreateError(
            Format("Cannot create file \"%s\". %s", ShownName(path).c_str(), std::strerror(errno)));
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            int reason = written < 0 ? errno : ENOSPC;
            ::close(fd);
            throw EWriteError(Format("Error writing to file \"%s\". %s", ShownName(path).c_str(),
                                     std::strerror(reason)));
        }
        done += static_cast<size_t>(written);
    }
    if (::close(fd) != 0)
        throw EWriteError(Format("Error writing to file \"%s\". %s", ShownName(path).c_str(),
                                 std::strerror(errno)));
}
