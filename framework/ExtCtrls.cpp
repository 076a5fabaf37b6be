#include "framework/ExtCtrls.h"

#include <set>

#include "framework/Forms.h"
#include "framework/StdCtrls.h"

namespace vcl {

// ------------------------------------------------------------------ TPanel

TPanel::TPanel(TComponent* owner) : TWinControl(owner, "TPanel") {
    FColor = clBtnFace;
    FParentColor = false;
    FWidth = 185;
    FHeight = 41;
    SetControlStyle(ControlStyle() | csAcceptsControls | csOpaque);
}

TPanel::~TPanel() { HintLeave(this); }

LRESULT TPanel::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_MOUSEMOVE: HintMouseMove(this); break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: HintHide(); break;
    default: break;
    }
    return TWinControl::WndProc(msg, wParam, lParam);
}

void TPanel::SetBevelOuter(TBevelCut bevel) {
    if (bevel == FBevelOuter) return;
    FBevelOuter = bevel;
    if (HandleAllocated()) InvalidateRect(FHandle, nullptr, TRUE);
}

void TPanel::PaintWindow(HDC dc) {
    RECT r;
    GetClientRect(FHandle, &r);
    if (FBevelOuter != bvNone) DrawEdge(dc, &r, FBevelOuter == bvRaised ? BDR_RAISEDINNER : BDR_SUNKENOUTER, BF_RECT);
    if (!FText.empty()) {
        HGDIOBJ old = SelectObject(dc, FFont.Handle());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, ColorToRGB(FFont.Color()));
        DrawText932(dc, FText.c_str(), static_cast<int>(FText.size()), &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        SelectObject(dc, old);
    }
}

// ------------------------------------------------------------------ TTimer

namespace {

std::set<TTimer*>& LiveTimers() {
    static std::set<TTimer*> timers;
    return timers;
}

LRESULT CALLBACK TimerWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_TIMER) {
        auto* timer = reinterpret_cast<TTimer*>(wParam);
        // A tick already queued for a timer that has gone is dropped.
        if (LiveTimers().count(timer)) {
            try {
                timer->Timer();
            } catch (const std::exception& e) {
                if (Application) Application->HandleException(e);
            }
        }
        return 0;
    }
    return DefWindowProcA(wnd, msg, wParam, lParam);
}

// One hidden message window carries every timer; the timer's address is its id.
HWND TimerWindow() {
    static HWND wnd = nullptr;
    if (!wnd || !IsWindow(wnd)) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &TimerWndProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "TPUtilWindow";
        RegisterClassA(&wc);
        wnd = CreateWindowExA(0, "TPUtilWindow", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    }
    return wnd;
}

} // namespace

TTimer::TTimer(TComponent* owner) : TComponent(owner) {
    LiveTimers().insert(this);
    UpdateTimer();
}

TTimer::~TTimer() {
    FEnabled = false;
    UpdateTimer();
    LiveTimers().erase(this);
}

void TTimer::SetEnabled(bool enabled) {
    if (enabled == FEnabled) return;
    FEnabled = enabled;
    UpdateTimer();
}

void TTimer::SetInterval(unsigned interval) {
    if (interval == FInterval) return;
    FInterval = interval;
    UpdateTimer();
}

void TTimer::Loaded() {
    TComponent::Loaded();
    UpdateTimer();
}

void TTimer::UpdateTimer() {
    if (FRunning) {
        KillTimer(TimerWindow(), reinterpret_cast<UINT_PTR>(this));
        FRunning = false;
    }
    if (FEnabled && FInterval > 0 && !IsLoading() && !IsDesigning() && !IsDestroying()) {
        FRunning = SetTimer(TimerWindow(), reinterpret_cast<UINT_PTR>(this), FInterval, nullptr) != 0;
    }
}

void TTimer::Timer() {
    if (FEnabled && OnTimer) OnTimer(this);
}

} // namespace vcl
