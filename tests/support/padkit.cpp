#include "tests/support/padkit.h"

#include "settings/SafeSave.h"

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

OtherProcessTarget::OtherProcessTarget(const std::string& title, int x, int y) {
    std::string cmd = "\"" + testkit::ExeDir() + "targetwin.exe\" --rect " + std::to_string(x) + " " +
                      std::to_string(y) + " 600 400 \"" + title + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        ADD_FAILURE() << "could not start " << cmd;
        return;
    }
    WaitForInputIdle(pi.hProcess, testkit::kLimitMs);
    EXPECT_TRUE(testkit::WaitFor(
        [&] {
            wnd = FindWindowA(nullptr, title.c_str());
            return wnd != nullptr && IsWindowVisible(wnd);
        },
        "the window \"" + title + "\" of targetwin.exe shown"));
}

OtherProcessTarget::~OtherProcessTarget() {
    if (pi.hProcess) {
        TerminateProcess(pi.hProcess, 0);
        EXPECT_EQ(WaitForSingleObject(pi.hProcess, testkit::kLimitMs), WAIT_OBJECT_0) << "targetwin.exe did not end";
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
    // What the window's end sent this thread.
    testkit::Pump();
}

::testing::AssertionResult OtherProcessTarget::Activate() {
    return testkit::ActivateAndSettle(wnd, [] { testkit::Pump(); });
}

std::string PadIni() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string s(path);
    return s.substr(0, s.rfind('.')) + ".ini";
}

namespace {
// The settings file and a copy a cut save may have left beside it.
void RemoveSettingsFiles() {
    DeleteFileA(PadIni().c_str());
    DeleteFileW(vcl::ini::SaveCopyPath(testkit::WideFrom932(PadIni())).c_str());
}
} // namespace

void PadFileTest::SetUp() {
    RemoveSettingsFiles();
    testkit::ReleaseModifiers();
}

void PadFileTest::TearDown() {
    held.reset();
    delete pad;
    pad = nullptr;
    RemoveSettingsFiles();
    testkit::ReleaseModifiers();
}

void PadFileTest::Hold() {
    held = std::make_unique<testkit::HeldFile>(PadIni());
    ASSERT_TRUE(held->Held());
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
