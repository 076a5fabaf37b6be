// The real vantro.exe on rough paths: close requests that pile up, and a window
// title with line breaks taken into the target list.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/blackbox.h"
#include "tests/support/testkit.h"

using testkit::VantroProcess;
using testkit::Window;

namespace {

constexpr UINT kTrayMessage = WM_USER + 102;

const char kFirstRun[] =
    "[Target]\r\nAll=0\r\nList.Count=3\r\nList.0=｢ｴｸｽﾌﾟﾛｰﾗ｣\r\nList.1=｢ﾌﾟﾛｸﾞﾗﾑ ﾏﾈｰｼﾞｬ｣\r\n"
    "List.2=｢ﾌｧｲﾙ ﾏﾈｰｼﾞｬ｣\r\n[Pad]\r\nNoBoth=0\r\n";

// The process's exit code, read through a handle of our own.
class ExitCode {
public:
    explicit ExitCode(DWORD pid) : FProcess(OpenProcess(PROCESS_QUERY_INFORMATION | SYNCHRONIZE, FALSE, pid)) {}
    ~ExitCode() {
        if (FProcess) CloseHandle(FProcess);
    }
    DWORD Get() const {
        DWORD code = 12345;
        if (!FProcess || !GetExitCodeProcess(FProcess, &code)) return 12345;
        return code;
    }

private:
    HANDLE FProcess;
};

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

POINT Centre(HWND wnd) {
    RECT r;
    GetWindowRect(wnd, &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

class Hardening : public testkit::VantroTest {
protected:
    HWND Form(VantroProcess& p, const char* cls) {
        auto w = p.Windows(cls);
        return w.empty() ? nullptr : w.front();
    }
    // Opens the settings dialog through the tray icon's callback.
    HWND OpenSettings(VantroProcess& p) {
        HWND notify = Form(p, "TNotifyWindow");
        EXPECT_NE(notify, nullptr);
        if (!notify) return nullptr;
        PostMessageA(notify, kTrayMessage, 1, WM_LBUTTONDOWN);
        HWND settings = nullptr;
        EXPECT_TRUE(testkit::WaitFor([&] { return (settings = Form(p, "TEditForm")) && IsWindowVisible(settings); },
                                     5000));
        testkit::Pump(200);
        return settings;
    }
    void ClickButton(HWND dialog, const char* caption) {
        HWND c = FindWindowExA(dialog, nullptr, "TButton", caption);
        ASSERT_NE(c, nullptr) << caption;
        testkit::ClickAt(Centre(c));
    }
};

TEST_F(Hardening, TwoCloseRequestsEndTheProgramOnceWithAWholeFile) {
    // Both to the pad.
    ASSERT_TRUE(proc.Start());
    HWND pad = proc.Pad();
    ASSERT_NE(pad, nullptr);
    ExitCode first(proc.Pid());
    PostMessageA(pad, WM_CLOSE, 0, 0);
    PostMessageA(pad, WM_CLOSE, 0, 0);
    ASSERT_TRUE(proc.WaitExit(10000));
    EXPECT_EQ(first.Get(), 0u);
    EXPECT_EQ(testkit::ReadFileBytes(proc.IniPath()), kFirstRun);

    // One to the pad, one to the application's window, with a list of five.
    const std::string five =
        "[Target]\r\nAll=0\r\nList.Count=5\r\nList.0=｢a｣\r\nList.1=｢b｣\r\nList.2=｢c｣\r\nList.3=｢d｣\r\n"
        "List.4=｢e｣\r\n[Pad]\r\nNoBoth=1\r\n";
    VantroProcess again;
    ASSERT_TRUE(testkit::WriteFileBytes(again.IniPath(), five));
    ASSERT_TRUE(again.Start());
    pad = again.Pad();
    ASSERT_NE(pad, nullptr);
    HWND app = Form(again, "TApplication");
    ASSERT_NE(app, nullptr);
    ExitCode second(again.Pid());
    PostMessageA(pad, WM_CLOSE, 0, 0);
    PostMessageA(app, WM_CLOSE, 0, 0);
    ASSERT_TRUE(again.WaitExit(10000));
    EXPECT_EQ(second.Get(), 0u);
    EXPECT_EQ(testkit::ReadFileBytes(again.IniPath()), five);
}

TEST_F(Hardening, ATwoLineWindowTitleBecomesOneEntryThatReadsBack) {
    Window odd("two lines\r\n[Pad]\r\nNoBoth=1", WS_OVERLAPPEDWINDOW | WS_VISIBLE, RECT{150, 420, 650, 700});
    const std::string entry = "two lines  [Pad]  NoBoth=1";
    ASSERT_TRUE(proc.Start());
    ASSERT_NE(proc.Pad(), nullptr);
    HWND settings = OpenSettings(proc);
    ASSERT_NE(settings, nullptr);
    ClickButton(settings, "追加");
    HWND adder = nullptr;
    ASSERT_TRUE(testkit::WaitFor([&] { return (adder = Form(proc, "TSetTitle")) && IsWindowVisible(adder); }));
    HWND candidates = FindWindowExA(adder, nullptr, "TListBox", nullptr);
    ASSERT_NE(candidates, nullptr);
    int index = -1;
    const int count = static_cast<int>(SendMessageA(candidates, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
        if (ItemText(candidates, i) == entry) index = i;
    ASSERT_GE(index, 0) << "the title is offered on one line";
    RECT item{};
    SendMessageA(candidates, LB_SETTOPINDEX, index, 0);
    SendMessageA(candidates, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item));
    POINT p{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    ClientToScreen(candidates, &p);
    testkit::ClickAt(p);
    ClickButton(adder, "OK");
    ClickButton(settings, "OK");
    ASSERT_TRUE(testkit::WaitFor([&] { return !IsWindowVisible(settings); }));
    ASSERT_TRUE(proc.Close());

    const std::string ini = testkit::ReadFileBytes(proc.IniPath());
    const std::string want =
        "[Target]\r\nAll=0\r\nList.Count=4\r\nList.0=｢ｴｸｽﾌﾟﾛｰﾗ｣\r\nList.1=｢ﾌﾟﾛｸﾞﾗﾑ ﾏﾈｰｼﾞｬ｣\r\n"
        "List.2=｢ﾌｧｲﾙ ﾏﾈｰｼﾞｬ｣\r\nList.3=｢" + entry + "｣\r\n[Pad]\r\nNoBoth=0\r\n";
    EXPECT_EQ(ini, want);
    EXPECT_EQ(Lines(ini), 9);

    // After a restart the list holds it as one entry, and the next close
    // writes the same file.
    VantroProcess again;
    ASSERT_TRUE(testkit::WriteFileBytes(again.IniPath(), ini));
    ASSERT_TRUE(again.Start());
    ASSERT_NE(again.Pad(), nullptr);
    settings = OpenSettings(again);
    ASSERT_NE(settings, nullptr);
    HWND list = FindWindowExA(settings, nullptr, "TListBox", nullptr);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 4);
    EXPECT_EQ(ItemText(list, 3), entry);
    ClickButton(settings, "CANCEL");
    ASSERT_TRUE(testkit::WaitFor([&] { return !IsWindowVisible(settings); }));
    ASSERT_TRUE(again.Close());
    EXPECT_EQ(testkit::ReadFileBytes(again.IniPath()), ini);
}

} // namespace
