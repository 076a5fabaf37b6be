#include "tests/support/testkit.h"

#include "controls/TaskTray.h"

#include <map>
#include <sstream>

namespace testkit {

vcl::TApplication& App() {
    static vcl::TApplication* app = [] {
        auto* a = new vcl::TApplication();
        a->SetTitle("Vantro Pad");
        a->Initialize();
        return a;
    }();
    return *app;
}

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

::testing::AssertionResult WaitFor(const std::function<bool()>& done, const std::string& what,
                                   const std::function<std::string()>& seen, int ms,
                                   const std::function<void()>& pump) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (static_cast<int>(GetTickCount() - start) >= ms) {
            auto failure = ::testing::AssertionFailure() << "waited " << ms / 1000 << " s for " << what;
            if (seen) failure << "; seen: " << seen();
            return failure;
        }
        if (pump) pump();
        else Pump();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return ::testing::AssertionSuccess();
}

namespace {
std::map<UINT_PTR, int> gTicks;
}

void LetTimersRun(int n, int intervalMs) {
    const UINT_PTR id = SetTimer(nullptr, 0, intervalMs, [](HWND, UINT, UINT_PTR id, DWORD) { ++gTicks[id]; });
    gTicks[id] = 0;
    EXPECT_TRUE(WaitFor([&] { return gTicks[id] >= n; }, std::to_string(n) + " timer ticks",
                        [&] { return std::to_string(gTicks[id]) + " ticks"; }));
    KillTimer(nullptr, id);
    gTicks.erase(id);
}

std::string Title(HWND wnd) {
    char buffer[512] = "";
    GetWindowTextA(wnd, buffer, sizeof buffer);
    return buffer;
}

std::string Foreground() {
    HWND f = GetForegroundWindow();
    if (!f) return "none";
    char cls[64] = "";
    GetClassNameA(f, cls, sizeof cls);
    DWORD pid = 0;
    GetWindowThreadProcessId(f, &pid);
    return "\"" + Title(f) + "\" (" + cls + ", process " + std::to_string(pid) +
           (pid == GetCurrentProcessId() ? ", this one)" : ")");
}

Window::Window(const std::string& title, DWORD style, RECT b, DWORD exStyle, HWND owner) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        wc.lpszClassName = "VantroTestTarget";
        RegisterClassA(&wc);
        registered = true;
    }
    FWnd = CreateWindowExA(exStyle, "VantroTestTarget", title.c_str(), style, b.left, b.top, b.right - b.left,
                           b.bottom - b.top, owner, nullptr, GetModuleHandleA(nullptr), this);
    Pump();
}

Window::~Window() { Destroy(); }

void Window::Destroy() {
    if (FWnd) {
        DestroyWindow(FWnd);
        FWnd = nullptr;
        Pump();
    }
}

RECT Window::Rect() const {
    RECT r{};
    GetWindowRect(FWnd, &r);
    return r;
}

void XRoundTrip() {
    // Reading a pixel of the screen asks the X server and waits for the answer:
    // every X event sent to this process before it is then queued here.
    HDC dc = GetDC(nullptr);
    GetPixel(dc, 0, 0);
    ReleaseDC(nullptr, dc);
}

void ProbeDown() { keybd_event(VK_RCONTROL, 0, KEYEVENTF_EXTENDEDKEY, kProbeTag); }

void ProbeWait() {
    // Not every change brings a re-read (the focus may have been there in X
    // already): then the limit is short, and nothing fails.
    WaitFor([] { return !KeyHeld(VK_RCONTROL); }, "the keyboard state re-read", nullptr, 2000);
    // The re-read changes only the system's view of the key: the key-up also
    // ends it for the thread that had the key-down.
    keybd_event(VK_RCONTROL, 0, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP, kProbeTag);
    Pump();
}

::testing::AssertionResult ActivateAndSettle(HWND wnd, const std::function<void()>& pump) {
    DWORD asked = 0;
    const DWORD start = GetTickCount();
    for (;;) {
        if (GetForegroundWindow() == wnd) {
            // Wine moves the X focus after the activation and re-reads the
            // keyboard when the X server reports it; handled later, such a
            // report would take the activation back, as would a hand-over from
            // another process on its way. After the round trip the reports are
            // here: handle them, then look again.
            XRoundTrip();
            pump();
            if (GetForegroundWindow() == wnd) return ::testing::AssertionSuccess();
        }
        if (static_cast<int>(GetTickCount() - start) >= kLimitMs)
            return ::testing::AssertionFailure() << "waited " << kLimitMs / 1000 << " s for \"" << Title(wnd)
                                                 << "\" in the foreground; seen: the foreground " << Foreground();
        // Asked again now and then: under load the activation may go elsewhere meanwhile.
        if (GetTickCount() - asked > 1000) {
            SetForegroundWindow(wnd);
            asked = GetTickCount();
        }
        pump();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

::testing::AssertionResult Window::Activate() {
    auto result = ActivateAndSettle(FWnd, [] { Pump(); });
    EXPECT_TRUE(result);
    return result;
}

namespace {

// Wine answers "not held" from a cache for up to 50 ms: asks until the key
// reads `down`, for at most `ms`, without handling messages (so no re-read of
// the keyboard can come between in this thread).
bool ReadsAs(int vk, bool down, int ms) {
    const DWORD start = GetTickCount();
    while (KeyHeld(vk) != down && GetTickCount() - start < static_cast<DWORD>(ms)) Sleep(1);
    return KeyHeld(vk) == down;
}

} // namespace

KeyRecorder::KeyRecorder() {
    platform::hooks().sendKey = [this](WORD vk, DWORD flags) -> UINT {
        events.push_back(Event{static_cast<BYTE>(vk), flags});
        const UINT taken = platform::SendKeyToSystem(vk, flags);
        // Seconds for a loaded machine's server to answer; a key that Wine
        // dropped meanwhile never reads as sent, and the program goes on.
        ReadsAs(vk, !(flags & KEYEVENTF_KEYUP), 2000);
        return taken;
    };
}

KeyRecorder::~KeyRecorder() { platform::hooks().sendKey = nullptr; }

KeyHook* KeyHook::self = nullptr;

KeyHook::KeyHook() {
    self = this;
    hook = SetWindowsHookExA(WH_KEYBOARD_LL, &Proc, GetModuleHandleA(nullptr), 0);
}

KeyHook::~KeyHook() {
    UnhookWindowsHookEx(hook);
    self = nullptr;
}

namespace {
bool SameKey(DWORD asked, DWORD vk) {
    if (asked == VK_SHIFT) return vk == VK_SHIFT || vk == VK_LSHIFT || vk == VK_RSHIFT;
    if (asked == VK_CONTROL) return vk == VK_CONTROL || vk == VK_LCONTROL || vk == VK_RCONTROL;
    return asked == vk;
}
constexpr BYTE kMarker = 0x88; // unassigned
} // namespace

std::vector<bool> KeyHook::For(DWORD vk) const {
    std::vector<bool> ups;
    for (const Event& e : events)
        if (SameKey(vk, e.vk) && (e.flags & LLKHF_INJECTED) && e.extra == platform::kPadKeyMark) ups.push_back(e.up);
    return ups;
}

bool KeyHook::Saw(DWORD vk, bool up, bool injected, size_t from) const {
    for (size_t i = from; i < events.size(); ++i) {
        const Event& e = events[i];
        if (SameKey(vk, e.vk) && e.up == up && ((e.flags & LLKHF_INJECTED) != 0) == injected) return true;
    }
    return false;
}

::testing::AssertionResult KeyHook::Flush() {
    const size_t from = events.size();
    keybd_event(kMarker, 0, 0, 0);
    keybd_event(kMarker, 0, KEYEVENTF_KEYUP, 0);
    return WaitFor([&] { return Saw(kMarker, true, true, from); }, "the marker key seen by the hook");
}

LRESULT CALLBACK KeyHook::Proc(int code, WPARAM wp, LPARAM lp) {
    if (code == HC_ACTION && self) {
        const auto* k = reinterpret_cast<KBDLLHOOKSTRUCT*>(lp);
        self->events.push_back(Event{k->vkCode, k->flags, k->dwExtraInfo, wp == WM_KEYUP || wp == WM_SYSKEYUP});
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}

void PrintTo(const KeyRecorder::Event& e, std::ostream* os) {
    *os << "{vk " << int(e.vk) << (e.flags & KEYEVENTF_KEYUP ? " up" : " down") << " flags " << e.flags << "}";
}

MessageBoxRecorder::MessageBoxRecorder(int answer) : answer(answer) {
    platform::hooks().messageBox = [this](HWND, const char* text, const char* caption, UINT type) {
        boxes.push_back(Box{text, caption, type});
        return onBox ? onBox(boxes.back()) : this->answer;
    };
}

MessageBoxRecorder::~MessageBoxRecorder() { platform::hooks().messageBox = nullptr; }

Clock::Clock(ULONGLONG step) : step(step) {
    platform::hooks().tickCount = [this] {
        ++reads;
        if (onRead) onRead(reads);
        const ULONGLONG read = now;
        now += this->step;
        return read;
    };
}

Clock::~Clock() { platform::hooks().tickCount = nullptr; }

FakeShell::FakeShell() {
    platform::hooks().shellNotifyIcon = [this](DWORD m, NOTIFYICONDATAA* d) {
        if (d->uFlags & NIF_INFO) {
            EXPECT_EQ(static_cast<DWORD>(NOTIFYICONDATAA_V2_SIZE), d->cbSize);
            EXPECT_EQ(static_cast<DWORD>(NIM_MODIFY), m);
            EXPECT_EQ(vcl::NotifyWindow()->Handle(), d->hWnd);
            requests.push_back("info " + std::to_string(d->uID) + " " + std::to_string(d->uFlags) + " " +
                               std::string(d->szInfoTitle, strnlen(d->szInfoTitle, 64)) + "|" +
                               std::string(d->szInfo, strnlen(d->szInfo, 256)));
            return (refuse && refuse(m)) ? FALSE : TRUE;
        }
        EXPECT_EQ(static_cast<DWORD>(NOTIFYICONDATAA_V1_SIZE), d->cbSize);
        EXPECT_EQ(1126u, d->uCallbackMessage); // WM_USER + 102
        EXPECT_EQ(vcl::NotifyWindow()->Handle(), d->hWnd);
        if (m != NIM_DELETE) icon = d->hIcon;
        const char* op = m == NIM_ADD ? "add" : m == NIM_MODIFY ? "mod" : "del";
        requests.push_back(std::string(op) + " " + std::to_string(d->uID) + " " + std::to_string(d->uFlags) + " " +
                           std::string(d->szTip, strnlen(d->szTip, 64)));
        return (refuse && refuse(m)) ? FALSE : TRUE;
    };
}

FakeShell::~FakeShell() { platform::hooks().shellNotifyIcon = nullptr; }

std::vector<std::string> FakeShell::Ops() const {
    std::vector<std::string> ops;
    for (const std::string& r : requests) ops.push_back(r.substr(0, r.find(' ', 4)));
    return ops;
}

int FakeShell::Count(const std::string& op) const {
    int n = 0;
    for (const std::string& o : Ops()) n += o == op;
    return n;
}

void ReleaseModifiers() {
    keybd_event(VK_SHIFT, 0, KEYEVENTF_KEYUP, 0);
    keybd_event(VK_CONTROL, 0, KEYEVENTF_KEYUP, 0);
    EXPECT_TRUE(WaitFor([] { return !KeyHeld(VK_SHIFT) && !KeyHeld(VK_CONTROL); }, "Shift and Ctrl released"));
}

bool KeyHeld(int vk) { return (GetAsyncKeyState(vk) & 0x8000) != 0; }

bool EnsureHeld(int vk) {
    // A re-read of the keyboard still under way (windows that came or went)
    // can drop the key again: press it anew until it reads held.
    const DWORD start = GetTickCount();
    while (!KeyHeld(vk) && GetTickCount() - start < static_cast<DWORD>(kLimitMs)) {
        keybd_event(static_cast<BYTE>(vk), 0, 0, 0);
        ReadsAs(vk, true, 100);
    }
    return KeyHeld(vk);
}

MOUSEINPUT MouseAt(POINT screen, DWORD flags) {
    const int cx = GetSystemMetrics(SM_CXSCREEN) - 1, cy = GetSystemMetrics(SM_CYSCREEN) - 1;
    return MOUSEINPUT{(screen.x * 65535 + cx / 2) / cx, (screen.y * 65535 + cy / 2) / cy, 0,
                      flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, 0, 0};
}

void MoveMouse(POINT screen) {
    // When the pointer enters another top-level window, Wine re-reads the
    // modifiers from the X server, which knows nothing of injected keys, and
    // drops them: a key injected before that re-read is over would be lost. A
    // probe key held across the move shows when the re-read has happened.
    POINT from{};
    GetCursorPos(&from);
    HWND before = GetAncestor(WindowFromPoint(from), GA_ROOT), after = GetAncestor(WindowFromPoint(screen), GA_ROOT);
    char cls[32] = "";
    if (after) GetClassNameA(after, cls, sizeof cls);
    // Only where a key can be lost: one is held, or the pad's clicks inject them.
    const bool enters = after && after != before && after != GetDesktopWindow() &&
                        (KeyHeld(VK_SHIFT) || KeyHeld(VK_CONTROL) || lstrcmpA(cls, "TVTform") == 0);
    if (enters) ProbeDown();
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi = MouseAt(screen, 0);
    SendInput(1, &in, sizeof in);
    EXPECT_TRUE(WaitFor(
        [&] {
            POINT p{};
            GetCursorPos(&p);
            return p.x == screen.x && p.y == screen.y;
        },
        "the pointer at " + std::to_string(screen.x) + "," + std::to_string(screen.y)));
    if (enters) ProbeWait();
    Pump();
}

namespace {
// Button releases this thread has taken from its queue, counted by a mouse
// hook on the thread itself.
thread_local int tReleasesTaken = 0;
LRESULT CALLBACK CountReleases(int code, WPARAM wp, LPARAM lp) {
    if (code == HC_ACTION && (wp == WM_LBUTTONUP || wp == WM_RBUTTONUP || wp == WM_NCLBUTTONUP || wp == WM_NCRBUTTONUP))
        ++tReleasesTaken;
    return CallNextHookEx(nullptr, code, wp, lp);
}

// One press and release at `screen`. When the window there belongs to this
// thread, waits until the thread has taken both from its queue: the button's
// toggle bit flips on the press and its down bit clears on the release, or
// the thread's mouse hook saw the release go by (Wine 10 may reset the toggle
// bit when it re-reads the keyboard after a pointer move).
void SendClick(POINT screen, DWORD down, DWORD up, int vk) {
    thread_local const HHOOK counter = SetWindowsHookExA(WH_MOUSE, &CountReleases, nullptr, GetCurrentThreadId());
    (void)counter;
    MoveMouse(screen);
    HWND under = WindowFromPoint(screen);
    const bool ours = under && GetWindowThreadProcessId(under, nullptr) == GetCurrentThreadId();
    if (!ours && under) {
        // The X server has sent the other process its reports of the move
        // (after the round trip), and that process has been through its
        // message loop twice since, taking them in, before the click comes.
        XRoundTrip();
        for (int i = 0; i < 2; ++i) {
            DWORD_PTR result = 0;
            SendMessageTimeoutA(GetAncestor(under, GA_ROOT), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kLimitMs, &result);
        }
    }
    const SHORT before = GetKeyState(vk);
    const int releasesBefore = tReleasesTaken;
    // The move once more with the press and the release, in one batch: the
    // thread under the pointer takes them in this order, whatever it handles
    // in between.
    INPUT in[3]{};
    in[0].type = in[1].type = in[2].type = INPUT_MOUSE;
    in[0].mi = MouseAt(screen, 0);
    in[1].mi = MouseAt(screen, down);
    in[2].mi = MouseAt(screen, up);
    SendInput(3, in, sizeof(INPUT));
    if (ours)
        EXPECT_TRUE(WaitFor(
            [&] {
                const SHORT now = GetKeyState(vk);
                return ((now & 1) != (before & 1) && !(now & 0x8000)) || tReleasesTaken > releasesBefore;
            },
            "the click at " + std::to_string(screen.x) + "," + std::to_string(screen.y) + " handled by \"" +
                Title(under) + "\""));
    else
        Pump();
}
} // namespace

void ClickAt(POINT screen, bool doubleClick) {
    SendClick(screen, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, VK_LBUTTON);
    if (doubleClick) SendClick(screen, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, VK_LBUTTON);
}

void RightClickAt(POINT screen) { SendClick(screen, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP, VK_RBUTTON); }

Bitmap::Bitmap(int w, int h, COLORREF fill) : FW(w) {
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof bi.bmiHeader, w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    FDC = CreateCompatibleDC(nullptr);
    FBmp = CreateDIBSection(FDC, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&FBits), nullptr, 0);
    FOld = SelectObject(FDC, FBmp);
    const DWORD pixel = (GetRValue(fill) << 16) | (GetGValue(fill) << 8) | GetBValue(fill); // 0x00RRGGBB
    for (int i = 0; i < w * h; ++i) FBits[i] = pixel;
}

Bitmap::~Bitmap() {
    SelectObject(FDC, FOld);
    DeleteObject(FBmp);
    DeleteDC(FDC);
}

COLORREF Bitmap::At(int x, int y) const {
    GdiFlush();
    const DWORD p = FBits[y * FW + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

int Bitmap::Count(const RECT& r, const std::function<bool(COLORREF)>& match) const {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) n += match(At(x, y));
    return n;
}

int Bitmap::Count(const RECT& r, COLORREF c) const {
    return Count(r, [c](COLORREF p) { return p == c; });
}

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        if (!out.empty()) out += ' ';
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string ExeDir() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path);
    return s.substr(0, s.find_last_of("\\/") + 1);
}

::testing::AssertionResult RunChild(const std::string& filter, DWORD* code, const std::string& env, int ms) {
    std::string name, value;
    if (!env.empty()) {
        name = env.substr(0, env.find('='));
        value = env.substr(env.find('=') + 1);
        SetEnvironmentVariableA(name.c_str(), value.c_str());
    }
    char self[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string cmd = std::string("\"") + self +
                      "\" --gtest_catch_exceptions=0 --gtest_also_run_disabled_tests --gtest_filter=" + filter;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    const BOOL started = CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
    if (!name.empty()) SetEnvironmentVariableA(name.c_str(), nullptr);
    if (!started) return ::testing::AssertionFailure() << "could not start " << cmd;
    const DWORD waited = WaitForSingleObject(pi.hProcess, ms);
    if (waited != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 99);
    GetExitCodeProcess(pi.hProcess, code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    if (waited != WAIT_OBJECT_0)
        return ::testing::AssertionFailure() << "the child " << filter << " did not end within " << ms / 1000 << " s";
    return ::testing::AssertionSuccess();
}

CaptionBar MeasureCaption(HWND wnd) {
    RECT w{};
    GetWindowRect(wnd, &w);
    auto hit = [wnd](int x, int y) {
        DWORD_PTR result = HTNOWHERE;
        SendMessageTimeoutA(wnd, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_ABORTIFHUNG, 5000, &result);
        return static_cast<LRESULT>(result);
    };
    CaptionBar bar;
    const int middle = (w.left + w.right) / 2;
    for (int y = w.top; y < w.bottom; ++y) {
        const bool caption = hit(middle, y) == HTCAPTION;
        if (caption && bar.top < 0) bar.top = y;
        if (!caption && bar.top >= 0) {
            bar.bottom = y;
            break;
        }
    }
    if (bar.top < 0) return bar;
    const int row = (bar.top + bar.bottom) / 2;
    for (int x = middle; x < w.right; ++x) {
        const LRESULT h = hit(x, row);
        if (h == HTMINBUTTON || h == HTMAXBUTTON || h == HTCLOSE || h == HTHELP) {
            bar.buttonsLeft = x;
            break;
        }
    }
    return bar;
}

bool UnderWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

SIZE MeasureText(const char* face, int height, int weight, BYTE charset, const std::string& text) {
    HDC dc = GetDC(nullptr);
    // In UTF-16, converted from code page 932 here: GDI's "A" calls would
    // convert with the system's code page, which need not be 932.
    HFONT font = CreateFontW(height, 0, 0, 0, weight, 0, 0, 0, charset, 0, 0, 0, 0, vcl::WideFrom932(face).c_str());
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    const std::wstring w = vcl::WideFrom932(text);
    GetTextExtentPoint32W(dc, w.c_str(), static_cast<int>(w.size()), &size);
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
    return size;
}

} // namespace testkit
