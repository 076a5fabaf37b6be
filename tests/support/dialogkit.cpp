#include "tests/support/dialogkit.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>

#include "dialogs/ListEdit.h"
#include "dialogs/TitleSet.h"
#include "tests/support/testkit.h"

namespace dialogkit {

using namespace vcl;

namespace {
std::map<UINT_PTR, std::function<void()>> gLater;
} // namespace

// Runs `fn` from whichever message loop runs (a modal one included) as soon as
// `ready` holds; it is checked every 30 ms for up to 6 s and never waited on.
void WhenReady(const std::function<bool()>& ready, const std::function<void()>& fn, int tries) {
    UINT_PTR id = SetTimer(nullptr, 0, 30, [](HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        auto fn = std::move(gLater[id]);
        gLater.erase(id);
        if (fn) fn();
    });
    gLater[id] = [=] {
        if (ready()) fn();
        else if (tries > 0) WhenReady(ready, fn, tries - 1);
        else ADD_FAILURE() << "the awaited window did not come";
    };
}

// Pumps through the application, which hands Tab, Enter and Escape to the forms.
void PumpApp(int ms) {
    for (DWORD end = GetTickCount() + ms; static_cast<int>(end - GetTickCount()) > 0; Sleep(5))
        while (testkit::App().ProcessMessage()) {
        }
}

bool WaitApp(const std::function<bool()>& done, int ms) {
    for (DWORD end = GetTickCount() + ms; !done(); PumpApp(10))
        if (static_cast<int>(end - GetTickCount()) <= 0) return false;
    return true;
}

void Press(WORD vk) {
    INPUT in[2]{};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[1].ki.wVk = vk;
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
    PumpApp(80);
}

// Types lower-case letters, digits and blanks.
void Type(const std::string& text) {
    for (char ch : text) Press(LOBYTE(VkKeyScanA(ch)));
}

POINT Center(HWND wnd) {
    RECT r;
    GetWindowRect(wnd, &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

void Click(TWinControl* control) { testkit::ClickAt(Center(control->Handle())); }

void ClickItem(TListBox* list, int index) {
    SendMessageA(list->Handle(), LB_SETTOPINDEX, index, 0);
    RECT r{};
    SendMessageA(list->Handle(), LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r));
    POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ClientToScreen(list->Handle(), &p);
    testkit::ClickAt(p);
}

void MoveMouse(POINT p) {
    const int cx = GetSystemMetrics(SM_CXSCREEN) - 1, cy = GetSystemMetrics(SM_CYSCREEN) - 1;
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi = MOUSEINPUT{(p.x * 65535 + cx / 2) / cx, (p.y * 65535 + cy / 2) / cy, 0,
                       MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, 0, 0};
    SendInput(1, &in, sizeof in);
}

POINT MenuPoint(TCustomForm* form, int index) {
    RECT r{};
    GetMenuItemRect(form->Handle(), GetMenu(form->Handle()), index, &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// The rightmost caption button of a captioned window.
void ClickCloseBox(HWND wnd) {
    RECT w;
    GetWindowRect(wnd, &w);
    const bool tool = GetWindowLongA(wnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW;
    const int caption = GetSystemMetrics(tool ? SM_CYSMCAPTION : SM_CYCAPTION);
    const int frame = GetSystemMetrics((GetWindowLongA(wnd, GWL_STYLE) & WS_THICKFRAME) ? SM_CXFRAME : SM_CXDLGFRAME);
    testkit::ClickAt(POINT{w.right - frame - caption / 2, w.top + frame + caption / 2});
}

RECT ChildRect(HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::string WindowText(HWND wnd) {
    char buffer[512] = "";
    GetWindowTextA(wnd, buffer, sizeof buffer);
    return buffer;
}

// With VANTRO_HOLD_MS set, pauses so that a screenshot can be taken.
void Hold(const char* what) {
    if (const char* ms = std::getenv("VANTRO_HOLD_MS")) {
        std::printf("HOLD %s\n", what);
        std::fflush(stdout);
        PumpApp(std::atoi(ms));
    }
}

void CreateDialogs() {
    testkit::App();
    if (!EditForm) (EditForm = new TEditForm(&testkit::App()))->DoCreate();
    if (!SetTitle) (SetTitle = new TSetTitle(&testkit::App()))->DoCreate();
}

void DestroyDialogs() {
    delete SetTitle;
    delete EditForm;
    SetTitle = nullptr;
    EditForm = nullptr;
    testkit::Pump(20);
}

} // namespace dialogkit
