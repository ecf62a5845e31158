#include "app/Globals.h"

#include "base/Format.h"

int SplitString(const std::string& text, TStrings& pieces, char delimiter, bool trimmed) {
    if (delimiter == '\0') delimiter = ',';
    int appended = 0;
    size_t pieceStart = 0;
    auto append = [&](size_t end) {
        std::string piece = text.substr(pieceStart, end - pieceStart);
        pieces.Add(trimmed ? Trim(piece) : piece);
        ++appended;
    };
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != delimiter) continue;
        append(i);
        pieceStart = i + 1;
    }
    if (pieceStart < text.size()) append(text.size());
    return appended;
}

std::string GetVersionText() {
    return Format("V%d.%d.%d.%d", QUORVEL_VERSION_MAJOR, QUORVEL_VERSION_MINOR, QUORVEL_VERSION_PATCH,
                  QUORVEL_VERSION_TWEAK);
}
