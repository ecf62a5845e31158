// The window's fixed texts in the code page, and the text rule of the default error display.
#pragma once

#include <string>
#include <string_view>

// A UTF-8 literal of the sources as code-page bytes.
std::string CodePageText(std::string_view utf8);

// The message of an error as the error display shows it: a "." is appended when the last
// byte sorts after "." (a letter, a digit, a Chinese character), not after "." or "!".
std::string ErrorDisplayText(const std::string& message);
