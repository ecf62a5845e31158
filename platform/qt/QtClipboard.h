// platform::qt::QtClipboard: the system clipboard's text through the program code page; bytes
// that form no character travel beside the text, so a copy and paste here keeps them.
#pragma once

#include "platform/Clipboard.h"

namespace platform::qt {

class QtClipboard : public Clipboard {
public:
    bool HasText() const override;
    std::string GetText() const override;
    void SetText(std::string_view text) override;
};

} // namespace platform::qt
