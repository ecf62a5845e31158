// quorvel-replacer: started by quorvel after an upgrade was downloaded. Waits for quorvel to
// end, puts the downloaded files in place and starts quorvel again.
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "replacer/Replacement.h"

namespace {

constexpr std::chrono::milliseconds kDefaultTimeout{120000};

// Tests shorten the wait with QUORVEL_REPLACER_TIMEOUT_MS.
std::chrono::milliseconds Timeout() {
    const char* value = std::getenv("QUORVEL_REPLACER_TIMEOUT_MS");
    if (!value || !value[0]) return kDefaultTimeout;
    std::string_view text(value);
    long milliseconds = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), milliseconds);
    if (error != std::errc() || end != text.data() + text.size() || milliseconds < 0)
        return kDefaultTimeout;
    return std::chrono::milliseconds(milliseconds);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "quorvel-replacer 3.4\nPuts the files of a downloaded quorvel "
                             "upgrade in place once quorvel has ended, then starts it again.\n");
        return 2;
    }
    auto commandLine = replacer::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (!commandLine) {
        std::fprintf(stderr, "usage: quorvel-replacer PROGRAM +PARAMETERS{0|1} LIST\n");
        return 2;
    }
    return replacer::Run(*commandLine, Timeout());
}
