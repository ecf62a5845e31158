// TMemoComponent's characters: the text stays bytes, but the caret, selection ends, deletions
// and typed input never split a GB18030 character.
//
// GB18030 does not resynchronise backwards: trail bytes (0x40..0xFE, and the digits of a
// four-byte code) look like lead bytes and letters. No byte below 0x30 ever continues a
// character, so the position after such a byte (a blank, a line break, most punctuation) is a
// character boundary; positions before it are found by decoding forward from there.
#include <algorithm>
#include <string_view>

#include "editor/MemoComponent.h"
#include "platform/CodePage.h"

namespace {

bool NeverContinuesACharacter(char byte) {
    return static_cast<unsigned char>(byte) < 0x30;
}

} // namespace

int32_t TMemoComponent::CharLengthAt(int32_t pos) const {
    if (pos < 1 || pos > FTextLength) return 0;
    char bytes[4];
    const int32_t count = std::min(4, FTextLength - pos + 1);
    for (int32_t i = 0; i < count; ++i)
        bytes[i] = CharAt(pos + i);
    const int length =
        platform::CodePageCharLength(std::string_view(bytes, static_cast<size_t>(count)), 0);
    return length > 0 ? length : 1; // a byte that forms no character stands alone
}

int32_t TMemoComponent::SyncPointBefore(int32_t pos) const {
    int32_t sync = std::max(pos, 1);
    while (sync > 1 && !NeverContinuesACharacter(CharAt(sync - 1)))
        --sync;
    return sync;
}

int32_t TMemoComponent::CharStart(int32_t pos) const {
    if (pos <= 1 || pos > FTextLength) return pos;
    int32_t start = SyncPointBefore(pos);
    for (;;) {
        const int32_t next = start + CharLengthAt(start);
        if (next > pos) return start;
        start = next;
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
    for (int32_t start = SyncPointBefore(pos - 1); start < pos; start += CharLengthAt(start))
        starts.push_back(start);
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
