// targetwin: a stand-in for the window the pad docks on.
//
//   targetwin.exe [--wait-docked SECONDS] [--rect X Y W H] [TITLE]
//
// Opens an ordinary captioned top-level window (default 600x400 at 100,100)
// titled TITLE (default "C:\ - ｴｸｽﾌﾟﾛｰﾗ") and brings it to the foreground,
// then prints "ready" on stdout. The title is taken from the wide command
// line, so it arrives intact whatever the caller's code page; the pad reads it
// back through GetWindowTextA as code page 932 bytes.
//
// With --wait-docked it checks every 100 ms for the pad: a visible top-level
// window of class "TVTform" with a non-empty rectangle whose vertical middle
// lies within this window's caption bar and which overlaps it horizontally.
// Until then, whenever another window has taken the foreground (a program
// that was just started usually does), it takes the foreground back once a
// second, as a user clicking on it would. When the pad is found it prints
// "docked L T R B" (the pad's screen rectangle) and keeps running until it is
// closed or killed. If the pad does not appear in time it
// prints a message on stderr and exits with code 2.
//
// Exit codes: 0 closed normally, 1 bad arguments or no window, 2 timed out.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const char kPadClass[] = "TVTform";
const UINT_PTR kPollTimer = 1;
const UINT kPollMs = 100;
const DWORD kReactivateMs = 1000;

struct Options {
    std::wstring title = L"C:\\ - \uFF74\uFF78\uFF7D\uFF8C\uFF9F\uFF9B\uFF70\uFF97";
    int x = 100, y = 100, w = 600, h = 400;
    int waitSeconds = -1;  // negative: do not watch for the pad
};

Options g_opt;
DWORD g_deadline = 0;
DWORD g_lastActivate = 0;
bool g_docked = false;

void Say(const char* text) {
    std::fputs(text, stdout);
    std::fputs("\n", stdout);
    std::fflush(stdout);
}

bool ParseInt(const wchar_t* s, int* out) {
    if (!s || !*s) return false;
    wchar_t* end = nullptr;
    long v = std::wcstol(s, &end, 10);
    if (*end != L'\0') return false;
    *out = static_cast<int>(v);
    return true;
}

bool ParseArgs(Options* opt) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return false;
    bool ok = true;
    bool haveTitle = false;
    for (int i = 1; i < argc && ok; ++i) {
        std::wstring a = argv[i];
        if (a == L"--wait-docked" && i + 1 < argc) {
            ok = ParseInt(argv[++i], &opt->waitSeconds) && opt->waitSeconds >= 0;
        } else if (a == L"--rect" && i + 4 < argc) {
            ok = ParseInt(argv[i + 1], &opt->x) && ParseInt(argv[i + 2], &opt->y) &&
                 ParseInt(argv[i + 3], &opt->w) && ParseInt(argv[i + 4], &opt->h);
            i += 4;
        } else if (!haveTitle && (a.empty() || a[0] != L'-' || a.size() == 1)) {
            opt->title = a;
            haveTitle = true;
        } else {
            ok = false;
        }
    }
    LocalFree(argv);
    return ok;
}

struct PadSearch {
    RECT caption;  // the band between the window's top edge and its client area
    HWND found = nullptr;
    RECT rect = {};
};

BOOL CALLBACK FindPad(HWND hwnd, LPARAM lp) {
    auto* s = reinterpret_cast<PadSearch*>(lp);
    char cls[64] = {};
    if (!GetClassNameA(hwnd, cls, sizeof cls) || lstrcmpA(cls, kPadClass) != 0) return TRUE;
    if (!IsWindowVisible(hwnd)) return TRUE;
    RECT r;
    if (!GetWindowRect(hwnd, &r) || r.right <= r.left || r.bottom <= r.top) return TRUE;
    const LONG midY = (r.top + r.bottom) / 2;
    const bool onCaption = midY >= s->caption.top && midY <= s->caption.bottom &&
                           r.left < s->caption.right && r.right > s->caption.left;
    if (!onCaption) return TRUE;
    s->found = hwnd;
    s->rect = r;
    return FALSE;
}

void CheckDocked(HWND self) {
    PadSearch s;
    GetWindowRect(self, &s.caption);
    POINT clientOrigin = {0, 0};
    ClientToScreen(self, &clientOrigin);
    s.caption.bottom = clientOrigin.y;
    EnumWindows(FindPad, reinterpret_cast<LPARAM>(&s));
    if (s.found) {
        g_docked = true;
        KillTimer(self, kPollTimer);
        char line[96];
        std::snprintf(line, sizeof line, "docked %ld %ld %ld %ld", s.rect.left, s.rect.top,
                      s.rect.right, s.rect.bottom);
        Say(line);
        return;
    }
    const DWORD now = GetTickCount();
    if (GetForegroundWindow() != self && now - g_lastActivate >= kReactivateMs) {
        g_lastActivate = now;
        SetForegroundWindow(self);
    }
    if (static_cast<LONG>(now - g_deadline) >= 0) {
        KillTimer(self, kPollTimer);
        std::fprintf(stderr, "targetwin: no %s window docked on the caption within %d s\n",
                     kPadClass, g_opt.waitSeconds);
        std::fflush(stderr);
        PostQuitMessage(2);
    }
}

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_TIMER:
        if (wp == kPollTimer && !g_docked) CheckDocked(hwnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

int main() {
    if (!ParseArgs(&g_opt)) {
        std::fprintf(stderr,
                     "usage: targetwin.exe [--wait-docked SECONDS] [--rect X Y W H] [TITLE]\n");
        return 1;
    }

    HINSTANCE inst = GetModuleHandleW(nullptr);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = inst;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"VantroTargetWindow";
    if (!RegisterClassW(&wc)) return 1;

    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, g_opt.title.c_str(), WS_OVERLAPPEDWINDOW,
                                g_opt.x, g_opt.y, g_opt.w, g_opt.h, nullptr, nullptr, inst,
                                nullptr);
    if (!hwnd) return 1;
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);
    SetForegroundWindow(hwnd);
    SetActiveWindow(hwnd);
    SetFocus(hwnd);
    g_lastActivate = GetTickCount();
    Say("ready");

    if (g_opt.waitSeconds >= 0) {
        g_deadline = GetTickCount() + static_cast<DWORD>(g_opt.waitSeconds) * 1000u;
        SetTimer(hwnd, kPollTimer, kPollMs, nullptr);
        CheckDocked(hwnd);
    }

    MSG m;
    int code = 0;
    while (BOOL r = GetMessageW(&m, nullptr, 0, 0)) {
        if (r == -1) { code = 1; break; }
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
    if (code == 0) code = static_cast<int>(m.wParam);
    return code;
}
