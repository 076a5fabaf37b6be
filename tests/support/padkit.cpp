#include "tests/support/padkit.h"

namespace padkit {

using namespace vcl;

TVTform* NewPad(bool activatable) {
    testkit::App();
    auto* pad = new TVTform(&testkit::App());
    if (activatable) pad->SetExtraExStyle(0);
    pad->DoCreate();
    pad->Timer1->SetEnabled(false);
    testkit::Pump();
    return pad;
}

void Poll(TVTform* pad) {
    pad->Timer1Timer(pad->Timer1);
    testkit::Pump();
}

::testing::AssertionResult DockOn(TVTform* pad, testkit::Window& target) {
    if (auto active = target.Activate(); !active) return active;
    Poll(pad);
    if (!pad->PadShown || pad->TargetWnd != target.hwnd())
        return ::testing::AssertionFailure() << "the pad did not dock on \"" << testkit::Title(target.hwnd())
                                             << "\"; the foreground " << testkit::Foreground();
    return ::testing::AssertionSuccess();
}

RECT PadRect(TVTform* pad) {
    RECT r{};
    GetWindowRect(pad->Handle(), &r);
    return r;
}

POINT Centre(TSpeedButton* button) {
    return button->ClientToScreen(POINT{button->Width() / 2, button->Height() / 2});
}

int ScreenDpi() {
    HDC dc = GetDC(nullptr);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    return dpi;
}

int ScaledToScreen(int designPixels) { return MulDiv(designPixels, ScreenDpi(), 96); }

std::shared_ptr<int> CountPolls(TVTform* pad) {
    auto polls = std::make_shared<int>(0);
    auto original = pad->Timer1->OnTimer;
    pad->Timer1->OnTimer = [polls, original](TObject* sender) {
        ++*polls;
        if (original) original(sender);
    };
    return polls;
}

void PadTest::SetUp() {
    testkit::ReleaseModifiers();
    pad = NewPad();
}

void PadTest::TearDown() {
    delete pad;
    pad = nullptr;
    testkit::ReleaseModifiers();
}

int PadTest::PadWidth() const {
    RECT r = PadRect();
    return r.right - r.left;
}

void PadTest::ExpectHidden() {
    EXPECT_FALSE(pad->PadShown);
    EXPECT_EQ(PadWidth(), 0);
}

} // namespace padkit
