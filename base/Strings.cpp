#include "base/Strings.h"

#include "base/Exception.h"
#include "base/Format.h"

int TStrings::Add(const std::string& line) {
    int index = Count();
    Insert(index, line);
    return index;
}

std::string TStrings::Text() const {
    std::string text;
    int count = Count();
    for (int i = 0; i < count; ++i) {
        if (i > 0) text += "\r\n";
        text += Get(i);
    }
    return text;
}

void TStrings::SetText(const std::string& text) {
    Clear();
    if (text.empty()) return;
    size_t lineStart = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        Add(text.substr(lineStart, i - lineStart));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        lineStart = i + 1;
    }
    if (lineStart < text.size()) Add(text.substr(lineStart));
}

int TStrings::IndexOf(const std::string& line) const {
    int count = Count();
    for (int i = 0; i < count; ++i)
        if (SameText(Get(i), line)) return i;
    return -1;
}

void TStringList::CheckIndex(int index, int limit) const {
    if (index < 0 || index > limit) throw Exception(Format("List index out of bounds (%d)", index));
}

std::string TStringList::Get(int index) const {
    CheckIndex(index, Count() - 1);
    return FLines[index];
}

void TStringList::Put(int index, const std::string& line) {
    CheckIndex(index, Count() - 1);
    FLines[index] = line;
}

void TStringList::Insert(int index, const std::string& line) {
    CheckIndex(index, Count());
    FLines.insert(FLines.begin() + index, line);
}

void TStringList::Delete(int index) {
    CheckIndex(index, Count() - 1);
    FLines.erase(FLines.begin() + index);
}

int TStringList::Add(const std::string& line) {
    FLines.push_back(line);
    return Count() - 1;
}
