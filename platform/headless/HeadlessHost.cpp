#include "platform/headless/HeadlessHost.h"

#include <algorithm>
#include <string>

namespace platform::headless {

namespace {

TRect UnionRect(const TRect& a, const TRect& b) {
    if (IsEmptyRect(a)) return b;
    if (IsEmptyRect(b)) return a;
    return {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
            std::max(a.Bottom, b.Bottom)};
}

// What a key of the US layout types by itself ("" for keys that type nothing).
std::string LayoutText(uint16_t key, bool shift) {
    if (key >= 'A' && key <= 'Z') return std::string(1, static_cast<char>(shift ? key : key + 32));
    if (key >= '0' && key <= '9')
        return std::string(1, shift ? ")!@#$%^&*("[key - '0'] : static_cast<char>(key));
    switch (key) {
    case VK_SPACE:
        return " ";
    case VK_RETURN:
        return "\r";
    case VK_BACK:
        return "\b";
    case VK_TAB:
        return "\t";
    case VK_ESCAPE:
        return "\x1B";
    default:
        return {};
    }
}

} // namespace

// A bitmap that tells its host when it goes, so Bitmaps() never lists a freed one.
class HeadlessHost::TrackedBitmap : public RecordingBitmap {
public:
    TrackedBitmap(HeadlessHost& host, int width, int height)
        : RecordingBitmap(width, height, host.FScreen.Metrics), FHost(host) {
        FHost.FBitmaps.push_back(this);
    }
    ~TrackedBitmap() override {
        auto& list = FHost.FBitmaps;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }

private:
    HeadlessHost& FHost;
};

HeadlessHost::HeadlessHost(int width, int height, TCanvasMetrics metrics)
    : FScreen(width, height, metrics) {}

HeadlessHost::~HeadlessHost() = default;

void HeadlessHost::Invalidate() {
    InvalidateRect({0, 0, ClientWidth(), ClientHeight()});
}

void HeadlessHost::InvalidateRect(const TRect& rect) {
    ++FInvalidateCount;
    FInvalid = UnionRect(FInvalid, IntersectRect(rect, {0, 0, ClientWidth(), ClientHeight()}));
}

void HeadlessHost::Update() {
    ++FUpdateCount;
    ProcessPaint();
}

void HeadlessHost::ProcessPaint() {
    if (IsEmptyRect(FInvalid)) return;
    FInvalid = {};
    if (FEvents) FEvents->Paint();
}

void HeadlessHost::SetScrollRange(TScrollBarKind bar, int minimum, int maximum, int page,
                                  int position) {
    TScrollInfo& info = MutableBar(bar);
    info = {minimum, maximum, page, 0};
    info.Position = info.Clamp(position);
}

void HeadlessHost::SetScrollPosition(TScrollBarKind bar, int position) {
    TScrollInfo& info = MutableBar(bar);
    info.Position = info.Clamp(position);
}

void HeadlessHost::CreateCaret(int width, int height) {
    // A new caret starts hidden, as the system caret does.
    FCaretCreated = true;
    FCaretVisible = false;
    FCaretWidth = width;
    FCaretHeight = height;
}

void HeadlessHost::DestroyCaret() {
    FCaretCreated = false;
    FCaretVisible = false;
}

void HeadlessHost::ShowCaret() {
    if (FCaretCreated) FCaretVisible = true;
}

void HeadlessHost::HideCaret() {
    FCaretVisible = false;
}

void HeadlessHost::SetCaretPosition(int x, int y) {
    FCaretPosition = {x, y};
}

std::unique_ptr<Bitmap> HeadlessHost::CreateBitmap(int width, int height) {
    return std::make_unique<TrackedBitmap>(*this, width, height);
}

TRect HeadlessHost::ScrollWindow(int dy, const TRect& rect) {
    TRect area = IntersectRect(rect, {0, 0, ClientWidth(), ClientHeight()});
    return FScreen.ScrollPixels(dy, area);
}

void HeadlessHost::SetWindowStyle(bool horizontalBar, bool verticalBar, bool sunkenEdge) {
    FHorizontalBarShown = horizontalBar;
    FVerticalBarShown = verticalBar;
    FSunkenEdge = sunkenEdge;
}

bool HeadlessHost::SetFocus() {
    if (!FFocusAllowed || !FExists) return false;
    if (!FFocused) {
        FFocused = true;
        if (FEvents) FEvents->FocusChanged(true);
    }
    return true;
}

void HeadlessHost::LoseFocus() {
    if (!FFocused) return;
    Compose({});
    FFocused = false;
    if (FEvents) FEvents->FocusChanged(false);
}

void HeadlessHost::SetClientSize(int width, int height) {
    FScreen.Resize(width, height);
    InvalidateRect({0, 0, width, height});
    if (FEvents) FEvents->Resized();
}

void HeadlessHost::PressKey(uint16_t key, TShiftState shift, std::string_view text) {
    std::string typed =
        text.empty() ? LayoutText(key, shift.Contains(TShiftFlag::ssShift)) : std::string(text);
    const bool ctrl = shift.Contains(TShiftFlag::ssCtrl), alt = shift.Contains(TShiftFlag::ssAlt);
    if (alt && !ctrl) {
        typed.clear();
    } else if (ctrl && !alt) {
        if (key >= 'A' && key <= 'Z')
            typed = std::string(1, static_cast<char>(key - 'A' + 1));
        else if (key == VK_RETURN)
            typed = "\n";
        else if (key == VK_BACK)
            typed = "\x7F";
        else if (typed.size() != 1 || static_cast<unsigned char>(typed[0]) >= 0x20)
            typed.clear();
    }
    if (!FEvents) return;
    if (key != 0) FEvents->KeyDown(key, shift);
    for (char byte : typed)
        FEvents->KeyPress(byte);
    if (key != 0) FEvents->KeyUp(key, shift);
}

void HeadlessHost::Compose(std::string_view preedit) {
    if (preedit.empty() && !FComposing) return;
    FComposing = !preedit.empty();
    if (FEvents) FEvents->CompositionChanged(preedit);
}

void HeadlessHost::Commit(std::string_view text) {
    if (text.empty()) {
        Compose({});
        return;
    }
    FComposing = false;
    if (FEvents) FEvents->CompositionCommitted(text);
}

bool HeadlessHost::FireTimer(int id) {
    if (!TimerRunning(id)) return false;
    if (FEvents) FEvents->Timer(id);
    return true;
}

int HeadlessHost::TimerInterval(int id) const {
    auto found = FTimers.find(id);
    return found == FTimers.end() ? 0 : found->second;
}

} // namespace platform::headless
