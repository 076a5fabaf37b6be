// vantroshot: puts the running vantro.exe into the states that the README's
// screenshots show, with real mouse input, as a user would.
//
//   vantroshot.exe latch      click SHIFT on the docked pad; wait until its caption is red
//   vantroshot.exe settings   click the docked pad's name label; wait for the settings dialog
//   vantroshot.exe add        click "追加" in the open settings dialog; wait for the
//                             add-target dialog
//
// Each command first waits for what it needs (a docked pad, an open settings
// dialog), then clicks, then waits for the result, and prints
// "ready L T R B": the screen rectangle worth showing (the pad; the settings
// dialog; both dialogs together). The add-target dialog opens centred over the
// settings dialog; "add" moves it to the right of it, as a user would drag it.
// If anything does not come within 10 s it prints why on stderr and exits with
// code 2. Bad arguments: code 1.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <functional>

namespace {

const DWORD kTimeoutMs = 10000;
const char kSettingsCaption[] = " 各種設定";
const char kAddTargetCaption[] = "ﾀｰｹﾞｯﾄの追加";

// Polls `done` every 50 ms until it holds or the time is up.
bool WaitFor(const std::function<bool()>& done) {
    for (DWORD start = GetTickCount(); !done(); Sleep(50))
        if (GetTickCount() - start >= kTimeoutMs) return false;
    return true;
}

int Fail(const char* what) {
    std::fprintf(stderr, "vantroshot: %s within %lu s\n", what, kTimeoutMs / 1000);
    return 2;
}

int Ready(const RECT& r) {
    std::printf("ready %ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
    std::fflush(stdout);
    return 0;
}

// A left click at a screen point: the pointer moves there first, as a hand would.
void ClickAt(POINT p) {
    const int cx = GetSystemMetrics(SM_CXSCREEN) - 1, cy = GetSystemMetrics(SM_CYSCREEN) - 1;
    INPUT in[3] = {};
    for (INPUT& i : in) {
        i.type = INPUT_MOUSE;
        i.mi.dx = (p.x * 65535 + cx / 2) / cx;
        i.mi.dy = (p.y * 65535 + cy / 2) / cy;
    }
    in[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
    in[2].mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &in[0], sizeof(INPUT));
    Sleep(100);
    SendInput(2, &in[1], sizeof(INPUT));
}

// The visible top-level window of that class and caption (any caption when null).
HWND Shown(const char* cls, const char* caption) {
    HWND w = FindWindowA(cls, caption);
    return w && IsWindowVisible(w) ? w : nullptr;
}

// The pad while it is docked: visible and at full width (it hides at zero width).
HWND DockedPad(RECT* r) {
    HWND pad = Shown("TVTform", nullptr);
    return pad && GetWindowRect(pad, r) && r->right - r->left > 50 ? pad : nullptr;
}

// Whether the screen shows clearly red pixels inside the rectangle: the
// caption of a latched button is drawn in pure red.
bool ShowsRed(const RECT& r) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return false;
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    int red = 0;
    if (bmp) {
        HGDIOBJ old = SelectObject(mem, bmp);
        BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
        GdiFlush();
        const auto* px = static_cast<const DWORD*>(bits);
        for (int i = 0; i < w * h; ++i) {
            const DWORD c = px[i];  // 0x00RRGGBB
            if (((c >> 16) & 0xFF) > 200 && ((c >> 8) & 0xFF) < 60 && (c & 0xFF) < 60) ++red;
        }
        SelectObject(mem, old);
        DeleteObject(bmp);
    }
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return red >= 5;
}

int Latch() {
    RECT pad;
    if (!WaitFor([&] { return DockedPad(&pad) != nullptr; })) return Fail("no docked pad");
    // SHIFT is the second of the two buttons at the pad's right end; CTRL ends
    // 2 px before the edge and 1 px separates them.
    const int width = 3 * (GetSystemMetrics(SM_CYCAPTION) - 5);
    RECT shift = {pad.right - 2 - 2 * width - 1, pad.top, pad.right - 2 - width - 1, pad.bottom};
    ClickAt(POINT{(shift.left + shift.right) / 2, (pad.top + pad.bottom) / 2});
    if (!WaitFor([&] { return ShowsRed(shift); })) return Fail("SHIFT did not turn red");
    Sleep(200);  // let the target take the foreground back and repaint its caption
    return Ready(pad);
}

int Settings() {
    RECT pad;
    if (!WaitFor([&] { return DockedPad(&pad) != nullptr; })) return Fail("no docked pad");
    ClickAt(POINT{pad.left + 12, (pad.top + pad.bottom) / 2});
    HWND dialog = nullptr;
    if (!WaitFor([&] {
            dialog = Shown("TEditForm", kSettingsCaption);
            return dialog && GetForegroundWindow() == dialog;
        }))
        return Fail("the settings dialog did not open and take the foreground");
    Sleep(300);  // let it paint as the active window
    RECT r;
    GetWindowRect(dialog, &r);
    return Ready(r);
}

int Add() {
    HWND settings = nullptr;
    if (!WaitFor([&] { return (settings = Shown("TEditForm", kSettingsCaption)) != nullptr; }))
        return Fail("no open settings dialog");
    HWND button = FindWindowExA(settings, nullptr, "TButton", "追加");
    if (!button) {
        std::fprintf(stderr, "vantroshot: the settings dialog has no add button\n");
        return 2;
    }
    RECT b;
    GetWindowRect(button, &b);
    ClickAt(POINT{(b.left + b.right) / 2, (b.top + b.bottom) / 2});
    HWND add = nullptr;
    if (!WaitFor([&] {
            add = Shown("TSetTitle", kAddTargetCaption);
            return add && GetForegroundWindow() == add;
        }))
        return Fail("the add-target dialog did not open and take the foreground");
    // It opens centred on the screen, over the settings dialog: move it to the
    // right of that dialog, as the user would drag it, so that both can be seen.
    RECT s, a, both;
    GetWindowRect(settings, &s);
    SetWindowPos(add, nullptr, s.right + 8, s.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (!WaitFor([&] { return GetWindowRect(add, &a) && a.left == s.right + 8 && a.top == s.top; }))
        return Fail("the add-target dialog did not move");
    Sleep(300);
    UnionRect(&both, &s, &a);
    return Ready(both);
}

}  // namespace

int main(int argc, char** argv) {
    const char* cmd = argc == 2 ? argv[1] : "";
    if (std::strcmp(cmd, "latch") == 0) return Latch();
    if (std::strcmp(cmd, "settings") == 0) return Settings();
    if (std::strcmp(cmd, "add") == 0) return Add();
    std::fprintf(stderr, "usage: vantroshot.exe latch|settings|add\n");
    return 1;
}
