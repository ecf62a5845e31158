// The window host contract on the headless backend: the test's keys and input-method text go
// in through the host's own keyboard layer.
#include "tests/platform/HostContract.h"
#include "platform/headless/HeadlessHost.h"

using namespace platform;

namespace {

std::string CodePage(std::string_view utf8) {
    return Utf8ToCodePage(utf8, TConversion::Strict);
}

class THeadlessDriver {
public:
    THeadlessDriver() { FHost.SetFocus(); }

    WindowHost& Host() { return FHost; }
    void Click(uint16_t key, TShiftState shift) { FHost.PressKey(key, shift); }
    void TypeCharacter(std::string_view utf8) { FHost.PressKey(0, {}, CodePage(utf8)); }
    void Compose(std::string_view utf8) { FHost.Compose(CodePage(utf8)); }
    void Commit(std::string_view utf8) { FHost.Commit(CodePage(utf8)); }
    void LoseFocus() { FHost.LoseFocus(); }
    void PutForeignText(std::string_view utf8) { FHost.ClipboardData().SetText(CodePage(utf8)); }
    hostcontract::THostCaret Caret() {
        return {FHost.CaretVisible(), FHost.CaretPosition(), FHost.CaretWidth(),
                FHost.CaretHeight()};
    }

private:
    headless::HeadlessHost FHost{100, 60};
};

} // namespace

namespace hostcontract {
INSTANTIATE_TYPED_TEST_SUITE_P(Headless, HostContract, THeadlessDriver);
}
