// The whole program as a user meets it: the real vantro.exe, opened from its
// pad, its name label and its tray icon, driven with real mouse input.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/blackbox.h"
#include "tests/support/testkit.h"

using testkit::VantroProcess;
using testkit::Window;

namespace {

const char kTarget[] = "C:\\ - ｴｸｽﾌﾟﾛｰﾗ";
constexpr UINT kTrayMessage = WM_USER + 102;

POINT Centre(HWND wnd) {
    RECT r;
    GetWindowRect(wnd, &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

class Commands : public testkit::VantroTest {
protected:

    // Starts the program and docks its pad on `target`.
    void StartDocked(Window& target) {
        ASSERT_TRUE(proc.Start());
        pad = proc.Pad();
        ASSERT_NE(pad, nullptr);
        target.Activate();
        ASSERT_TRUE(Docked());
    }
    bool Docked(int ms = 5000) {
        return testkit::WaitFor(
            [&] {
                RECT r;
                GetWindowRect(pad, &r);
                return IsWindowVisible(pad) && r.right - r.left > 100;
            },
            ms);
    }
    RECT PadRect() const {
        RECT r;
        GetWindowRect(pad, &r);
        return r;
    }
    POINT NameLabel() const {
        RECT r = PadRect();
        return POINT{r.left + 12, (r.top + r.bottom) / 2};
    }
    POINT ButtonPoint(int fromRight) const {
        const int width = 3 * (GetSystemMetrics(SM_CYCAPTION) - 5);
        RECT r = PadRect();
        return POINT{r.right - 2 - fromRight * (width + 1) - width / 2, (r.top + r.bottom) / 2};
    }
    POINT ShiftButton() const { return ButtonPoint(1); }
    POINT CtrlButton() const { return ButtonPoint(0); }

    HWND Form(const char* cls) const {
        auto w = proc.Windows(cls);
        return w.empty() ? nullptr : w.front();
    }
    HWND Settings() const { return Form("TEditForm"); }
    bool SettingsOpen(int ms = 5000) {
        const bool open = testkit::WaitFor([&] { return Settings() && IsWindowVisible(Settings()); }, ms);
        // Let the dialog settle (focus, first paint) before it is clicked.
        testkit::Pump(200);
        return open;
    }
    bool SettingsClosed(int ms = 5000) {
        return testkit::WaitFor([&] { return !Settings() || !IsWindowVisible(Settings()); }, ms);
    }
    // A control of a dialog of the program, by class and caption.
    static HWND Control(HWND dialog, const char* cls, const char* caption) {
        return FindWindowExA(dialog, nullptr, cls, caption);
    }
    void ClickControl(HWND dialog, const char* cls, const char* caption) {
        HWND c = Control(dialog, cls, caption);
        ASSERT_NE(c, nullptr) << caption;
        testkit::ClickAt(Centre(c));
    }
    // Ticks a check box of a dialog of the program, and checks that it took.
    void Tick(HWND dialog, const char* caption) {
        HWND box = Control(dialog, "TCheckBox", caption);
        ASSERT_NE(box, nullptr) << caption;
        testkit::ClickAt(Centre(box));
        EXPECT_TRUE(testkit::WaitFor([&] { return SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }, 2000))
            << caption;
    }
    // Clicks an item of a menu bar of the program's dialog.
    // Clicks the first item of the menu bar of the program's dialog, just
    // below the caption, at the left.
    void ClickFirstMenuItem(HWND dialog) {
        RECT w, c;
        GetWindowRect(dialog, &w);
        GetClientRect(dialog, &c);
        POINT client{0, 0};
        ClientToScreen(dialog, &client);
        testkit::ClickAt(POINT{client.x + 20, client.y - GetSystemMetrics(SM_CYMENU) / 2});
    }
    void TrayCallback(UINT mouse) {
        HWND notify = Form("TNotifyWindow");
        ASSERT_NE(notify, nullptr);
        PostMessageA(notify, kTrayMessage, 1, mouse);
    }

    HWND pad = nullptr;
};

TEST_F(Commands, TheStripAndTheNameLabelOpenTheSettings) {
    Window target(kTarget);
    StartDocked(target);
    testkit::ClickAt(NameLabel());
    ASSERT_TRUE(SettingsOpen());
    // The pad hid while the dialog is open.
    EXPECT_EQ(PadRect().right - PadRect().left, 0);
    ClickControl(Settings(), "TButton", "CANCEL");
    ASSERT_TRUE(SettingsClosed());
    target.Activate();
    EXPECT_TRUE(Docked());

    // A click on the strip between the label and the buttons.
    RECT r = PadRect();
    testkit::ClickAt(POINT{ShiftButton().x - 3 * (GetSystemMetrics(SM_CYCAPTION) - 5) / 2 - 2, r.top + 1});
    ASSERT_TRUE(SettingsOpen());
    ClickControl(Settings(), "TButton", "CANCEL");
    ASSERT_TRUE(SettingsClosed());
    EXPECT_TRUE(proc.Close());
}

TEST_F(Commands, TheTrayIconOpensTheSettingsOnceWhetherOrNotThePadIsShown) {
    ASSERT_TRUE(proc.Start());
    pad = proc.Pad();
    ASSERT_NE(pad, nullptr);
    TrayCallback(WM_LBUTTONDOWN);
    ASSERT_TRUE(SettingsOpen());
    // A second callback while the dialog is open does nothing.
    TrayCallback(WM_RBUTTONDOWN);
    testkit::Pump(300);
    EXPECT_EQ(proc.Windows("TEditForm").size(), 1u);
    EXPECT_TRUE(IsWindowVisible(Settings()));
    EXPECT_TRUE(proc.Running());
    ClickControl(Settings(), "TButton", "CANCEL");
    ASSERT_TRUE(SettingsClosed());

    Window target(kTarget);
    target.Activate();
    ASSERT_TRUE(Docked());
    TrayCallback(WM_LBUTTONDOWN);
    ASSERT_TRUE(SettingsOpen());
    ClickControl(Settings(), "TButton", "OK");
    ASSERT_TRUE(SettingsClosed());
    EXPECT_TRUE(proc.Close());
}

TEST_F(Commands, NoBothFromTheDialogMakesCtrlReleaseShift) {
    Window target(kTarget);
    StartDocked(target);
    testkit::ClickAt(NameLabel());
    ASSERT_TRUE(SettingsOpen());
    Tick(Settings(), "ﾎﾞﾀﾝを同時に使用しない");
    ClickControl(Settings(), "TButton", "OK");
    ASSERT_TRUE(SettingsClosed());
    target.Activate();
    ASSERT_TRUE(Docked());

    testkit::KeyHook hook;
    testkit::ClickAt(ShiftButton());
    testkit::ClickAt(CtrlButton());
    testkit::Pump(100);
    EXPECT_EQ(hook.For(VK_SHIFT), (std::vector<bool>{false, true}));
    EXPECT_TRUE(testkit::KeyHeld(VK_CONTROL));
    ASSERT_TRUE(proc.Close());
    EXPECT_FALSE(testkit::KeyHeld(VK_CONTROL));
    EXPECT_NE(testkit::ReadFileBytes(proc.IniPath()).find("NoBoth=1\r\n"), std::string::npos);
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
    EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 2);
    ClickControl(Settings(), "TButton", "CANCEL");
    ASSERT_TRUE(SettingsClosed());

    // Open again, tick the option, and end the program from the dialog's menu:
    // it ends with the settings that were in effect before the dialog.
    target.Activate();
    ASSERT_TRUE(Docked());
    testkit::ClickAt(NameLabel());
    ASSERT_TRUE(SettingsOpen());
    list = FindWindowExA(Settings(), nullptr, "TListBox", nullptr);
    EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 3);
    Tick(Settings(), "ﾀｰｹﾞｯﾄを限定しない");
    ClickFirstMenuItem(Settings());
    ASSERT_TRUE(proc.WaitExit(5000));
    const std::string ini = testkit::ReadFileBytes(proc.IniPath());
    EXPECT_NE(ini.find("All=0\r\nList.Count=3\r\n"), std::string::npos) << ini;
    EXPECT_FALSE(testkit::KeyHeld(VK_SHIFT));
    EXPECT_FALSE(testkit::KeyHeld(VK_CONTROL));
}

TEST_F(Commands, TheContextMenuLeavesTheDockedPadAndItsLatchAlone) {
    Window target(kTarget);
    StartDocked(target);
    testkit::ClickAt(ShiftButton());
    testkit::KeyHook hook;
    testkit::RightClickAt(NameLabel());
    HWND menu = nullptr;
    ASSERT_TRUE(testkit::WaitFor([&] { return (menu = FindWindowA("#32768", nullptr)) && IsWindowVisible(menu); }));
    EXPECT_FALSE(Settings() && IsWindowVisible(Settings()));
    // Several polls later the pad is still docked and Shift was not let go.
    testkit::Pump(500);
    EXPECT_TRUE(IsWindowVisible(menu));
    EXPECT_GT(PadRect().right - PadRect().left, 100);
    // Dismissed without a choice: the target has the foreground again.
    INPUT esc[2]{};
    esc[0].type = esc[1].type = INPUT_KEYBOARD;
    esc[0].ki.wVk = esc[1].ki.wVk = VK_ESCAPE;
    esc[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, esc, sizeof(INPUT));
    EXPECT_TRUE(testkit::WaitFor([&] { return !IsWindowVisible(menu); }));
    EXPECT_TRUE(testkit::WaitFor([&] { return GetForegroundWindow() == target.hwnd(); }));
    testkit::Pump(300);
    EXPECT_GT(PadRect().right - PadRect().left, 100);
    EXPECT_TRUE(hook.For(VK_SHIFT).empty());
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
    ASSERT_TRUE(testkit::WaitFor([&] { return (adder = Form("TSetTitle")) && IsWindowVisible(adder); }));
    HWND candidates = FindWindowExA(adder, nullptr, "TListBox", nullptr);
    ASSERT_NE(candidates, nullptr);
    const LRESULT index = SendMessageA(candidates, LB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>("ﾒﾓ帳 - readme.txt"));
    ASSERT_GE(index, 0);
    RECT item{};
    SendMessageA(candidates, LB_SETTOPINDEX, index, 0);
    SendMessageA(candidates, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item));
    POINT p{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    ClientToScreen(candidates, &p);
    testkit::ClickAt(p);
    ClickControl(adder, "TButton", "OK");
    ClickControl(Settings(), "TButton", "OK");
    ASSERT_TRUE(SettingsClosed());

    other.Activate();
    ASSERT_TRUE(Docked());
    RECT r = PadRect();
    EXPECT_EQ(r.top, other.Rect().top + GetSystemMetrics(SM_CYFRAME));

    // The context menu's first item ends the program; the list is kept.
    testkit::RightClickAt(NameLabel());
    HWND menu = nullptr;
    ASSERT_TRUE(testkit::WaitFor([&] { return (menu = FindWindowA("#32768", nullptr)) && IsWindowVisible(menu); }));
    RECT m;
    GetWindowRect(menu, &m);
    testkit::ClickAt(POINT{m.left + 20, m.top + 10});
    ASSERT_TRUE(proc.WaitExit(5000));
    const std::string ini = testkit::ReadFileBytes(proc.IniPath());
    EXPECT_NE(ini.find("List.Count=4\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("List.3=｢ﾒﾓ帳 - readme.txt｣\r\n"), std::string::npos) << ini;

    // A restart comes back with it.
    VantroProcess again;
    testkit::WriteFileBytes(again.IniPath(), ini);
    ASSERT_TRUE(again.Start());
    pad = again.Pad();
    ASSERT_NE(pad, nullptr);
    other.Activate();
    EXPECT_TRUE(Docked());
    EXPECT_TRUE(again.Close());
}

} // namespace
