#include "app/WindowText.h"

#include "platform/CodePage.h"

std::string CodePageText(std::string_view utf8) {
    return platform::Utf8ToCodePage(utf8, platform::TConversion::Strict);
}

std::string ErrorDisplayText(const std::string& message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
    return message;
}
