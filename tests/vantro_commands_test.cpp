// The whole program as a user meets it: the real vantro.exe, opened from its
// pad, its name label and its tray icon, driven with real mouse input, with
// the outcome in the real settings file. What an in-process test proves
// already (the poll held while a dialog or the menu is open, a second opening
// while one is open) is not repeated here.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/blackbox.h"
#include "tests/support/dialogkit.h"
#include "tests/support/testkit.h"

using testkit::VantroProcess;
using testkit::Window;

namespace {

const char kTarget[] = "C:\\ - ｴｸｽﾌﾟﾛｰﾗ";

class Commands : public testkit::VantroTest {
protected:
    void Cancel() {
        ClickControl(Settings(), "TButton", "CANCEL");
        ASSERT_TRUE(SettingsClosed());
    }
};

TEST_F(Commands, TheTrayIconTheNameLabelAndTheStripOpenTheSettings) {
    ASSERT_TRUE(proc.Start());
    pad = proc.Pad();
    ASSERT_NE(pad, nullptr);
    // The tray icon, before the pad was ever shown.
    TrayCallback(WM_LBUTTONDOWN);
    ASSERT_TRUE(SettingsOpen());
    EXPECT_EQ(proc.Windows("TEditForm").size(), 1u);
    Cancel();
    Window target(kTarget);
    ASSERT_TRUE(target.Activate());
    ASSERT_TRUE(proc.WaitDockedOn(target.hwnd()));
    // The name label; the pad hides while the dialog is open.
    testkit::ClickAt(NameLabel());
    ASSERT_TRUE(SettingsOpen());
    EXPECT_EQ(PadRect().right - PadRect().left, 0);
    Cancel();
    // (That the program hands the foreground back is proven in-process: here
    // Wine may move the X focus to the desktop as the dialog goes.)
    ASSERT_TRUE(target.Activate());
    ASSERT_TRUE(proc.WaitDockedOn(target.hwnd()));
    // A click on the strip between the label and the buttons.
    const RECT r = PadRect();
    testkit::ClickAt(POINT{ShiftButton().x - (CtrlButton().x - ShiftButton().x) / 2 - 2, r.top + 1});
    ASSERT_TRUE(SettingsOpen());
    Cancel();
    // The tray icon with the pad docked.
    ASSERT_TRUE(target.Activate());
    ASSERT_TRUE(proc.WaitDockedOn(target.hwnd()));
    TrayCallback(WM_LBUTTONDOWN);
    ASSERT_TRUE(SettingsOpen());
    ClickControl(Settings(), "TButton", "OK");
    ASSERT_TRUE(SettingsClosed());
    EXPECT_TRUE(proc.Close());
}

TEST_F(Commands, CancelKeepsTheListAndQuitSavesIt) {
    Window target(kTarget);
    StartDocked(target);
    testkit::ClickAt(NameLabel());
    ASSERT_TRUE(SettingsOpen());
    // The first entry is selected on opening: delete it, then cancel.
    ClickControl(Settings(), "TButton", "削除");
    HWND list = FindWindowExA(Settings(), nullptr, "TListBox", nullptr);
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(testkit::WaitFor([&] { return SendMessageA(list, LB_GETCOUNT, 0, 0) == 2; }, "two entries left"));
    Cancel();

    // Open again, tick the option, and end the program from the dialog's menu:
    // it ends with the settings that were in effect before the dialog.
    ASSERT_TRUE(target.Activate());
    ASSERT_TRUE(proc.WaitDockedOn(target.hwnd()));
    testkit::ClickAt(NameLabel());
    ASSERT_TRUE(SettingsOpen());
    list = FindWindowExA(Settings(), nullptr, "TListBox", nullptr);
    EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 3);
    Tick(Settings(), "ﾀｰｹﾞｯﾄを限定しない");
    ChooseFirstMenuBarItem(Settings()); // "Vantroの終了"
    ASSERT_TRUE(proc.WaitExit());
    const std::string ini = testkit::ReadFileBytes(proc.IniPath());
    EXPECT_NE(ini.find("All=0\r\nList.Count=3\r\n"), std::string::npos) << ini;
    EXPECT_FALSE(testkit::KeyHeld(VK_SHIFT));
    EXPECT_FALSE(testkit::KeyHeld(VK_CONTROL));
}

TEST_F(Commands, TheContextMenuLeavesTheDockedPadAndItsLatchAlone) {
    Window target(kTarget);
    StartDocked(target);
    testkit::KeyHook hook;
    testkit::ClickAt(ShiftButton());
    ASSERT_TRUE(testkit::WaitFor([&] { return !hook.For(VK_SHIFT).empty(); }, "Shift latched"));
    hook.events.clear();
    testkit::RightClickAt(NameLabel());
    HWND menu = WaitMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_FALSE(Settings() && IsWindowVisible(Settings()));
    EXPECT_GT(PadRect().right - PadRect().left, 100);
    // Dismissed without a choice: the target has the foreground again.
    dialogkit::Press(VK_ESCAPE);
    EXPECT_TRUE(testkit::WaitFor([&] { return !IsWindowVisible(menu); }, "the menu closed"));
    EXPECT_TRUE(testkit::WaitFor([&] { return GetForegroundWindow() == target.hwnd(); },
                                 "the foreground back on the target", testkit::Foreground));
    EXPECT_TRUE(proc.WaitDockedOn(target.hwnd()));
    // The menu sent no Shift event: the latch is still down, and a click on
    // SHIFT lets go of the key. (Wine may have let go of Shift itself
    // meanwhile, on the menu's focus changes; the pad then shows SHIFT raised,
    // that click latches anew, and the next one lets go.)
    EXPECT_TRUE(hook.For(VK_SHIFT).empty());
    ExpectNextLatchClickReleases(hook);
    EXPECT_TRUE(proc.Close());
}

TEST_F(Commands, ATitleAddedFromARunningWindowDocksThePad) {
    Window other("ﾒﾓ帳 - readme.txt", WS_OVERLAPPEDWINDOW | WS_VISIBLE, RECT{150, 420, 650, 700});
    Window target(kTarget);
    StartDocked(target);
    testkit::ClickAt(NameLabel());
    ASSERT_TRUE(SettingsOpen());
    ClickControl(Settings(), "TButton", "追加");
    HWND adder = nullptr;
    ASSERT_TRUE(testkit::WaitFor([&] { return (adder = proc.Form("TSetTitle")) && IsWindowVisible(adder); },
                                 "the add-target dialog"));
    HWND candidates = FindWindowExA(adder, nullptr, "TListBox", nullptr);
    ASSERT_NE(candidates, nullptr);
    const LRESULT index = SendMessageA(candidates, LB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>("ﾒﾓ帳 - readme.txt"));
    ASSERT_GE(index, 0);
    SendMessageA(candidates, LB_SETTOPINDEX, index, 0);
    ClickListItem(candidates, static_cast<int>(index));
    ClickControl(adder, "TButton", "OK");
    ClickControl(Settings(), "TButton", "OK");
    ASSERT_TRUE(SettingsClosed());

    ASSERT_TRUE(other.Activate());
    ASSERT_TRUE(proc.WaitDockedOn(other.hwnd()));

    // The context menu's first item, chosen with the keyboard, ends the
    // program; the list is kept.
    testkit::RightClickAt(NameLabel());
    HWND menu = WaitMenu();
    ASSERT_NE(menu, nullptr);
    dialogkit::Press(VK_DOWN);
    dialogkit::Press(VK_RETURN);
    ASSERT_TRUE(proc.WaitExit());
    const std::string ini = testkit::ReadFileBytes(proc.IniPath());
    EXPECT_NE(ini.find("List.Count=4\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("List.3=｢ﾒﾓ帳 - readme.txt｣\r\n"), std::string::npos) << ini;

    // A restart comes back with it.
    VantroProcess again;
    testkit::WriteFileBytes(again.IniPath(), ini);
    ASSERT_TRUE(again.Start());
    ASSERT_NE(again.Pad(), nullptr);
    ASSERT_TRUE(other.Activate());
    EXPECT_TRUE(again.WaitDockedOn(other.hwnd()));
    EXPECT_TRUE(again.Close());
}

} // namespace
