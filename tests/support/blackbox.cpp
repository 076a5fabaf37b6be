#include "tests/support/blackbox.h"

#include <sstream>

#include "pad/PadLayout.h"
#include "tests/support/dialogkit.h"
#include "tests/support/testkit.h"

namespace testkit {

const wchar_t kNameOutside932[] = L"Zo\u00EB \u00E9t\u00E9 \uD55C";

TempFolder::TempFolder(const std::wstring& name) {
    wchar_t temp[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, temp);
    static int serial = 0;
    FParent = std::wstring(temp) + L"vantro-bb-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
              std::to_wstring(++serial) + L"\\";
    CreateDirectoryW(FParent.c_str(), nullptr);
    FDir = FParent;
    if (!name.empty()) {
        FDir += name + L"\\";
        CreateDirectoryW(FDir.c_str(), nullptr);
    }
}

TempFolder::~TempFolder() {
    for (const std::wstring& dir : {FDir, FParent}) {
        WIN32_FIND_DATAW found;
        HANDLE h = FindFirstFileW((dir + L"*").c_str(), &found);
        if (h != INVALID_HANDLE_VALUE) {
            do
                if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileW((dir + found.cFileName).c_str());
            while (FindNextFileW(h, &found));
            FindClose(h);
        }
        RemoveDirectoryW(dir.c_str());
    }
}

VantroProcess::VantroProcess(const std::wstring& folderName) : FFolder(folderName) {
    FCopied = CopyFileW(WideFrom932(ExeDir() + "vantro.exe").c_str(), (FFolder.DirW() + L"vantro.exe").c_str(), FALSE) != 0;
}

VantroProcess::~VantroProcess() { Kill(); }

namespace {
bool StartIn(const std::wstring& dir, PROCESS_INFORMATION& pi) {
    std::wstring cmd = L"\"" + dir + L"vantro.exe\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    return CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pi) != 0;
}
} // namespace

HANDLE VantroProcess::Launch() const {
    PROCESS_INFORMATION pi{};
    if (!StartIn(FFolder.DirW(), pi)) return nullptr;
    CloseHandle(pi.hThread);
    return pi.hProcess;
}

bool VantroProcess::Start() {
    Kill();
    if (!StartIn(FFolder.DirW(), FPi)) return false;
    // Until its start-up is over the program may still take the foreground.
    WaitForInputIdle(FPi.hProcess, kLimitMs);
    return true;
}

DWORD VantroProcess::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    if (FPi.hProcess) GetExitCodeProcess(FPi.hProcess, &code);
    return code;
}

bool VantroProcess::Running() const {
    return FPi.hProcess && WaitForSingleObject(FPi.hProcess, 0) == WAIT_TIMEOUT;
}

::testing::AssertionResult VantroProcess::WaitExit() {
    if (!FPi.hProcess) return ::testing::AssertionSuccess();
    return WaitFor([this] { return !Running(); }, "the end of vantro.exe",
                   [this] { return "its message box: \"" + MessageBoxText() + "\""; });
}

std::vector<HWND> VantroProcess::Windows(const char* className) const {
    struct Ctx {
        DWORD pid;
        const char* cls;
        std::vector<HWND> found;
    } ctx{FPi.dwProcessId, className, {}};
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            auto* c = reinterpret_cast<Ctx*>(p);
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            char cls[64] = "";
            GetClassNameA(w, cls, sizeof cls);
            if (pid == c->pid && lstrcmpA(cls, c->cls) == 0) c->found.push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&ctx));
    return ctx.found;
}

HWND VantroProcess::Form(const char* className) const {
    auto w = Windows(className);
    return w.empty() ? nullptr : w.front();
}

HWND VantroProcess::Pad() {
    HWND pad = nullptr;
    EXPECT_TRUE(WaitFor([&] { return (pad = Form("TVTform")) != nullptr; }, "the pad window of vantro.exe"));
    return pad;
}

::testing::AssertionResult VantroProcess::WaitDockedOn(HWND target) {
    HWND pad = Form("TVTform");
    const CaptionBar bar = MeasureCaption(target);
    RECT r{};
    DWORD asked = GetTickCount();
    return WaitFor(
        [&] {
            // The program may still hand the activation around after a dialog.
            if (GetForegroundWindow() != target && GetTickCount() - asked > 1000) {
                SetForegroundWindow(target);
                asked = GetTickCount();
            }
            GetWindowRect(pad, &r);
            return IsWindowVisible(pad) && r.right - r.left > 100 && r.top == bar.top && r.bottom <= bar.bottom &&
                   r.right <= bar.buttonsLeft && r.right >= bar.buttonsLeft - 6;
        },
        "the pad docked on \"" + Title(target) + "\" just left of its caption buttons",
        [&] {
            return "the pad " + std::string(IsWindowVisible(pad) ? "visible" : "invisible") + " at " +
                   std::to_string(r.left) + "," + std::to_string(r.top) + "-" + std::to_string(r.right) + "," +
                   std::to_string(r.bottom) + ", the caption at " + std::to_string(bar.top) + "-" +
                   std::to_string(bar.bottom) + ", its buttons from " + std::to_string(bar.buttonsLeft) +
                   ", the foreground " + Foreground();
        });
}

::testing::AssertionResult VantroProcess::WaitHidden() {
    HWND pad = Form("TVTform");
    RECT r{};
    return WaitFor(
        [&] {
            GetWindowRect(pad, &r);
            return r.right - r.left == 0;
        },
        "the pad hidden", [&] { return "its width " + std::to_string(r.right - r.left) + ", the foreground " + Foreground(); });
}

::testing::AssertionResult VantroProcess::Close() {
    HWND pad = Pad();
    if (!pad) return ::testing::AssertionFailure() << "no pad to close";
    PostMessageA(pad, WM_CLOSE, 0, 0);
    return WaitExit();
}

std::wstring VantroProcess::MessageBoxTextW(HWND* box) const {
    for (HWND w : Windows("#32770")) {
        if (!IsWindowVisible(w)) continue;
        if (box) *box = w;
        std::wstring text;
        // The message is the static control that is not the icon.
        for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            wchar_t cls[32] = L"", buf[1024] = L"";
            GetClassNameW(c, cls, 32);
            GetWindowTextW(c, buf, 1024);
            if (lstrcmpiW(cls, L"Static") == 0 && buf[0]) text = buf;
        }
        return text;
    }
    return L"";
}

std::string VantroProcess::MessageBoxText(HWND* box) const { return Cp932From(MessageBoxTextW(box)); }

void VantroProcess::Kill() {
    if (!FPi.hProcess) return;
    if (Running()) {
        TerminateProcess(FPi.hProcess, 1);
        WaitForSingleObject(FPi.hProcess, kLimitMs);
    }
    CloseHandle(FPi.hProcess);
    CloseHandle(FPi.hThread);
    FPi = PROCESS_INFORMATION{};
}

void VantroTest::SetUp() {
    ReleaseModifiers();
    MoveMouse(POINT{2, GetSystemMetrics(SM_CYSCREEN) - 2});
}

void VantroTest::TearDown() {
    proc.Kill();
    ReleaseModifiers();
}

void VantroTest::StartDocked(Window& target) {
    ASSERT_TRUE(proc.Start());
    pad = proc.Pad();
    ASSERT_NE(pad, nullptr);
    ASSERT_TRUE(target.Activate());
    ASSERT_TRUE(proc.WaitDockedOn(target.hwnd()));
}

RECT VantroTest::PadRect() const {
    RECT r{};
    GetWindowRect(pad, &r);
    return r;
}

namespace {
// The layout of a pad of width `width`: the name's width is what the strip has
// beyond the layout of an empty name.
vcl::PadLayout LayoutOf(int width) {
    const int h = GetSystemMetrics(SM_CYCAPTION);
    return vcl::LayOutPad(h, width - vcl::LayOutPad(h, 0).width);
}
} // namespace

POINT VantroTest::NameLabel() const {
    const RECT r = PadRect();
    return POINT{r.left + LayoutOf(r.right - r.left).nameLeft + 6, (r.top + r.bottom) / 2};
}

POINT VantroTest::ShiftButton() const {
    const RECT r = PadRect();
    const vcl::PadLayout l = LayoutOf(r.right - r.left);
    return POINT{r.left + l.shiftLeft + l.buttonWidth / 2, (r.top + r.bottom) / 2};
}

void VantroTest::ExpectNextLatchClickReleases(KeyHook& hook) {
    for (int click = 1; click <= 2; ++click) {
        SCOPED_TRACE("click " + std::to_string(click) + " on SHIFT");
        hook.events.clear();
        testkit::ClickAt(ShiftButton());
        ASSERT_TRUE(testkit::WaitFor([&] { return !hook.For(VK_SHIFT).empty(); }, "a Shift event"));
        const std::vector<bool> sent = hook.For(VK_SHIFT);
        ASSERT_EQ(sent.size(), 1u);
        if (sent[0]) {
            EXPECT_TRUE(testkit::WaitFor([] { return !testkit::KeyHeld(VK_SHIFT); }, "Shift up"));
            return;
        }
        RecordProperty("shift_latched_anew", "yes");
    }
    ADD_FAILURE() << "two clicks on SHIFT and still no key-up";
}

POINT VantroTest::CtrlButton() const {
    const RECT r = PadRect();
    const vcl::PadLayout l = LayoutOf(r.right - r.left);
    return POINT{r.left + l.ctrlLeft + l.buttonWidth / 2, (r.top + r.bottom) / 2};
}

namespace {
// The thread of `wnd` answers a sent message only from a message loop: once it
// does, whatever came before (the dialog's show, its focus) is done.
bool Answers(HWND wnd) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(wnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kLimitMs, &result) != 0;
}
} // namespace

::testing::AssertionResult VantroTest::SettingsOpen() {
    auto open = WaitFor([&] { return Settings() && IsWindowVisible(Settings()) && GetForegroundWindow() == Settings(); },
                        "the settings dialog open in the foreground", [] { return "the foreground " + Foreground(); });
    if (open && !Answers(Settings())) return ::testing::AssertionFailure() << "the settings dialog does not answer";
    return open;
}

::testing::AssertionResult VantroTest::SettingsClosed() {
    return WaitFor([&] { return !Settings() || !IsWindowVisible(Settings()); }, "the settings dialog closed", [] {
        POINT p{};
        GetCursorPos(&p);
        HWND under = WindowFromPoint(p);
        char cls[64] = "";
        GetClassNameA(under, cls, sizeof cls);
        return "the foreground " + Foreground() + ", under the pointer at " + std::to_string(p.x) + "," +
               std::to_string(p.y) + " \"" + Title(under) + "\" (" + cls + ")";
    });
}

void VantroTest::ClickControl(HWND dialog, const char* cls, const char* caption) {
    HWND c = FindWindowExA(dialog, nullptr, cls, caption);
    ASSERT_NE(c, nullptr) << caption;
    ASSERT_TRUE(Answers(dialog)) << "the dialog does not answer";
    // Posted, not a click of the pointer: the dialogs' real clicks are proven
    // in-process, and between processes Wine may still be restacking windows
    // that the program activated, under the pointer.
    PostMessageA(c, BM_CLICK, 0, 0);
}

void VantroTest::Tick(HWND dialog, const char* caption) {
    ClickControl(dialog, "TCheckBox", caption);
    HWND box = FindWindowExA(dialog, nullptr, "TCheckBox", caption);
    EXPECT_TRUE(WaitFor([&] { return SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED; },
                        std::string("\"") + caption + "\" ticked"));
}

void VantroTest::ClickListItem(HWND list, int index) {
    RECT item{};
    SendMessageA(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item));
    const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(list, WM_LBUTTONUP, 0, at);
    EXPECT_TRUE(WaitFor([&] { return SendMessageA(list, LB_GETCURSEL, 0, 0) == index; }, "the item selected"));
}

void VantroTest::ChooseFirstMenuBarItem(HWND dialog) {
    ASSERT_TRUE(Answers(dialog)) << "the dialog does not answer";
    ASSERT_EQ(GetForegroundWindow(), dialog);
    // F10 opens the menu bar at its first item; Enter chooses it.
    dialogkit::Press(VK_F10);
    dialogkit::Press(VK_RETURN);
}

void VantroTest::TrayCallback(UINT mouse) {
    HWND notify = proc.Form("TNotifyWindow");
    ASSERT_NE(notify, nullptr);
    PostMessageA(notify, WM_USER + 102, 1, mouse);
}

HWND VantroTest::WaitMenu() {
    HWND menu = nullptr;
    EXPECT_TRUE(WaitFor([&] { return (menu = FindWindowA("#32768", nullptr)) && IsWindowVisible(menu); },
                        "the popup menu open"));
    return menu;
}

std::vector<HWND> WineTrayIconWindows(bool* trayFound) {
    // Wine 8 shows the icons in its X11 driver's stand-alone tray window,
    // Wine 10 in the shell's tray window (of explorer.exe).
    const struct {
        const char *tray, *icon;
    } kinds[] = {{"__winex11_standalone_tray", "__winex11_tray_icon"}, {"Shell_TrayWnd", "__wine_tray_icon"}};
    std::vector<HWND> icons;
    if (trayFound) *trayFound = false;
    for (const auto& k : kinds) {
        HWND tray = FindWindowA(k.tray, nullptr);
        if (!tray) continue;
        if (trayFound) *trayFound = true;
        for (HWND icon = nullptr; (icon = FindWindowExA(tray, icon, k.icon, nullptr)) != nullptr;) icons.push_back(icon);
    }
    return icons;
}

int WineTrayIcons() {
    bool tray = false;
    const std::vector<HWND> icons = WineTrayIconWindows(&tray);
    return tray ? static_cast<int>(icons.size()) : -1;
}

std::string ReadFileBytes(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) return "";
    std::string bytes;
    char buffer[4096];
    DWORD n = 0;
    while (ReadFile(h, buffer, sizeof buffer, &n, nullptr) && n > 0) bytes.append(buffer, n);
    CloseHandle(h);
    return bytes;
}

const char kFirstRunFile[] =
    "[Target]\r\nAll=0\r\nList.Count=3\r\nList.0=｢ｴｸｽﾌﾟﾛｰﾗ｣\r\nList.1=｢ﾌﾟﾛｸﾞﾗﾑ ﾏﾈｰｼﾞｬ｣\r\n"
    "List.2=｢ﾌｧｲﾙ ﾏﾈｰｼﾞｬ｣\r\n[Pad]\r\nNoBoth=0\r\n";

std::string ReadFileBytes(const std::string& path) { return ReadFileBytes(WideFrom932(path)); }

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD n = 0;
    const bool ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr) && n == bytes.size();
    CloseHandle(h);
    return ok;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) { return WriteFileBytes(WideFrom932(path), bytes); }

HeldFile::HeldFile(const std::wstring& path)
    : FHandle(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {}

void HeldFile::Release() {
    HANDLE h = InterlockedExchangePointer(&FHandle, INVALID_HANDLE_VALUE);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
}

} // namespace testkit
