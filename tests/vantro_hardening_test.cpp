// The real vantro.exe on rough paths: close requests that pile up, a window
// title with line breaks taken into the target list, and a pad killed with its
// keys held.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/blackbox.h"
#include "tests/support/testkit.h"

using testkit::KeyHook;
using testkit::Window;

namespace {

const char kFirstRun[] =
    "[Target]\r\nAll=0\r\nList.Count=3\r\nList.0=｢ｴｸｽﾌﾟﾛｰﾗ｣\r\nList.1=｢ﾌﾟﾛｸﾞﾗﾑ ﾏﾈｰｼﾞｬ｣\r\n"
    "List.2=｢ﾌｧｲﾙ ﾏﾈｰｼﾞｬ｣\r\n[Pad]\r\nNoBoth=0\r\n";

int Lines(const std::string& text) {
    int n = 0;
    for (char c : text) n += c == '\n';
    return n;
}

// A list box item of another process: its superclassed list box answers
// LB_GETTEXT in UTF-16 only, so the text is asked for wide and turned into
// code page 932.
std::string ItemText(HWND list, int index) {
    const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, index, 0);
    if (length < 0) return "<none>";
    std::wstring wide(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(&wide[0]));
    wide.resize(wcslen(wide.c_str()));
    std::string text(wide.size() * 2 + 1, '\0');
    const int n = WideCharToMultiByte(932, 0, wide.c_str(), static_cast<int>(wide.size()), &text[0],
                                      static_cast<int>(text.size()), nullptr, nullptr);
    text.resize(n > 0 ? n : 0);
    return text;
}

class Hardening : public testkit::VantroTest {
protected:
    // Opens the settings dialog through the tray icon's callback.
    ::testing::AssertionResult OpenSettings() {
        TrayCallback(WM_LBUTTONDOWN);
        return SettingsOpen();
    }
};

TEST_F(Hardening, TwoCloseRequestsEndTheProgramOnceWithAWholeFile) {
    // Both to the pad.
    ASSERT_TRUE(proc.Start());
    pad = proc.Pad();
    ASSERT_NE(pad, nullptr);
    PostMessageA(pad, WM_CLOSE, 0, 0);
    PostMessageA(pad, WM_CLOSE, 0, 0);
    ASSERT_TRUE(proc.WaitExit());
    EXPECT_EQ(proc.ExitCode(), 0u);
    EXPECT_EQ(testkit::ReadFileBytes(proc.IniPath()), kFirstRun);

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

TEST_F(Hardening, ATwoLineWindowTitleBecomesOneEntryThatReadsBack) {
    Window odd("two lines\r\n[Pad]\r\nNoBoth=1", WS_OVERLAPPEDWINDOW | WS_VISIBLE, RECT{150, 420, 650, 700});
    const std::string entry = "two lines  [Pad]  NoBoth=1";
    ASSERT_TRUE(proc.Start());
    ASSERT_NE(proc.Pad(), nullptr);
    ASSERT_TRUE(OpenSettings());
    ClickControl(Settings(), "TButton", "追加");
    HWND adder = nullptr;
    ASSERT_TRUE(testkit::WaitFor([&] { return (adder = proc.Form("TSetTitle")) && IsWindowVisible(adder); },
                                 "the add-target dialog shown"));
    HWND candidates = FindWindowExA(adder, nullptr, "TListBox", nullptr);
    ASSERT_NE(candidates, nullptr);
    int index = -1;
    auto offered = [&] {
        const int count = static_cast<int>(SendMessageA(candidates, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i)
            if (ItemText(candidates, i) == entry) index = i;
        return index >= 0;
    };
    ASSERT_TRUE(testkit::WaitFor(offered, "the title offered on one line", [&] {
        std::string items;
        const int count = static_cast<int>(SendMessageA(candidates, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) items += "\"" + ItemText(candidates, i) + "\" ";
        return items;
    }));
    SendMessageA(candidates, LB_SETTOPINDEX, index, 0);
    ClickListItem(candidates, index);
    ClickControl(adder, "TButton", "OK");
    ClickControl(Settings(), "TButton", "OK");
    ASSERT_TRUE(SettingsClosed());
    ASSERT_TRUE(proc.Close());

    const std::string ini = testkit::ReadFileBytes(proc.IniPath());
    const std::string want =
        "[Target]\r\nAll=0\r\nList.Count=4\r\nList.0=｢ｴｸｽﾌﾟﾛｰﾗ｣\r\nList.1=｢ﾌﾟﾛｸﾞﾗﾑ ﾏﾈｰｼﾞｬ｣\r\n"
        "List.2=｢ﾌｧｲﾙ ﾏﾈｰｼﾞｬ｣\r\nList.3=｢" + entry + "｣\r\n[Pad]\r\nNoBoth=0\r\n";
    EXPECT_EQ(ini, want);
    EXPECT_EQ(Lines(ini), 9);

    // After a restart the list holds it as one entry, and the next close
    // writes the same file.
    ASSERT_TRUE(proc.Start());
    ASSERT_NE(proc.Pad(), nullptr);
    ASSERT_TRUE(OpenSettings());
    HWND list = FindWindowExA(Settings(), nullptr, "TListBox", nullptr);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 4);
    EXPECT_EQ(ItemText(list, 3), entry);
    ClickControl(Settings(), "TButton", "CANCEL");
    ASSERT_TRUE(SettingsClosed());
    ASSERT_TRUE(proc.Close());
    EXPECT_EQ(testkit::ReadFileBytes(proc.IniPath()), ini);
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

    const DWORD start = GetTickCount();
    ASSERT_TRUE(proc.Start());
    ASSERT_NE(proc.Pad(), nullptr);
    EXPECT_TRUE(testkit::WaitFor([] { return !testkit::KeyHeld(VK_SHIFT) && !testkit::KeyHeld(VK_CONTROL); },
                                 "Shift and Ctrl let go by the new pad"));
    const DWORD took = GetTickCount() - start;
    printf("keys let go %lu ms after the start (process start included)\n", took);
    RecordProperty("release_ms_after_start", static_cast<int>(took));
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
