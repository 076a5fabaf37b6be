#include "tests/support/testkit.h"

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

void Pump(int ms) {
    DWORD end = GetTickCount() + static_cast<DWORD>(ms);
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(5);
    } while (static_cast<int>(end - GetTickCount()) > 0);
}

bool WaitFor(const std::function<bool()>& done, int ms) {
    DWORD end = GetTickCount() + static_cast<DWORD>(ms);
    while (!done()) {
        if (static_cast<int>(end - GetTickCount()) <= 0) return false;
        Pump(10);
    }
    return true;
}

LRESULT CALLBACK Window::Proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
    if (msg == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
        SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (self && msg == WM_LBUTTONDOWN) self->ClickKeys.push_back(wp);
    return DefWindowProcA(wnd, msg, wp, lp);
}

Window::Window(const std::string& title, DWORD style, RECT b, DWORD exStyle, HWND owner) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        wc.lpszClassName = "VantroTestTarget";
        RegisterClassA(&wc);
        registered = true;
    }
    FWnd = CreateWindowExA(exStyle, "VantroTestTarget", title.c_str(), style, b.left, b.top, b.right - b.left,
                           b.bottom - b.top, owner, nullptr, GetModuleHandleA(nullptr), this);
    Pump(20);
}

Window::~Window() { Destroy(); }

void Window::Destroy() {
    if (FWnd) {
        DestroyWindow(FWnd);
        FWnd = nullptr;
        Pump(20);
    }
}

RECT Window::Rect() const {
    RECT r{};
    GetWindowRect(FWnd, &r);
    return r;
}

void Window::Activate() {
    SetForegroundWindow(FWnd);
    WaitFor([this] { return GetForegroundWindow() == FWnd; }, 2000);
}

KeyRecorder::KeyRecorder() {
    platform::hooks().keybdEvent = [this](BYTE vk, BYTE scan, DWORD flags, ULONG_PTR extra) {
        events.push_back(Event{vk, flags});
        ::keybd_event(vk, scan, flags, extra);
    };
}

KeyRecorder::~KeyRecorder() { platform::hooks().keybdEvent = nullptr; }

MessageBoxRecorder::MessageBoxRecorder() {
    platform::hooks().messageBox = [this](HWND, const char* text, const char* caption, UINT type) {
        boxes.push_back(Box{text, caption, type});
        return IDOK;
    };
}

MessageBoxRecorder::~MessageBoxRecorder() { platform::hooks().messageBox = nullptr; }

void ReleaseModifiers() {
    keybd_event(VK_SHIFT, 0, KEYEVENTF_KEYUP, 0);
    keybd_event(VK_CONTROL, 0, KEYEVENTF_KEYUP, 0);
    Pump(20);
}

bool KeyHeld(int vk) { return (GetAsyncKeyState(vk) & 0x8000) != 0; }

namespace {
void SendMouse(POINT screen, DWORD down, DWORD up, int count) {
    const int cx = GetSystemMetrics(SM_CXSCREEN) - 1, cy = GetSystemMetrics(SM_CYSCREEN) - 1;
    INPUT move{};
    move.type = INPUT_MOUSE;
    move.mi.dx = (screen.x * 65535 + cx / 2) / cx;
    move.mi.dy = (screen.y * 65535 + cy / 2) / cy;
    move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &move, sizeof move);
    Pump(30);
    for (int i = 0; i < count; ++i) {
        INPUT in[2]{};
        in[0].type = in[1].type = INPUT_MOUSE;
        in[0].mi = move.mi;
        in[1].mi = move.mi;
        in[0].mi.dwFlags = down | MOUSEEVENTF_ABSOLUTE;
        in[1].mi.dwFlags = up | MOUSEEVENTF_ABSOLUTE;
        SendInput(2, in, sizeof(INPUT));
        Pump(30);
    }
    Pump(50);
}
} // namespace

void ClickAt(POINT screen, bool doubleClick) {
    SendMouse(screen, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, doubleClick ? 2 : 1);
}

void RightClickAt(POINT screen) { SendMouse(screen, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP, 1); }

std::string ExeDir() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path);
    return s.substr(0, s.find_last_of("\\/") + 1);
}

} // namespace testkit
