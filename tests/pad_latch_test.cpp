// The SHIFT and CTRL latches on a docked pad, clicked with real mouse input,
// and the release of held keys on every way out of the program.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "pad/VTform.h"
#include "tests/support/testkit.h"

using namespace vcl;
using testkit::Window;
using Ev = testkit::KeyRecorder::Event;

namespace {

const Ev ShiftDown{VK_SHIFT, 0}, ShiftUp{VK_SHIFT, KEYEVENTF_KEYUP};
const Ev CtrlDown{VK_CONTROL, 0}, CtrlUp{VK_CONTROL, KEYEVENTF_KEYUP};

class PadLatches : public ::testing::Test {
protected:
    void SetUp() override {
        testkit::ReleaseModifiers();
        pad = new TVTform(&testkit::App());
        pad->DoCreate();
        pad->Timer1->SetEnabled(false);
        target = new Window("C:\\ - ｴｸｽﾌﾟﾛｰﾗ");
    }
    void TearDown() override {
        delete keys;
        delete pad;
        delete target;
        testkit::ReleaseModifiers();
    }
    void Dock() {
        target->Activate();
        pad->Timer1Timer(pad->Timer1);
        testkit::Pump(30);
        ASSERT_TRUE(pad->PadShown);
        keys = new testkit::KeyRecorder;
    }
    POINT Centre(TSpeedButton* b) const {
        return b->ClientToScreen(POINT{b->Width() / 2, b->Height() / 2});
    }
    // Whether the button's caption shows pixels of `color` on the screen.
    bool CaptionHas(TSpeedButton* b, COLORREF color) {
        UpdateWindow(pad->VTpanel->Handle());
        testkit::Pump(20);
        HDC dc = GetDC(pad->VTpanel->Handle());
        bool found = false;
        for (int y = b->Top(); y < b->Top() + b->Height() && !found; ++y)
            for (int x = b->Left(); x < b->Left() + b->Width() && !found; ++x)
                found = GetPixel(dc, x, y) == color;
        ReleaseDC(pad->VTpanel->Handle(), dc);
        return found;
    }

    TVTform* pad = nullptr;
    Window* target = nullptr;
    testkit::KeyRecorder* keys = nullptr;
};

TEST_F(PadLatches, ShiftLatchesAndUnlatchesTheRealKey) {
    Dock();
    testkit::ClickAt(Centre(pad->ShiftBtn));
    EXPECT_EQ(keys->events, std::vector<Ev>{ShiftDown});
    EXPECT_TRUE(pad->ShiftBtn->Down());
    EXPECT_TRUE(testkit::KeyHeld(VK_SHIFT));
    EXPECT_EQ(GetForegroundWindow(), target->hwnd());
    EXPECT_EQ(pad->ShiftBtn->Font().Color(), clRed);
    EXPECT_TRUE(CaptionHas(pad->ShiftBtn, RGB(255, 0, 0)));

    keys->events.clear();
    testkit::ClickAt(Centre(pad->ShiftBtn));
    EXPECT_EQ(keys->events, std::vector<Ev>{ShiftUp});
    EXPECT_FALSE(pad->ShiftBtn->Down());
    EXPECT_FALSE(testkit::KeyHeld(VK_SHIFT));
    EXPECT_FALSE(CaptionHas(pad->ShiftBtn, RGB(255, 0, 0)));
    EXPECT_TRUE(CaptionHas(pad->ShiftBtn, RGB(0, 0, 0)));
}

TEST_F(PadLatches, BothKeysHeldUnlessNoBoth) {
    Dock();
    testkit::ClickAt(Centre(pad->ShiftBtn));
    testkit::ClickAt(Centre(pad->CtrlBtn));
    // No key-up for Shift: both are held. (The system's view of Shift cannot be
    // checked here: Wine re-reads the modifiers from the X server, which knows
    // nothing of injected keys, when the pointer moves to CTRL.)
    EXPECT_EQ(keys->events, (std::vector<Ev>{ShiftDown, CtrlDown}));
    EXPECT_TRUE(pad->ShiftBtn->Down());
    EXPECT_TRUE(testkit::KeyHeld(VK_CONTROL));
    EXPECT_TRUE(CaptionHas(pad->ShiftBtn, RGB(255, 0, 0)));
    EXPECT_TRUE(CaptionHas(pad->CtrlBtn, RGB(255, 0, 0)));

    // With the option, latching one releases the other.
    testkit::ClickAt(Centre(pad->CtrlBtn));
    testkit::ClickAt(Centre(pad->ShiftBtn));
    pad->OptNoBoth = true;
    keys->events.clear();
    testkit::ClickAt(Centre(pad->CtrlBtn));
    EXPECT_EQ(keys->events, (std::vector<Ev>{CtrlDown, ShiftUp}));
    EXPECT_FALSE(pad->ShiftBtn->Down());
    EXPECT_TRUE(pad->CtrlBtn->Down());
    EXPECT_FALSE(testkit::KeyHeld(VK_SHIFT));
    EXPECT_TRUE(testkit::KeyHeld(VK_CONTROL));
    EXPECT_EQ(pad->ShiftBtn->Font().Color(), clBlack);
}

TEST_F(PadLatches, RightClickOnlyHandsTheForegroundBack) {
    Dock();
    Window other("無題 - メモ帳", WS_OVERLAPPEDWINDOW | WS_VISIBLE, RECT{150, 300, 450, 500});
    other.Activate();
    testkit::RightClickAt(Centre(pad->ShiftBtn));
    EXPECT_EQ(GetForegroundWindow(), target->hwnd());
    EXPECT_FALSE(pad->ShiftBtn->Down());
    EXPECT_TRUE(keys->events.empty());
}

TEST_F(PadLatches, DoubleClickEndsRaisedAfterOneDownAndOneUp) {
    Dock();
    testkit::ClickAt(Centre(pad->ShiftBtn), true);
    EXPECT_EQ(keys->events, (std::vector<Ev>{ShiftDown, ShiftUp}));
    EXPECT_FALSE(pad->ShiftBtn->Down());
    EXPECT_FALSE(testkit::KeyHeld(VK_SHIFT));
}

TEST_F(PadLatches, ClickBeforeAnyDockingSendsNoKey) {
    testkit::KeyRecorder rec;
    // Shown at its layout place and full width without ever having docked
    // (the pad itself starts at zero width; the button is made reachable here).
    pad->SetWidth(pad->PadWidth);
    pad->SetVisible(true);
    pad->VTpanel->SetVisible(true);
    testkit::Pump(30);
    ASSERT_EQ(pad->TargetWnd, pad->OwnWnd);
    testkit::ClickAt(Centre(pad->ShiftBtn));
    EXPECT_TRUE(pad->ShiftBtn->Down());
    EXPECT_TRUE(rec.events.empty());
    EXPECT_FALSE(testkit::KeyHeld(VK_SHIFT));
}

TEST_F(PadLatches, HidingAndEndingReleaseBothKeys) {
    Dock();
    testkit::ClickAt(Centre(pad->ShiftBtn));
    testkit::ClickAt(Centre(pad->CtrlBtn));
    Window other("無題 - メモ帳");
    other.Activate();
    pad->Timer1Timer(pad->Timer1);
    EXPECT_FALSE(testkit::KeyHeld(VK_SHIFT));
    EXPECT_FALSE(testkit::KeyHeld(VK_CONTROL));
    EXPECT_FALSE(pad->ShiftBtn->Down());
    EXPECT_FALSE(pad->CtrlBtn->Down());

    // Ending the program with a latched key.
    target->Activate();
    pad->Timer1Timer(pad->Timer1);
    testkit::ClickAt(Centre(pad->ShiftBtn));
    ASSERT_TRUE(testkit::KeyHeld(VK_SHIFT));
    delete pad;
    pad = nullptr;
    EXPECT_FALSE(testkit::KeyHeld(VK_SHIFT));
}

TEST_F(PadLatches, SessionEndReleasesTheKeys) {
    Dock();
    testkit::ClickAt(Centre(pad->ShiftBtn));
    ASSERT_TRUE(testkit::KeyHeld(VK_SHIFT));
    // A session that does not end after all changes nothing.
    SendMessageA(pad->Handle(), WM_ENDSESSION, FALSE, 0);
    EXPECT_TRUE(testkit::KeyHeld(VK_SHIFT));
    SendMessageA(pad->Handle(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_FALSE(testkit::KeyHeld(VK_SHIFT));
    EXPECT_FALSE(pad->ShiftBtn->Down());
}

TEST_F(PadLatches, LeavingTheMessageLoopReleasesTheKeys) {
    Dock();
    testkit::ClickAt(Centre(pad->ShiftBtn));
    ASSERT_TRUE(testkit::KeyHeld(VK_SHIFT));
    ASSERT_TRUE(testkit::App().OnTerminate);
    testkit::App().OnTerminate();
    EXPECT_FALSE(testkit::KeyHeld(VK_SHIFT));
}

// Run in a child process by the test below: holds Shift through the pad, then
// crashes or dies of an uncaught error.
TEST(PadCrashChild, DISABLED_HoldShiftThenDie) {
    // Instead of a debugger, the crash ends the process with its exception code;
    // the pad's own filter runs first and hands on to this one.
    SetUnhandledExceptionFilter([](EXCEPTION_POINTERS* info) -> LONG {
        TerminateProcess(GetCurrentProcess(), info->ExceptionRecord->ExceptionCode);
        return EXCEPTION_EXECUTE_HANDLER;
    });
    // Keep the pointer off the windows to come: a window mapped under the pointer
    // makes Wine re-read the modifiers from the X server, which would drop Shift.
    SetCursorPos(2, GetSystemMetrics(SM_CYSCREEN) - 2);
    testkit::Pump(100);
    auto* pad = new TVTform(&testkit::App());
    pad->DoCreate();
    pad->Timer1->SetEnabled(false);
    Window target("C:\\ - ｴｸｽﾌﾟﾛｰﾗ");
    target.Activate();
    // Let Wine finish taking the X focus: it re-reads the modifiers from X then.
    testkit::Pump(300);
    pad->Timer1Timer(pad->Timer1);
    pad->ShiftBtn->SetDown(true);
    pad->BtnOnOff(pad->ShiftBtn);
    testkit::Pump(50);
    if (!testkit::KeyHeld(VK_SHIFT)) std::exit(7);
    const char* how = getenv("VANTRO_DIE");
    if (how && std::string(how) == "throw") throw std::runtime_error("uncaught");
    volatile int* nowhere = nullptr;
    *nowhere = 1;
}

DWORD RunDyingChild(const char* how) {
    SetEnvironmentVariableA("VANTRO_DIE", how);
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string cmd = std::string("\"") + self +
                      "\" --gtest_catch_exceptions=0 --gtest_also_run_disabled_tests --gtest_filter=PadCrashChild.DISABLED_HoldShiftThenDie";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 0;
    WaitForSingleObject(pi.hProcess, 60000);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

TEST(PadCrash, ACrashOrAnUncaughtErrorLeavesNoKeyHeld) {
    testkit::ReleaseModifiers();
    DWORD code = RunDyingChild("crash");
    EXPECT_EQ(code, static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));
    EXPECT_FALSE(testkit::KeyHeld(VK_SHIFT));

    testkit::ReleaseModifiers();
    code = RunDyingChild("throw");
    EXPECT_EQ(code, 3u); // the exit code of abort()
    EXPECT_FALSE(testkit::KeyHeld(VK_SHIFT));
    testkit::ReleaseModifiers();
}

TEST(PadCrash, TheCrashFilterReleasesTheKeysAndHandsOn) {
    InstallKeyReleaseOnExit();
    LPTOP_LEVEL_EXCEPTION_FILTER filter = SetUnhandledExceptionFilter(nullptr);
    SetUnhandledExceptionFilter(filter);
    ASSERT_NE(filter, nullptr);
    keybd_event(VK_CONTROL, 0, 0, 0);
    testkit::Pump(20);
    ASSERT_TRUE(testkit::KeyHeld(VK_CONTROL));
    EXCEPTION_RECORD record{};
    record.ExceptionCode = EXCEPTION_ACCESS_VIOLATION;
    EXCEPTION_POINTERS pointers{&record, nullptr};
    EXPECT_EQ(filter(&pointers), EXCEPTION_CONTINUE_SEARCH);
    EXPECT_FALSE(testkit::KeyHeld(VK_CONTROL));
}

} // namespace
