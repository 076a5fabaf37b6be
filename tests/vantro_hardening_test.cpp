// The real vantro.exe on rough paths: close requests that pile up and a pad
// killed with its keys held.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/blackbox.h"
#include "tests/support/testkit.h"

using testkit::KeyHook;
using testkit::Window;

namespace {


using Hardening = testkit::VantroTest;

TEST_F(Hardening, TwoCloseRequestsEndTheProgramOnceWithAWholeFile) {
    // Both to the pad.
    ASSERT_TRUE(proc.Start());
    pad = proc.Pad();
    ASSERT_NE(pad, nullptr);
    PostMessageA(pad, WM_CLOSE, 0, 0);
    PostMessageA(pad, WM_CLOSE, 0, 0);
    ASSERT_TRUE(proc.WaitExit());
    EXPECT_EQ(proc.ExitCode(), 0u);
    EXPECT_EQ(testkit::ReadFileBytes(proc.IniPath()), testkit::kFirstRunFile);

    // One to the pad, one to the application's window, with a list of five.
    const std::string five =
        "[Target]\r\nAll=0\r\nList.Count=5\r\nList.0=｢a｣\r\nList.1=｢b｣\r\nList.2=｢c｣\r\nList.3=｢d｣\r\n"
        "List.4=｢e｣\r\n[Pad]\r\nNoBoth=1\r\n";
    ASSERT_TRUE(testkit::WriteFileBytes(proc.IniPath(), five));
    ASSERT_TRUE(proc.Start());
    pad = proc.Pad();
    ASSERT_NE(pad, nullptr);
    HWND app = proc.Form("TApplication");
    ASSERT_NE(app, nullptr);
    PostMessageA(pad, WM_CLOSE, 0, 0);
    PostMessageA(app, WM_CLOSE, 0, 0);
    ASSERT_TRUE(proc.WaitExit());
    EXPECT_EQ(proc.ExitCode(), 0u);
    EXPECT_EQ(testkit::ReadFileBytes(proc.IniPath()), five);
}

TEST_F(Hardening, KeysLeftHeldByAKilledPadAreLetGoOfAtTheNextStart) {
    Window target("C:\\ - ｴｸｽﾌﾟﾛｰﾗ");
    StartDocked(target);
    KeyHook hook;
    testkit::ClickAt(ShiftButton());
    testkit::ClickAt(CtrlButton());
    ASSERT_TRUE(testkit::WaitFor(
        [&] { return hook.For(VK_SHIFT) == std::vector<bool>{false} && hook.For(VK_CONTROL) == std::vector<bool>{false}; },
        "one key-down each for Shift and Ctrl"));
    // Killed as Task Manager kills: no handler of the pad runs.
    proc.Kill();
    // Wine may let go of injected keys by itself when windows come and go; once
    // the X focus has settled on the target, they are held again here as a
    // killed pad leaves them on Windows.
    ASSERT_TRUE(testkit::ActivateAndSettle(target.hwnd(), [] { testkit::Pump(); }));
    ASSERT_TRUE(testkit::EnsureHeld(VK_SHIFT));
    ASSERT_TRUE(testkit::EnsureHeld(VK_CONTROL));
    hook.events.clear();

    ASSERT_TRUE(proc.Start());
    ASSERT_NE(proc.Pad(), nullptr);
    EXPECT_TRUE(testkit::WaitFor([] { return !testkit::KeyHeld(VK_SHIFT) && !testkit::KeyHeld(VK_CONTROL); },
                                 "Shift and Ctrl let go by the new pad"));
    // The new pad sent key-ups, and nothing else. (Wine may still drop one of
    // the keys by itself while the new process makes its windows, before the
    // pad looks; then the pad has no key-up to send for it. The other one is
    // always its own.)
    const std::vector<bool> shift = hook.For(VK_SHIFT), ctrl = hook.For(VK_CONTROL);
    EXPECT_FALSE(shift.empty() && ctrl.empty()) << "no key-up from the new pad";
    for (const std::vector<bool>* sent : {&shift, &ctrl}) {
        EXPECT_LE(sent->size(), 1u);
        for (bool up : *sent) EXPECT_TRUE(up);
    }
    RecordProperty("keyups_sent", std::to_string(shift.size() + ctrl.size()));
    EXPECT_TRUE(proc.Close());
}

} // namespace
