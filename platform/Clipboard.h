// platform::Clipboard: the system clipboard's plain text, in the program code page.
#pragma once

#include <string>
#include <string_view>

namespace platform {

class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual bool HasText() const = 0;
    // Empty when the clipboard holds no text.
    virtual std::string GetText() const = 0;
    virtual void SetText(std::string_view text) = 0;
};

} // namespace platform
