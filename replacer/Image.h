// The replacement program's executable, compiled into quorvel so it can write it out.
#pragma once

#include <string_view>

namespace replacer {

// The bytes of quorvel-replacer as it was built with this quorvel.
std::string_view ReplacerImage();

} // namespace replacer
