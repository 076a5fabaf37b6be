// The real vantro.exe, started as a process of its own, docking on windows of
// this test, latching keys under real mouse input, and keeping its settings in
// the real file. What an in-process test proves already is not repeated here.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/blackbox.h"
#include "tests/support/testkit.h"

using testkit::KeyHook;
using testkit::Window;

namespace {

const char kTarget[] = "C:\\ - ｴｸｽﾌﾟﾛｰﾗ";

using Vantro = testkit::VantroTest;

TEST_F(Vantro, DocksFollowsLatchesAndHidesUnderRealInput) {
    ASSERT_TRUE(proc.Start());
    pad = proc.Pad();
    ASSERT_NE(pad, nullptr);
    EXPECT_FALSE(IsWindowVisible(pad));
    Window target(kTarget);
    ASSERT_TRUE(target.Activate());
    ASSERT_TRUE(proc.WaitDockedOn(target.hwnd()));

    // It follows the target (passing through zero width while it moves).
    const RECT before = PadRect();
    MoveWindow(target.hwnd(), 200, 250, 500, 300, TRUE);
    EXPECT_TRUE(proc.WaitDockedOn(target.hwnd()));
    EXPECT_EQ(PadRect().right - PadRect().left, before.right - before.left);

    // SHIFT holds the key system-wide and hands the foreground back.
    KeyHook hook;
    testkit::ClickAt(ShiftButton());
    ASSERT_TRUE(testkit::WaitFor([&] { return !hook.For(VK_SHIFT).empty(); }, "a Shift event"));
    EXPECT_EQ(hook.For(VK_SHIFT), std::vector<bool>{false}) << "one key-down for Shift";
    EXPECT_TRUE(testkit::WaitFor([&] { return GetForegroundWindow() == target.hwnd(); },
                                 "the foreground back on the target", testkit::Foreground));

    // Wine may have let go of Shift meanwhile; the pad then shows SHIFT
    // raised, the next click latches anew and the one after lets go.
    ExpectNextLatchClickReleases(hook);

    Window other("無題 - メモ帳", WS_OVERLAPPEDWINDOW | WS_VISIBLE, RECT{50, 400, 350, 600});
    ASSERT_TRUE(other.Activate());
    EXPECT_TRUE(proc.WaitHidden());
    EXPECT_TRUE(proc.Close());
}

TEST_F(Vantro, FirstRunWritesTheSettingsFileAtClose) {
    ASSERT_TRUE(proc.Start());
    ASSERT_NE(proc.Pad(), nullptr);
    EXPECT_EQ(GetFileAttributesA(proc.IniPath().c_str()), INVALID_FILE_ATTRIBUTES);
    ASSERT_TRUE(proc.Close());
    EXPECT_EQ(testkit::ReadFileBytes(proc.IniPath()), testkit::kFirstRunFile);
}

TEST_F(Vantro, AHandWrittenListDecidesTheTargets) {
    ASSERT_TRUE(testkit::WriteFileBytes(proc.IniPath(),
                                        "[Target]\r\nList.Count=1\r\nList.0=｢ﾒﾓ帳｣\r\n[Pad]\r\nNoBoth=1\r\n"));
    Window mine("無題 - ﾒﾓ帳");
    StartDocked(mine);
    // The pad hides on a default target: a poll saw it and found no entry.
    Window explorer(kTarget);
    ASSERT_TRUE(explorer.Activate());
    EXPECT_TRUE(proc.WaitHidden());
    ASSERT_TRUE(proc.Close());
    const std::string ini = testkit::ReadFileBytes(proc.IniPath());
    EXPECT_NE(ini.find("NoBoth=1\r\n"), std::string::npos);
    EXPECT_NE(ini.find("List.Count=1\r\nList.0=｢ﾒﾓ帳｣\r\n"), std::string::npos);
}

} // namespace
