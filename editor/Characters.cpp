// TMemoComponent's characters: the text stays bytes, but the caret, selection ends, deletions
// and typed input never split a GB18030 character.
//
// GB18030 does not resynchronise backwards: trail bytes (0x40..0xFE, and the digits of a
// four-byte code) look like lead bytes and letters. A byte that can only end a character
// (below 0x30, 0x3A..0x80, 0xFF) marks a boundary after it; positions before such a byte are
// found by decoding forward from there. Runs of bytes 0x81..0xFE after such a byte, the common
// case of Chinese text, are pairs, so there the parity of the distance is enough.
#include <algorithm>
#include <string_view>

#include "editor/MemoComponent.h"
#include "platform/CodePage.h"

namespace {

// Whether the byte can stand inside a character rather than only at its end.
bool MayContinue(unsigned char byte) {
    return (byte >= 0x30 && byte <= 0x39) || (byte >= 0x81 && byte <= 0xFE);
}

bool IsLeadRange(unsigned char byte) {
    return byte >= 0x81 && byte <= 0xFE;
}

int32_t CharLength(std::string_view bytes, size_t index) {
    const int length = platform::CodePageCharLength(bytes, index);
    return length > 0 ? length : 1; // a byte that forms no character stands alone
}

} // namespace

int32_t TMemoComponent::CharLengthAt(int32_t pos) const {
    if (pos < 1 || pos > FTextLength) return 0;
    char bytes[4];
    const int32_t count = std::min(4, FTextLength - pos + 1);
    for (int32_t i = 0; i < count; ++i)
        bytes[i] = CharAt(pos + i);
    return CharLength(std::string_view(bytes, static_cast<size_t>(count)), 0);
}

int32_t TMemoComponent::SyncPointBefore(int32_t pos) const {
    if (pos <= 1) return 1;
    return static_cast<int32_t>(FText.RunStartBefore(static_cast<size_t>(pos - 1), MayContinue)) +
           1;
}

int32_t TMemoComponent::CharStart(int32_t pos) const {
    if (pos <= 1 || pos > FTextLength) return pos;
    const int32_t run =
        static_cast<int32_t>(FText.RunStartBefore(static_cast<size_t>(pos - 1), IsLeadRange)) + 1;
    if (run == 1 || !MayContinue(static_cast<unsigned char>(CharAt(run - 1)))) {
        if ((pos - run) % 2 == 0) return pos;
        return CharLengthAt(pos - 1) == 1 ? pos : pos - 1;
    }
    const int32_t sync = SyncPointBefore(pos);
    const std::string bytes = TextAt(sync, pos - sync + 4);
    const auto target = static_cast<size_t>(pos - sync);
    size_t index = 0;
    for (;;) {
        const auto next = index + static_cast<size_t>(CharLength(bytes, index));
        if (next > target) return sync + static_cast<int32_t>(index);
        index = next;
    }
}

int32_t TMemoComponent::NextCharPos(int32_t pos) const {
    if (pos > FTextLength) return FTextLength + 1;
    if (CharAt(pos) == '\r' && CharAt(pos + 1) == '\n') return pos + 2; // a line break is one step
    return pos + CharLengthAt(pos);
}

int32_t TMemoComponent::PrevCharPos(int32_t pos) const {
    if (pos <= 1) return 1;
    if (pos > FTextLength + 1) return FTextLength + 1;
    if (CharAt(pos - 1) == '\n' && CharAt(pos - 2) == '\r') return pos - 2;
    return CharStart(pos - 1);
}

void TMemoComponent::CharStartsBefore(int32_t pos, std::vector<int32_t>& starts) const {
    starts.clear();
    pos = std::min(pos, FTextLength + 1);
    const int32_t sync = SyncPointBefore(pos - 1);
    const std::string bytes = TextAt(sync, pos - sync + 3);
    const auto end = static_cast<size_t>(pos - sync);
    for (size_t index = 0; index < end; index += static_cast<size_t>(CharLength(bytes, index)))
        starts.push_back(sync + static_cast<int32_t>(index));
}

// Typed bytes wait until they form a whole character. A partial character that the next byte
// cannot continue is dropped, and that byte starts anew: joined to it, the lead byte would make
// a character nobody typed.
bool TMemoComponent::CompleteTypedChar(char byte, std::string& character) {
    if (!FPendingChar.empty()) {
        std::string trial = FPendingChar + byte;
        if (platform::CodePageCharLength(trial, 0) > 0) {
            character.swap(trial);
            FPendingChar.clear();
            return true;
        }
        FPendingChar.clear();
        if (CouldContinue(trial)) {
            FPendingChar.swap(trial);
            return false;
        }
    }
    if (static_cast<unsigned char>(byte) < 0x80) {
        character.assign(1, byte);
        return true;
    }
    if (CouldContinue(std::string_view(&byte, 1))) FPendingChar.assign(1, byte);
    return false;
}

bool TMemoComponent::CouldContinue(std::string_view partial) {
    auto byteAt = [&](size_t i) { return static_cast<unsigned char>(partial[i]); };
    auto isLead = [](unsigned char b) { return b >= 0x81 && b <= 0xFE; };
    auto isDigit = [](unsigned char b) { return b >= 0x30 && b <= 0x39; };
    switch (partial.size()) {
    case 1:
        return isLead(byteAt(0));
    case 2:
        return isLead(byteAt(0)) && isDigit(byteAt(1));
    case 3:
        return isLead(byteAt(0)) && isDigit(byteAt(1)) && isLead(byteAt(2));
    default:
        return false;
    }
}
