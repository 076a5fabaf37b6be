// barepoll: the yardstick of the pad's benchmark (scripts/bench.sh). A bare
// Win32 program that does what the pad did before it heard of window events,
// and no more: every 100 ms it looks at the foreground window and, when its
// title contains "ｴｸｽﾌﾟﾛｰﾗ", moves a small always-on-top strip (class
// "BarePollPad") onto that window's caption bar, left of its buttons, by the
// system's metrics; otherwise it hides the strip. It runs until it is closed.
#include <windows.h>

#include <cstring>

namespace {

const char kClass[] = "BarePollPad";
const char kTarget[] = "ｴｸｽﾌﾟﾛｰﾗ";
constexpr int kWidth = 120;
HWND gStrip = nullptr;

void Poll() {
    HWND f = GetForegroundWindow();
    char title[80] = "";
    if (!f || f == gStrip || GetWindowTextA(f, title, sizeof title) <= 0 || !std::strstr(title, kTarget)) {
        ShowWindow(gStrip, SW_HIDE);
        return;
    }
    RECT r;
    GetWindowRect(f, &r);
    const int left = r.right - GetSystemMetrics(SM_CXFRAME) - 3 * GetSystemMetrics(SM_CXSIZE) - kWidth;
    const int top = r.top + GetSystemMetrics(SM_CYFRAME);
    SetWindowPos(gStrip, HWND_TOPMOST, left, top, kWidth, GetSystemMetrics(SM_CYCAPTION) - 1,
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_TIMER) {
        Poll();
        return 0;
    }
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(wnd, msg, wp, lp);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_ACTIVECAPTION + 1);
    wc.lpszClassName = kClass;
    RegisterClassA(&wc);
    gStrip = CreateWindowExA(WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, kClass, "barepoll", WS_POPUP, 0,
                             0, kWidth, 10, nullptr, nullptr, instance, nullptr);
    if (!gStrip) return 1;
    SetTimer(gStrip, 1, 100, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    return 0;
}
