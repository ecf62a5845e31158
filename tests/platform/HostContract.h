// What every window host keeps, whatever its backend: the clipboard gives back the exact bytes
// it was given, keys type what the Windows keyboard layer types, input methods report their
// preedit and commit, the caret reads back as set, and scroll bars clamp their position.
//
// A backend's test executable instantiates the suite with a driver of its own:
//   WindowHost& Host();                         the host under test
//   void Click(uint16_t key, TShiftState shift); a key clicked as a user would
//   void TypeCharacter(std::string_view utf8);   a key whose text is that character
//   void Compose(std::string_view utf8);         an input method's preedit ("" cancels)
//   void Commit(std::string_view utf8);          an input method's commit
//   void LoseFocus();                            another window takes the focus
//   void PutForeignText(std::string_view utf8);  another program fills the clipboard
//   THostCaret Caret();                          the caret as the window shows it
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Clipboard.h"
#include "platform/CodePage.h"
#include "platform/WindowEvents.h"
#include "platform/WindowHost.h"

namespace hostcontract {

struct THostCaret {
    bool Visible = false;
    platform::TPoint Position;
    int Width = 0, Height = 0;
};

inline std::string Hex(std::string_view bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        text += digits[value >> 4];
        text += digits[value & 15];
    }
    return text;
}

// Writes down the keys, typed bytes, compositions and focus changes a host reports. The
// modifier keys' own downs and ups are left out: a keyboard reports them, a test host need not.
class TEventLog : public platform::WindowEvents {
public:
    void Paint() override {}
    void Resized() override {}
    void FocusChanged(bool focused) override { Log.push_back(focused ? "focus" : "blur"); }
    void KeyDown(uint16_t key, platform::TShiftState shift) override {
        if (!IsModifierKey(key)) Log.push_back("down " + std::to_string(key) + Modifiers(shift));
    }
    void KeyUp(uint16_t key, platform::TShiftState shift) override {
        if (!IsModifierKey(key)) Log.push_back("up " + std::to_string(key) + Modifiers(shift));
    }
    void KeyPress(char byte) override { Log.push_back("press " + std::to_string(byte & 0xFF)); }
    void CompositionChanged(std::string_view preedit) override {
        Log.push_back("compose " + Hex(preedit));
    }
    void CompositionCommitted(std::string_view text) override {
        Log.push_back("commit " + Hex(text));
    }
    void MouseDown(platform::TMouseButton, platform::TShiftState, int, int) override {}
    void MouseMove(platform::TShiftState, int, int) override {}
    void MouseUp(platform::TMouseButton, platform::TShiftState, int, int) override {}
    void DblClick() override {}
    bool MouseWheel(platform::TScrollBarKind, int, platform::TShiftState) override { return true; }
    void Scroll(platform::TScrollBarKind, platform::TScrollCode, int) override {}
    void Timer(int) override {}

    // The log so far, joined by "|", and cleared.
    std::string Take() {
        std::string text;
        for (const std::string& entry : Log)
            text += (text.empty() ? "" : "|") + entry;
        Log.clear();
        return text;
    }

    std::vector<std::string> Log;

private:
    static bool IsModifierKey(uint16_t key) {
        return key == platform::VK_SHIFT || key == platform::VK_CONTROL || key == platform::VK_MENU;
    }
    static std::string Modifiers(platform::TShiftState shift) {
        std::string text;
        if (shift.Contains(platform::TShiftFlag::ssShift)) text += " shift";
        if (shift.Contains(platform::TShiftFlag::ssCtrl)) text += " ctrl";
        if (shift.Contains(platform::TShiftFlag::ssAlt)) text += " alt";
        return text;
    }
};

template <class TDriver> class HostContract : public ::testing::Test {
protected:
    HostContract() { Driver.Host().SetEvents(&Events); }
    ~HostContract() override { Driver.Host().SetEvents(nullptr); }

    TDriver Driver;
    TEventLog Events;
};

TYPED_TEST_SUITE_P(HostContract);

TYPED_TEST_P(HostContract, TheClipboardGivesBackTheExactBytes) {
    platform::Clipboard* clipboard = this->Driver.Host().GetClipboard();
    ASSERT_NE(clipboard, nullptr);
    // Chinese, U+20000 (four bytes), lone bytes that form no character, and U+FFFD itself,
    // which is what those lone bytes look like as text.
    const std::string mixed = "a\xD6\xD0\xCE\xC4\x95\x32\x82\x36\x81\r\n\xFF"
                              "b\x80\x84\x31\xA4\x37\x81";
    clipboard->SetText(mixed);
    EXPECT_TRUE(clipboard->HasText());
    EXPECT_EQ(Hex(clipboard->GetText()), Hex(mixed));
    const std::string valid = "\xD6\xD0\xCE\xC4 \x95\x32\x82\x36";
    clipboard->SetText(valid);
    EXPECT_EQ(Hex(clipboard->GetText()), Hex(valid));

    // Text another program put there arrives in the code page.
    clipboard->SetText(mixed);
    this->Driver.PutForeignText("外来 text \xF0\xA0\x80\x80");
    EXPECT_TRUE(clipboard->HasText());
    EXPECT_EQ(Hex(clipboard->GetText()), Hex("\xCD\xE2\xC0\xB4 text \x95\x32\x82\x36"));
}

TYPED_TEST_P(HostContract, KeysTypeWhatTheWindowsKeyboardLayerTypes) {
    using namespace platform;
    const TShiftState none, shift{TShiftFlag::ssShift}, ctrl{TShiftFlag::ssCtrl},
        alt{TShiftFlag::ssAlt};
    struct TCase {
        uint16_t Key;
        TShiftState Shift;
        const char* Events;
    };
    const TCase cases[] = {
        {'A', none, "down 65|press 97|up 65"},
        {'A', shift, "down 65 shift|press 65|up 65 shift"},
        {'C', ctrl, "down 67 ctrl|press 3|up 67 ctrl"},
        {'5', ctrl, "down 53 ctrl|up 53 ctrl"},
        {'X', alt, "down 88 alt|up 88 alt"},
        {VK_RETURN, none, "down 13|press 13|up 13"},
        // A line feed, which the editor does not take for a line break.
        {VK_RETURN, ctrl, "down 13 ctrl|press 10|up 13 ctrl"},
        {VK_RETURN, alt, "down 13 alt|up 13 alt"},
        {VK_BACK, none, "down 8|press 8|up 8"},
        {VK_BACK, ctrl, "down 8 ctrl|press 127|up 8 ctrl"},
        {VK_TAB, none, "down 9|press 9|up 9"},
        {VK_DELETE, none, "down 46|up 46"},
        {VK_LEFT, shift, "down 37 shift|up 37 shift"},
    };
    for (const TCase& key : cases) {
        this->Driver.Click(key.Key, key.Shift);
        EXPECT_EQ(this->Events.Take(), key.Events) << "key " << key.Key;
    }
    // A key that types a Chinese character: its two bytes.
    this->Driver.TypeCharacter("中");
    EXPECT_EQ(this->Events.Take(), "press 214|press 208");
}

TYPED_TEST_P(HostContract, InputMethodsReportPreeditAndCommit) {
    this->Driver.Compose("zh");
    this->Driver.Compose("zhong");
    // The commit ends the composition: no empty preedit follows it, nor is there one to cancel.
    this->Driver.Commit("中文");
    this->Driver.Compose("");
    EXPECT_EQ(this->Events.Take(), "compose 7A68|compose 7A686F6E67|commit D6D0CEC4");
    // Cancelled: an empty preedit, once.
    this->Driver.Compose("ni");
    this->Driver.Compose("");
    this->Driver.Compose("");
    EXPECT_EQ(this->Events.Take(), "compose 6E69|compose ");
    // A commit with nothing composed; a four-byte character.
    this->Driver.Commit("\xF0\xA0\x80\x80");
    EXPECT_EQ(this->Events.Take(), "commit 95328236");
    // Losing the focus ends a composition.
    this->Driver.Compose("a");
    this->Driver.LoseFocus();
    EXPECT_EQ(this->Events.Take(), "compose 61|compose |blur");
}

TYPED_TEST_P(HostContract, TheCaretReadsBackAsSet) {
    platform::WindowHost& host = this->Driver.Host();
    host.CreateCaret(2, 14);
    EXPECT_FALSE(this->Driver.Caret().Visible); // a new caret starts hidden
    host.ShowCaret();
    host.SetCaretPosition(30, 40);
    THostCaret caret = this->Driver.Caret();
    EXPECT_TRUE(caret.Visible);
    EXPECT_EQ(caret.Position, (platform::TPoint{30, 40}));
    EXPECT_EQ(caret.Width, 2);
    EXPECT_EQ(caret.Height, 14);
    host.HideCaret();
    EXPECT_FALSE(this->Driver.Caret().Visible);
    host.ShowCaret();
    EXPECT_TRUE(this->Driver.Caret().Visible);
    host.SetCaretPosition(7, 0);
    EXPECT_EQ(this->Driver.Caret().Position, (platform::TPoint{7, 0}));
    // A new caret in place of a shown one starts hidden too.
    host.CreateCaret(3, 10);
    caret = this->Driver.Caret();
    EXPECT_FALSE(caret.Visible);
    EXPECT_EQ(caret.Width, 3);
    EXPECT_EQ(caret.Height, 10);
    // Gone, it cannot be shown.
    host.ShowCaret();
    host.DestroyCaret();
    host.ShowCaret();
    EXPECT_FALSE(this->Driver.Caret().Visible);
}

TYPED_TEST_P(HostContract, ScrollBarsClampTheirPosition) {
    using platform::TScrollBarKind;
    platform::WindowHost& host = this->Driver.Host();
    // The last position is maximum - page + 1.
    host.SetScrollRange(TScrollBarKind::Vertical, 1, 50, 10, 60);
    EXPECT_EQ(host.ScrollPosition(TScrollBarKind::Vertical), 41);
    host.SetScrollPosition(TScrollBarKind::Vertical, 0);
    EXPECT_EQ(host.ScrollPosition(TScrollBarKind::Vertical), 1);
    host.SetScrollPosition(TScrollBarKind::Vertical, 20);
    EXPECT_EQ(host.ScrollPosition(TScrollBarKind::Vertical), 20);
    host.SetScrollPosition(TScrollBarKind::Vertical, 41);
    EXPECT_EQ(host.ScrollPosition(TScrollBarKind::Vertical), 41);
    host.SetScrollPosition(TScrollBarKind::Vertical, 42);
    EXPECT_EQ(host.ScrollPosition(TScrollBarKind::Vertical), 41);
    // A page that shows everything leaves only the minimum; the other bar keeps its own.
    host.SetScrollRange(TScrollBarKind::Horizontal, 1, 8, 8, 3);
    EXPECT_EQ(host.ScrollPosition(TScrollBarKind::Horizontal), 1);
    EXPECT_EQ(host.ScrollPosition(TScrollBarKind::Vertical), 41);
    host.SetScrollRange(TScrollBarKind::Horizontal, 0, 9, 5, -3);
    EXPECT_EQ(host.ScrollPosition(TScrollBarKind::Horizontal), 0);
    host.SetScrollPosition(TScrollBarKind::Horizontal, 9);
    EXPECT_EQ(host.ScrollPosition(TScrollBarKind::Horizontal), 5);
}

REGISTER_TYPED_TEST_SUITE_P(HostContract, TheClipboardGivesBackTheExactBytes,
                            KeysTypeWhatTheWindowsKeyboardLayerTypes,
                            InputMethodsReportPreeditAndCommit, TheCaretReadsBackAsSet,
                            ScrollBarsClampTheirPosition);

} // namespace hostcontract
