#include "sourceedit/SourceEdit.h"

#include <algorithm>
#include <typeinfo>

#include "platform/CodePage.h"

namespace {

bool IsWordChar(unsigned char c) {
    return c == '$' || c == '_' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
           (c >= 'a' && c <= 'z');
}

bool IsTokenChar(unsigned char c) {
    return IsWordChar(c) || c == '#' || c == '+' || c == '-' || c == '.';
}

bool IsNumberStart(unsigned char c) {
    return (c >= '0' && c <= '9') || c == '#' || c == '.';
}

bool IsDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}

bool IsHexDigit(unsigned char c) {
    return IsDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

bool IsSymbolChar(unsigned char c) {
    return (c >= 33 && c <= 35) || (c >= 37 && c <= 47) || (c >= 58 && c <= 64) ||
           (c >= 91 && c <= 94) || (c >= 123 && c <= 126);
}

bool IsNumber(std::string_view token) {
    if (token.empty()) return false;
    if (IsNumberStart(static_cast<unsigned char>(token[0]))) return true;
    if (token.size() < 2 || token[0] != '$') return false;
    for (size_t i = 1; i < token.size(); ++i)
        if (!IsHexDigit(static_cast<unsigned char>(token[i]))) return false;
    return true;
}

// Restores the settings' update counter even when a scan fails.
class TScanGuard {
public:
    explicit TScanGuard(TSyntaxColoring& coloring) : FColoring(coloring) {
        FColoring.SetUpdateCount(FColoring.UpdateCount() + 1);
    }
    ~TScanGuard() { FColoring.SetUpdateCount(FColoring.UpdateCount() - 1); }
    TScanGuard(const TScanGuard&) = delete;
    TScanGuard& operator=(const TScanGuard&) = delete;

private:
    TSyntaxColoring& FColoring;
};

} // namespace

namespace {

bool IsPlainTextRange(const TSyntaxRange* range) {
    return dynamic_cast<const TNormalTextRange*>(range) ||
           dynamic_cast<const TNumberRange*>(range) || dynamic_cast<const TWordListRange*>(range);
}

bool IsSwitchableStyle(const TSyntaxRange* range) {
    if (typeid(*range) != typeid(TCustomStyleRange)) return false;
    const TCustomStyle* style = static_cast<const TCustomStyleRange*>(range)->Style();
    return style && style->Switchable();
}

} // namespace

// ---------------------------------------------------------------- text access

// Reads the editor's bytes for one scan or split. A scan of the whole text reads the buffer
// directly; a local one copies a window of the text at a time, so that the buffer's gap stays
// at the edit.
class TTextReader {
public:
    TTextReader(const TSourceEdit& edit, bool whole) : FEdit(edit), FLength(edit.TextLength()) {
        if (whole) {
            FView = edit.Text();
            FBase = 1;
        }
    }
    int32_t Length() const { return FLength; }
    unsigned char At(int32_t pos) const {
        if (pos < 1 || pos > FLength) return 0;
        if (pos < FBase || pos >= FBase + static_cast<int32_t>(FView.size())) Load(pos);
        return static_cast<unsigned char>(FView[static_cast<size_t>(pos - FBase)]);
    }
    // The bytes from pos on that are at hand without another copy (at least one byte while
    // pos lies in the text).
    std::string_view Span(int32_t pos) const {
        if (pos < 1 || pos > FLength) return {};
        if (pos < FBase || pos >= FBase + static_cast<int32_t>(FView.size())) Load(pos);
        return FView.substr(static_cast<size_t>(pos - FBase));
    }
    std::string Slice(int32_t pos, int32_t count) const {
        if (pos < 1 || pos > FLength || count <= 0) return {};
        count = std::min(count, FLength - pos + 1);
        if (pos >= FBase && pos + count <= FBase + static_cast<int32_t>(FView.size()))
            return std::string(
                FView.substr(static_cast<size_t>(pos - FBase), static_cast<size_t>(count)));
        return FEdit.TextAt(pos, count);
    }
    bool StartsWith(int32_t pos, std::string_view text) const {
        if (pos < 1 || pos + static_cast<int32_t>(text.size()) - 1 > FLength) return false;
        for (size_t i = 0; i < text.size(); ++i)
            if (At(pos + static_cast<int32_t>(i)) != static_cast<unsigned char>(text[i]))
                return false;
        return true;
    }
    // Bytes of the character at pos: a GB18030 lead byte takes its trail bytes with it, so
    // that no part of a Chinese character is ever read as a letter, digit or symbol.
    int32_t CharLength(int32_t pos) const {
        unsigned char lead = At(pos);
        if (lead < 0x81 || lead == 0xFF || pos >= FLength) return 1;
        unsigned char second = At(pos + 1);
        if ((second >= 0x40 && second <= 0x7E) || (second >= 0x80 && second <= 0xFE)) return 2;
        if (IsDigit(second) && pos + 3 <= FLength) {
            unsigned char third = At(pos + 2), fourth = At(pos + 3);
            if (third >= 0x81 && third <= 0xFE && IsDigit(fourth)) return 4;
        }
        return 1;
    }

private:
    void Load(int32_t pos) const {
        // A little before pos too: the scanner looks back a few bytes.
        FBase = std::max(1, pos - 64);
        FWindow = FEdit.TextAt(FBase, kWindow);
        FView = FWindow;
    }

    static constexpr int32_t kWindow = 4096;
    const TSourceEdit& FEdit;
    int32_t FLength;
    mutable int32_t FBase = 1;
    mutable std::string FWindow;
    mutable std::string_view FView;
};

// ---------------------------------------------------------------- the scanner

class TSourceEdit::TScanner {
public:
    TScanner(TSourceEdit& edit, TCustomRange& region, bool whole)
        : FEdit(edit), FRegion(region), FText(edit, whole),
          FStyles(edit.SyntaxColoring().CustomStyles()),
          FWordLists(edit.SyntaxColoring().WordLists()) {}

    void Run();

private:
    enum class TKind { Text, Symbol, Parenthesis, Style };

    void Classify();
    void StartRun(TKind kind);
    void Emit();
    void EmitSplitText();
    template <class T> T& Make(int32_t start, int32_t end) {
        // Indexed once its ends are set, not first at 1 and then again at start.
        TMCRanges::TIndexHold hold(FEdit.Ranges());
        T& range = CreateSyntaxRange<T>(FCursor, &FEdit);
        range.SetRStart(start);
        range.SetREnd(end);
        return range;
    }
    void Merge(TSyntaxRange& range) { FSynced = range.InsertAndMerge(FCursor); }
    void Extend(int32_t count) {
        if (FKind == TKind::Style && count > 1) FLastWideEnd = FPos + count - 1;
        // The early stop judges the place after the character's first byte, as it would
        // for a single byte: a wide character must not carry the scan past that test.
        if (count > 1) FCheckPos = FPos + 1;
        FRunLength += count;
        FPos += count;
    }
    bool Escaped(int32_t markerStart) const;
    TSyntaxRange* RunStartBefore(TSyntaxRange* start) const;
    void ContinueText();
    int32_t FindStyleEnd(const TCustomStyle& style);

    TSourceEdit& FEdit;
    TCustomRange& FRegion;
    TTextReader FText;
    const TCustomStyles& FStyles;
    const TWordLists& FWordLists;
    TSyntaxRange* FCursor = nullptr;
    int32_t FPos = 1;
    int32_t FCheckPos = 1;
    int32_t FRunStart = 1;
    int32_t FRunLength = 0;
    TKind FKind = TKind::Text;
    int32_t FMark = 1;
    TCustomStyle* FStyle = nullptr;
    bool FInStyle = false;
    bool FSynced = false;
    // Last byte of the newest multibyte character inside the current style run: an escape
    // count never reaches into a character (nor before the run).
    int32_t FLastWideEnd = 0;
};

void TSourceEdit::TScanner::Run() {
    TSyntaxRange* start = FEdit.FindSyntaxRange(FRegion.RStart() - 1);
    if (!start) {
        FRegion.SetRStart(1);
    } else {
        if (start->PrevRange() && IsSwitchableStyle(start->PrevRange())) start = start->PrevRange();
        start = RunStartBefore(start);
        if (FRegion.RStart() > start->RStart()) FRegion.SetRStart(start->RStart());
    }
    FCursor = start;
    FPos = FRegion.RStart();
    FCheckPos = FPos;
    FRunStart = FPos;
    FMark = FPos;
    const int32_t stopAfter = FRegion.REnd() + 2;
    while (FPos <= FText.Length()) {
        if (FCheckPos > stopAfter && FSynced && !FInStyle) break;
        FSynced = false;
        FCheckPos = 0;
        Classify();
        if (FCheckPos == 0) FCheckPos = FPos;
    }
    FRegion.SetREnd(FPos - 1);
    if (FPos > FText.Length()) Emit();
    FEdit.FLevelCursor = FEdit.FindSyntaxRangeFrom(FRegion.RStart(), FCursor);
}

// A repair must start where a scan of the whole text starts a run as well; otherwise the
// run before it could not grow into the edit (a symbol run gaining a symbol, a token gaining
// a character, plain text losing the word that split it) and the chain would differ from a
// fresh one. Such a place lies so far before the edit that no rule looking ahead from it (a
// full stop's next character, a style's begin marker) reaches the edit, and, when words are
// split while scanning, it is not inside a run of plain text.
TSyntaxRange* TSourceEdit::TScanner::RunStartBefore(TSyntaxRange* start) const {
    int32_t reach = 2;
    for (int i = 0; i < FStyles.Count(); ++i)
        reach = std::max(reach, static_cast<int32_t>(FStyles.Items(i).BeginText().size()));
    const int32_t edit = FRegion.RStart();
    const bool split = FEdit.SplitOnFly();
    while (TSyntaxRange* previous = start->PrevRange()) {
        bool move = start->RStart() > edit - reach;
        if (!move && !split && IsPlainTextRange(start) && IsPlainTextRange(previous)) {
            // Plain text that follows a word or number starts where the token ended.
            move = !dynamic_cast<TNormalTextRange*>(start) ||
                   dynamic_cast<TNormalTextRange*>(previous);
        }
        if (!move && IsSwitchableStyle(previous)) move = true;
        if (!move) break;
        start = previous;
    }
    return start;
}

bool TSourceEdit::TScanner::Escaped(int32_t markerStart) const {
    const std::string& ignore = FStyle->IgnoreChar();
    if (ignore.empty()) return false;
    const auto escape = static_cast<unsigned char>(ignore[0]);
    const int32_t floor = std::max(FRunStart, FLastWideEnd + 1);
    int count = 0;
    for (int32_t k = markerStart - 1; k >= floor;) {
        if (FText.At(k) == escape) {
            ++count;
            k -= 1;
        } else if (escape == '\\' && k - 2 >= floor && FText.At(k - 2) == '?' &&
                   FText.At(k - 1) == '?' && FText.At(k) == '/') {
            ++count;
            k -= 3;
        } else {
            break;
        }
    }
    return count % 2 == 1;
}

// The last position of the first unescaped end marker after the begin marker at FPos, or
// 0 when there is none.
int32_t TSourceEdit::TScanner::FindStyleEnd(const TCustomStyle& style) {
    const std::string& endText = style.EndText();
    const int32_t afterBegin = FPos + static_cast<int32_t>(style.BeginText().size());
    int32_t q = FPos;
    while (q < afterBegin && q <= FText.Length())
        q += FText.CharLength(q);
    if (endText.empty()) return 0;
    const auto first = static_cast<unsigned char>(endText[0]);
    while (q <= FText.Length()) {
        if (FText.At(q) == first && FText.StartsWith(q, endText)) {
            if (!Escaped(q)) return q + static_cast<int32_t>(endText.size()) - 1;
            // The search goes on right after an escaped marker.
            q += static_cast<int32_t>(endText.size());
            continue;
        }
        int32_t length = FText.CharLength(q);
        if (length > 1) FLastWideEnd = q + length - 1;
        q += length;
    }
    return 0;
}

void TSourceEdit::TScanner::Classify() {
    const unsigned char c = FText.At(FPos);
    // 1. A style may begin here.
    TCustomStyle* style = nullptr;
    if (FStyles.Count() > 0) {
        style = FStyles.FindStyleAt(FText.Slice(FPos, 20));
        if (style && style->LineStartOnly() && FPos > 1 && FText.At(FPos - 1) != '\n' &&
            FText.At(FPos - 1) != '\r')
            style = nullptr;
        if (style && FKind == TKind::Style && FStyle) {
            if (style == FStyle && FStyle->Switchable())
                style = nullptr;
            else if (style->EndText() != FStyle->EndText())
                style = nullptr;
        }
    }
    // 2. Inside a switchable style until its unescaped end marker.
    FInStyle = FKind == TKind::Style && FStyle && FStyle->Switchable() && !style;
    if (FInStyle) {
        if (FText.StartsWith(FPos, FStyle->EndText())) FInStyle = Escaped(FPos);
        if (FInStyle) {
            Extend(FText.CharLength(FPos));
            return;
        }
    }
    // 3. A style begins.
    if (style) {
        StartRun(TKind::Style);
        FStyle = style;
        FLastWideEnd = FRunStart - 1;
        if (style->Switchable()) {
            FInStyle = true;
            Extend(FText.CharLength(FPos));
            return;
        }
        int32_t end = FindStyleEnd(*style);
        if (end == 0)
            end = FText.Length();
        else if (style->EndText() == "\r")
            end += 1; // the line break's LF too
        end = std::min(end, FText.Length());
        FPos = end + 1;
        FRunLength = FPos - FRunStart;
        StartRun(TKind::Text);
        return;
    }
    // 4. The end marker of a switchable style.
    if (FKind == TKind::Style && FStyle && FStyle->Switchable()) {
        const std::string& endText = FStyle->EndText();
        int32_t length = endText == "\r" ? 2 : static_cast<int32_t>(endText.size());
        length = std::min(length, FText.Length() + 1 - FPos);
        FRunLength += length;
        FPos += length;
        StartRun(TKind::Text);
        return;
    }
    // 5. Every parenthesis is a run of its own.
    if (c == '(' || c == ')') {
        StartRun(TKind::Parenthesis);
        Extend(1);
        return;
    }
    // 6. A full stop inside or before a number is text.
    if (c == '.') {
        bool inNumber = (FKind == TKind::Text && IsDigit(FText.At(FMark))) ||
                        (FPos + 1 <= FText.Length() && IsDigit(FText.At(FPos + 1)));
        StartRun(inNumber ? TKind::Text : TKind::Symbol);
        Extend(1);
        return;
    }
    // 7. The sign of an exponent continues the run.
    if (c == '+' || c == '-') {
        unsigned char before = FText.At(FPos - 1);
        bool exponent = FPos >= 3 && IsNumberStart(FText.At(FPos - 2)) &&
                        (before == 'E' || before == 'e' || before == 'P' || before == 'p');
        if (!exponent) StartRun(TKind::Symbol);
        Extend(1);
        return;
    }
    // 8. Other symbols.
    if (IsSymbolChar(c)) {
        StartRun(TKind::Symbol);
        Extend(1);
        return;
    }
    // 9. Plain text; a character that cannot be part of a word moves the mark.
    StartRun(TKind::Text);
    if (!IsWordChar(c)) FMark = FPos;
    Extend(FText.CharLength(FPos));
    // Right after a range was emitted the next place decides whether the scan stops.
    if (!FSynced && FStyles.Count() == 0) ContinueText();
}

// The characters that follow in the same text run, each exactly as the rules above would
// take it (no style can begin, the run goes on), without the full classification.
void TSourceEdit::TScanner::ContinueText() {
    const bool split = FEdit.SplitOnFly();
    while (FPos <= FText.Length()) {
        const std::string_view span = FText.Span(FPos);
        size_t i = 0;
        for (; i < span.size(); ++i) {
            const auto c = static_cast<unsigned char>(span[i]);
            if (c == '(' || c == ')' || c >= 0x81) break;
            if (IsSymbolChar(c)) {
                // A symbol joins the run only while a chunk is short; "." and signs decide more.
                if (!split || FRunLength + static_cast<int32_t>(i) > 128) break;
            } else if (!IsWordChar(c)) {
                FMark = FPos + static_cast<int32_t>(i);
            }
        }
        FRunLength += static_cast<int32_t>(i);
        FPos += static_cast<int32_t>(i);
        if (i < span.size()) {
            const auto c = static_cast<unsigned char>(span[i]);
            if (c < 0x81) return;
            // A wide character is plain text; it moves the mark.
            const int32_t length = FText.CharLength(FPos);
            FMark = FPos;
            FRunLength += length;
            FPos += length;
        }
    }
}

void TSourceEdit::TScanner::StartRun(TKind kind) {
    const bool split = FEdit.SplitOnFly();
    if (split && kind == TKind::Symbol && FRunLength <= 128) kind = TKind::Text;
    if (kind == FKind && kind != TKind::Parenthesis && kind != TKind::Style) return;
    if (split && kind == TKind::Symbol) kind = TKind::Text;
    Emit();
    FRunStart = FPos;
    FRunLength = 0;
    FKind = kind;
    FMark = FPos;
}

void TSourceEdit::TScanner::Emit() {
    if (FRunLength <= 0) return;
    const int32_t end = FRunStart + FRunLength - 1;
    switch (FKind) {
    case TKind::Symbol: {
        auto& range = Make<TSymbolRange>(FRunStart, end);
        range.SetSymbol(FText.Slice(FRunStart, FRunLength));
        Merge(range);
        break;
    }
    case TKind::Parenthesis: {
        auto& range = Make<TParenthesisRange>(FRunStart, end);
        range.SetStyle(FText.At(FRunStart) == ')' ? TParenthesisStyle::psClosing
                                                  : TParenthesisStyle::psOpening);
        Merge(range);
        break;
    }
    case TKind::Style: {
        auto& range = Make<TCustomStyleRange>(FRunStart, end);
        range.SetStyle(FStyle);
        Merge(range);
        break;
    }
    case TKind::Text:
        if (FEdit.SplitOnFly())
            Merge(Make<TCustomTextRange>(FRunStart, end));
        else
            EmitSplitText();
        break;
    }
}

// Words and numbers of a text run as ranges of their own, the text between them plain.
void TSourceEdit::TScanner::EmitSplitText() {
    const int32_t end = FRunStart + FRunLength - 1;
    int32_t plainStart = FRunStart;
    std::string token;
    for (int32_t i = FRunStart; i <= end + 1;) {
        int32_t length = 1;
        if (i <= end) {
            unsigned char c = FText.At(i);
            length = FText.CharLength(i);
            if (length == 1 && IsTokenChar(c)) {
                token += static_cast<char>(c);
                ++i;
                continue;
            }
        }
        if (!token.empty()) {
            const int32_t tokenStart = i - static_cast<int32_t>(token.size());
            TWordList* list = nullptr;
            bool number = IsNumber(token);
            if (!number) list = FWordLists.FindWord(token);
            if (number || list) {
                if (plainStart <= tokenStart - 1)
                    Merge(Make<TNormalTextRange>(plainStart, tokenStart - 1));
                if (number) {
                    auto& range = Make<TNumberRange>(tokenStart, i - 1);
                    range.SetNumber(token);
                    Merge(range);
                } else {
                    auto& range = Make<TWordListRange>(tokenStart, i - 1);
                    range.SetWordList(list);
                    Merge(range);
                }
                plainStart = i;
            }
            token.clear();
        }
        if (i > end && plainStart < i) {
            Merge(Make<TNormalTextRange>(plainStart, i - 1));
            plainStart = i;
        }
        i += length;
    }
}

// ---------------------------------------------------------------- TSourceEdit

TSourceEdit::TSourceEdit(platform::WindowHost* host)
    : TMemoComponent(host), FSyntaxColoring(std::make_unique<TSyntaxColoring>(this)),
      FColoredFont(Font()) {
    // The category fonts exist from the start; the text is empty, so nothing is scanned.
    FSyntaxColoring->Rebuild();
}

TSourceEdit::~TSourceEdit() {
    FSyntaxColoring->SetUpdateCount(100);
    FSyntaxColoring.reset();
}

void TSourceEdit::Link(TSyntaxRange& range, TSyntaxRange* before) {
    TSyntaxRange* previous = before ? before->FPrevRange : FLastRange;
    range.FPrevRange = previous;
    range.FNextRange = before;
    (previous ? previous->FNextRange : FFirstRange) = &range;
    (before ? before->FPrevRange : FLastRange) = &range;
    FChain.InsertBefore(&range, before);
    range.FLinked = true;
}

void TSourceEdit::Unlink(TSyntaxRange& range) {
    if (FPaintCursor == &range) FPaintCursor = nullptr;
    if (FLevelCursor == &range) FLevelCursor = range.FNextRange;
    TSyntaxRange* previous = range.FPrevRange;
    TSyntaxRange* next = range.FNextRange;
    (previous ? previous->FNextRange : FFirstRange) = next;
    (next ? next->FPrevRange : FLastRange) = previous;
    FChain.Remove(&range);
    range.FLinked = false;
}

void TSourceEdit::RecolorAll() {
    if (TextLength() == 0) return;
    HideTextCaret();
    ClearSyntaxRanges();
    ScanRegion(WholeRange());
    for (TSyntaxRange* range = FLevelCursor; range; range = range->NextRange())
        range->UpdateLevel();
    FLevelCursor = nullptr;
    VisibleRange().Paint();
    PlaceCaret();
    ShowTextCaret();
}

void TSourceEdit::ScanRegion(TCustomRange& region) {
    if (FSyntaxColoring->UpdateCount() != 0) return;
    if (!FSyntaxColoring->Enabled() || TextLength() == 0) {
        ClearSyntaxRanges();
        return;
    }
    TScanGuard guard(*FSyntaxColoring);
    // With no chain to repair, the scan reads the whole text; a repair reads near the edit.
    TScanner scanner(*this, region, FFirstRange == nullptr);
    scanner.Run();
}

void TSourceEdit::ClearSyntaxRanges() {
    // From the front: both indexes then drop their first entries, which costs nothing.
    while (FFirstRange)
        TFastObjectContainer::Free(FFirstRange);
}

bool TSourceEdit::MergeSyntaxRange(TSyntaxRange* newRange, TSyntaxRange*& cursor) {
    if (!cursor) cursor = FLastRange;
    while (cursor && (cursor->RStart() > newRange->RStart() || cursor == newRange))
        cursor = cursor->PrevRange();
    if (!cursor) cursor = FFirstRange;
    while (cursor && (cursor->RStart() < newRange->RStart() || cursor == newRange))
        cursor = cursor->NextRange();
    if (!cursor && newRange != FLastRange) cursor = FLastRange;
    bool result = false;
    while (cursor && cursor != newRange &&
           (cursor->RStart() <= newRange->REnd() || cursor->REnd() <= newRange->REnd())) {
        result = cursor->SameAs(*newRange);
        TSyntaxRange* old = cursor;
        cursor = cursor->NextRange();
        TFastObjectContainer::Free(old);
    }
    return result;
}

TSyntaxRange* TSourceEdit::FindCoverageGap() const {
    if (!FFirstRange) return nullptr;
    if (FFirstRange->RStart() != 1) return FFirstRange;
    if (FLastRange->REnd() != TextLength()) return FLastRange;
    for (TSyntaxRange* range = FFirstRange; range->NextRange(); range = range->NextRange())
        if (range->REnd() + 1 != range->NextRange()->RStart()) return range;
    return nullptr;
}

TSyntaxRange* TSourceEdit::FindOverlap() const {
    for (TSyntaxRange* range = FFirstRange; range && range->NextRange(); range = range->NextRange())
        if (range->REnd() >= range->NextRange()->RStart()) return range;
    return nullptr;
}

void TSourceEdit::GetDebuggableRanges(TDebuggableRanges& ranges) const {
    for (TSyntaxRange* range = FFirstRange; range; range = range->NextRange())
        ranges.push_back({range->RStart(), range->REnd(), TextAt(range->RStart(), range->RLength()),
                          range->ClassName(), range->AttributeText(), range->ParenthesisLevel()});
}

TSyntaxRange* TSourceEdit::FindSyntaxRange(int32_t pos) const {
    // Appending asks for the end of the chain again and again.
    if (FLastRange && FLastRange->REnd() >= pos &&
        (!FLastRange->PrevRange() || FLastRange->PrevRange()->REnd() < pos))
        return FLastRange;
    return FChain.FindFirstEndingAtOrAfter(pos);
}

TSyntaxRange* TSourceEdit::FindSyntaxRangeFrom(int32_t pos, TSyntaxRange* hint) const {
    // A few steps from the hint serve consecutive requests; anything farther is looked up.
    constexpr int kSteps = 16;
    TSyntaxRange* range = hint;
    for (int step = 0; range && step < kSteps; ++step) {
        if (range->REnd() >= pos) {
            TSyntaxRange* previous = range->PrevRange();
            if (!previous) return range;
            if (previous->REnd() < pos) return range;
            range = previous;
        } else {
            range = range->NextRange();
            if (!range) return nullptr;
        }
    }
    return FindSyntaxRange(pos);
}

void TSourceEdit::TextChanged(int32_t pos, int32_t oldLength, int32_t newLength) {
    TMemoComponent::TextChanged(pos, oldLength, newLength);
    FLevelCursor = nullptr;
    FChangedRegion = std::make_unique<TMCRange>(this);
    FChangedRegion->SetRStart(pos);
    FChangedRegion->SetRLength(newLength);
    ScanRegion(*FChangedRegion);
}

void TSourceEdit::AfterTextChanged() {
    TMemoComponent::AfterTextChanged();
    if (!FChangedRegion) return;
    const int32_t changedEnd = FChangedRegion->REnd();
    for (TSyntaxRange* range = FLevelCursor; range; range = range->NextRange()) {
        if (range->REnd() <= changedEnd) {
            range->UpdateLevel();
            continue;
        }
        const int before = range->ParenthesisLevel();
        range->UpdateLevelAndRepaint();
        // Past the rescanned text an unchanged level leaves every later level unchanged.
        if (range->RStart() > changedEnd && range->ParenthesisLevel() == before) break;
    }
    FLevelCursor = nullptr;
    std::unique_ptr<TMCRange> region = std::move(FChangedRegion);
    region->Paint();
}

void TSourceEdit::SetSplitOnFly(bool value) {
    if (value == FSplitOnFly) return;
    FSplitOnFly = value;
    RecolorAll();
}

void TSourceEdit::UpdateFontMetrics() {
    TMemoComponent::UpdateFontMetrics();
    if (Font() == FColoredFont) return;
    FColoredFont = Font();
    FSyntaxColoring->Rebuild();
}

// ---------------------------------------------------------------- coloured painting

void TSourceEdit::GetFormattedRanges(TCustomRange& region, TFormattedRangeArray& ranges) {
    if (!FSyntaxColoring->Enabled()) {
        TMemoComponent::GetFormattedRanges(region, ranges);
        return;
    }
    bool done = false;
    int32_t lastEnd = region.RStart() - 1;
    FPaintCursor = FindSyntaxRangeFrom(region.RStart(), FPaintCursor);
    while (FPaintCursor && FPaintCursor->RStart() <= region.REnd()) {
        if (dynamic_cast<TCustomTextRange*>(FPaintCursor))
            SplitChunk(*FPaintCursor, region, ranges, lastEnd, done);
        else
            AddSegments(*FPaintCursor, false, region, ranges, lastEnd, done);
        FPaintCursor = FPaintCursor->NextRange();
    }
}

void TSourceEdit::AddSegments(TSyntaxRange& range, bool temporary, TCustomRange& region,
                              TFormattedRangeArray& ranges, int32_t& lastEnd, bool& done) {
    auto piece = [&](int32_t x, bool selected) {
        const int32_t start = std::max({lastEnd + 1, region.RStart(), range.RStart()});
        lastEnd = std::min({std::max(x, lastEnd), region.REnd(), range.REnd()});
        if (start > lastEnd) return;
        if (!selected && !temporary && start == range.RStart() && lastEnd == range.REnd()) {
            ranges.push_back(&range);
            return;
        }
        auto copy = std::make_unique<TFormattedRange>(nullptr, this);
        copy->SetRStart(start);
        copy->SetREnd(lastEnd);
        TSourceFont font = range.GetFont();
        if (selected) font.Color = clHighlightText;
        copy->SetFont(font);
        copy->SetColor(selected ? clHighlight : Color());
        copy->SetFreeAfterPaint(true);
        ranges.push_back(copy.release()); // the painter frees it (FreeAfterPaint)
    };
    TSelectionRange& selection = Selection();
    if (!selection.Hidden() && selection.RLength() > 0) {
        piece(selection.RStart() - 1, false);
        piece(selection.REnd(), true);
    }
    piece(range.REnd(), false);
    if (range.REnd() >= region.REnd()) done = true;
}

// Cuts a plain-text chunk into plain text, numbers, words and symbol runs for painting.
void TSourceEdit::SplitChunk(TSyntaxRange& chunk, TCustomRange& region,
                             TFormattedRangeArray& ranges, int32_t& lastEnd, bool& done) {
    TTextReader text(*this, false);
    const int32_t end = chunk.REnd();
    int32_t plainStart = chunk.RStart();
    std::string token;
    auto hand = [&](TSyntaxRange& piece, int32_t from, int32_t to) {
        piece.SetRStart(from);
        piece.SetREnd(to);
        AddSegments(piece, true, region, ranges, lastEnd, done);
    };
    auto plain = [&](int32_t from, int32_t to) {
        if (from > to) return;
        TNormalTextRange piece(nullptr, this);
        hand(piece, from, to);
    };
    for (int32_t j = chunk.RStart(); j <= end + 1 && !done;) {
        unsigned char c = 0;
        int32_t length = 1;
        if (j <= end) {
            c = text.At(j);
            length = text.CharLength(j);
            if (length == 1 && IsTokenChar(c) &&
                (!IsSymbolChar(c) || (c == '.' && !token.empty() &&
                                      IsNumberStart(static_cast<unsigned char>(token[0]))))) {
                token += static_cast<char>(c);
                ++j;
                continue;
            }
        }
        if (!token.empty()) {
            const int32_t tokenStart = j - static_cast<int32_t>(token.size());
            if (IsNumber(token)) {
                plain(plainStart, tokenStart - 1);
                TNumberRange piece(nullptr, this);
                piece.SetNumber(token);
                hand(piece, tokenStart, j - 1);
                plainStart = j;
            } else if (TWordList* list = FSyntaxColoring->WordLists().FindWord(token)) {
                plain(plainStart, tokenStart - 1);
                TWordListRange piece(nullptr, this);
                piece.SetWordList(list);
                hand(piece, tokenStart, j - 1);
                plainStart = j;
            }
            token.clear();
            if (done) break;
        }
        if (j <= end && length == 1 && IsSymbolChar(c)) {
            plain(plainStart, j - 1);
            int32_t runEnd = j;
            while (runEnd + 1 <= end && IsSymbolChar(text.At(runEnd + 1)))
                ++runEnd;
            TSymbolRange piece(nullptr, this);
            piece.SetSymbol(text.Slice(j, runEnd - j + 1));
            hand(piece, j, runEnd);
            // The rest of the run would add nothing: its places are covered now.
            plainStart = j = runEnd + 1;
            continue;
        }
        if (j > end && plainStart < j) {
            plain(plainStart, j - 1);
            plainStart = j;
        }
        j += length;
    }
}

// ---------------------------------------------------------------- source-editing keys

int TSourceEdit::FirstNonBlank(std::string_view s) {
    for (size_t i = 0; i < s.size(); ++i)
        if (s[i] != ' ' && s[i] != '\t') return static_cast<int>(i) + 1;
    return static_cast<int>(s.size()) + 1;
}

void TSourceEdit::ExpandBlock(const std::string& first, const std::string& indent, int32_t caret) {
    std::string insert = first + "\r\n" + indent + FAutoIndentIncreaseEnd;
    // The middle row keeps its indentation: the caret goes to its end.
    SetTextKeepingBlanks(Selection(), insert);
    Selection().MoveCaret(caret + static_cast<int32_t>(first.size()));
    ScrollCaretIntoView();
}

void TSourceEdit::KeyPress(char byte) {
    // The trail byte of a Chinese character being typed is no key of its own ("{" is one).
    if (!TypingCharacter()) SourceKeyPress(byte);
    if (byte != 0) TMemoComponent::KeyPress(byte);
}

void TSourceEdit::KeyDown(uint16_t key, platform::TShiftState shift) {
    if (key == 9 && TabKeyDown(shift.Contains(platform::TShiftFlag::ssShift))) return;
    TMemoComponent::KeyDown(key, shift);
}

// Whether the row's text before the caret ends in a character of its own rather than in the
// trail byte of a Chinese character (which may be the block's opening byte).
static bool EndsInSingleByte(std::string_view prefix) {
    size_t pos = 0, last = 0;
    while (pos < prefix.size()) {
        last = pos;
        int length = platform::CodePageCharLength(prefix, pos);
        pos += static_cast<size_t>(length > 0 ? length : 1);
    }
    return !prefix.empty() && last == prefix.size() - 1;
}

void TSourceEdit::SourceKeyPress(char& key) {
    // A read-only editor keeps its text: the base handling refuses the key.
    if (ReadOnly() || key == 0) return;
    const int32_t caret = Selection().RStart();
    const int32_t row = Selection().GetStartRowCol().Row;
    const int32_t lineStart = RowColToCharPos({row, 1});
    const std::string prefix = TextAt(lineStart, caret - lineStart);
    const int blank = FirstNonBlank(prefix);
    const std::string indent = prefix.substr(0, static_cast<size_t>(blank - 1));
    if (key == '\r' && FAutoIndent) {
        const char before = CharAt(caret - 1), beforeThat = CharAt(caret - 2);
        if (FAutoIndentIncrease && caret >= 2 && caret - 1 <= TextLength() &&
            before == FAutoIndentIncreaseStart && caret >= 3 && beforeThat != '\t' &&
            beforeThat != '\n' && beforeThat != '\r' && EndsInSingleByte(prefix)) {
            ExpandBlock("\r\n" + indent + "\t", indent, caret);
        } else {
            Selection().SetText("\r\n" + indent);
            ScrollCaretIntoView();
        }
        key = 0;
        return;
    }
    if (key == FAutoIndentIncreaseStart && FAutoIndentIncrease) {
        const int32_t firstText = lineStart + blank - 1;
        if (firstText > TextLength() || CharAt(firstText) == '\r') {
            ExpandBlock(std::string(1, key) + "\r\n" + indent + "\t", indent, caret);
            key = 0;
        }
    }
}

bool TSourceEdit::TabKeyDown(bool shiftHeld) {
    if (ReadOnly()) return false;
    if (shiftHeld) {
        IndentSelection(-1);
        return true;
    }
    TSelectionRange& selection = Selection();
    if (selection.RLength() > 0 && selection.GetEndRowCol().Row > selection.GetStartRowCol().Row) {
        IndentSelection(1);
        return true;
    }
    return false;
}
