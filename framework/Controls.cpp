#include "framework/Controls.h"

#include <windowsx.h>

#include <algorithm>
#include <map>

#include "framework/Forms.h"
#include "framework/Menus.h"

namespace vcl {

TShiftState ShiftStateFromMouse(WPARAM keys) {
    TShiftState s = 0;
    if (keys & MK_SHIFT) s |= ssShift;
    if (keys & MK_CONTROL) s |= ssCtrl;
    if (keys & MK_LBUTTON) s |= ssLeft;
    if (keys & MK_RBUTTON) s |= ssRight;
    if (keys & MK_MBUTTON) s |= ssMiddle;
    if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
    return s;
}

// ---------------------------------------------------------------- TControl

TControl::TControl(TComponent* owner) : TComponent(owner) {
    FFont.OnChange = [this] {
        if (!FTakingParentFont) FParentFont = false;
        FontChanged();
    };
}

TControl::~TControl() {
    FFont.OnChange = nullptr;
    if (FParent) FParent->RemoveControl(this);
}

void TControl::SetParent(TWinControl* parent) {
    if (parent == FParent) return;
    if (FParent) FParent->RemoveControl(this);
    if (parent) {
        parent->InsertControl(this);
        if (FParentFont) TakeParentFont(parent->Font());
        if (FParentColor) FColor = parent->Color();
        Invalidate();
    }
}

void TControl::SetBounds(int left, int top, int width, int height) {
    if (left == FLeft && top == FTop && width == FWidth && height == FHeight) return;
    Invalidate();
    FLeft = left;
    FTop = top;
    FWidth = width;
    FHeight = height;
    Invalidate();
}

void TControl::ChangeScale(int m, int d) {
    SetBounds(MulDiv(FLeft, m, d), MulDiv(FTop, m, d), MulDiv(FWidth, m, d), MulDiv(FHeight, m, d));
    // A font taken over from the parent follows the parent's scaled font.
    if (!FParentFont) FFont.SetHeight(MulDiv(FFont.Height(), m, d));
}

void TControl::SetVisible(bool visible) {
    if (visible == FVisible) return;
    if (!visible) Invalidate();
    FVisible = visible;
    VisibleChanged();
}

void TControl::VisibleChanged() { Invalidate(); }

void TControl::SetEnabled(bool enabled) {
    if (enabled == FEnabled) return;
    FEnabled = enabled;
    EnabledChanged();
}

void TControl::SetCaption(const std::string& text) {
    if (text == FText) return;
    FText = text;
    TextChanged();
}

void TControl::SetParentFont(bool value) {
    if (value == FParentFont) return;
    FParentFont = value;
    if (value && FParent) TakeParentFont(FParent->Font());
}

void TControl::TakeParentFont(const TFont& font) {
    FTakingParentFont = true;
    FFont.Assign(font);
    FTakingParentFont = false;
}

void TControl::ParentFontChanged() {
    if (FParentFont && FParent) TakeParentFont(FParent->Font());
}

void TControl::SetColor(TColor color) {
    FParentColor = false;
    if (color == FColor) return;
    FColor = color;
    ColorChanged();
}

void TControl::SetParentColor(bool value) {
    if (value == FParentColor) return;
    FParentColor = value;
    if (value) ParentColorChanged();
}

void TControl::ParentColorChanged() {
    if (FParentColor && FParent && FParent->Color() != FColor) {
        FColor = FParent->Color();
        ColorChanged();
    }
}

void TControl::SetPopupMenu(TPopupMenu* menu) {
    FPopupMenu = menu;
    if (menu) menu->FreeNotification(this);
}

void TControl::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == FPopupMenu) FPopupMenu = nullptr;
}

void TControl::TextChanged() { Invalidate(); }
void TControl::FontChanged() { Invalidate(); }
void TControl::EnabledChanged() { Invalidate(); }
void TControl::ColorChanged() { Invalidate(); }

void TControl::Invalidate() {}
void TControl::Repaint() { Invalidate(); }

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft) FMouseInsideDown = true;
    if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    bool click = button == mbLeft && FMouseInsideDown && (FControlStyle & csClickEvents) &&
                 x >= 0 && y >= 0 && x < FWidth && y < FHeight;
    if (button == mbLeft) FMouseInsideDown = false;
    if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
    if (click) Click();
}

void TControl::MouseMove(TShiftState shift, int x, int y) {
    if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TControl::Click() {
    if (OnClick) OnClick(this);
}

void TControl::DblClick() {
    if (OnDblClick) OnDblClick(this);
}

bool TControl::DialogChar(char) { return false; }

POINT TControl::ClientToScreen(POINT pt) const {
    const TControl* c = this;
    while (c && !dynamic_cast<const TWinControl*>(c)) {
        pt.x += c->FLeft;
        pt.y += c->FTop;
        c = c->FParent;
    }
    if (c) {
        auto* wc = const_cast<TWinControl*>(static_cast<const TWinControl*>(c));
        if (wc->HandleAllocated()) ::ClientToScreen(wc->Handle(), &pt);
    }
    return pt;
}

// --------------------------------------------------------- TGraphicControl

TGraphicControl::TGraphicControl(TComponent* owner) : TControl(owner) {}

void TGraphicControl::Invalidate() {
    if (!FVisible || !FParent || !FParent->HandleAllocated()) return;
    RECT r = BoundsRect();
    // Under a transparent control the parent repaints its own background first.
    ::InvalidateRect(FParent->Handle(), &r, (FControlStyle & csOpaque) ? FALSE : TRUE);
}

void TGraphicControl::Repaint() {
    Invalidate();
    if (FParent && FParent->HandleAllocated()) ::UpdateWindow(FParent->Handle());
}

// ------------------------------------------------------------- TWinControl

namespace {
thread_local TWinControl* gCreating = nullptr;
std::map<std::string, WNDPROC>& SuperclassProcs() {
    static std::map<std::string, WNDPROC> procs;
    return procs;
}
} // namespace

TWinControl::TWinControl(TComponent* owner, const std::string& className)
    : TControl(owner), FClassName(className) {}

TWinControl::~TWinControl() {
    // Children that another component owns lose their parent with us.
    while (!FControls.empty()) FControls.back()->SetParent(nullptr);
    DestroyHandle();
}

TWinControl* TWinControl::FromHandle(HWND wnd) {
    if (!wnd) return nullptr;
    if (GetWindowLongPtrA(wnd, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(&StdWndProc)) return nullptr;
    return reinterpret_cast<TWinControl*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
}

HWND TWinControl::Handle() {
    if (!FHandle) CreateHandle();
    return FHandle;
}

void TWinControl::CreateParams(TCreateParams& params) {
    params.ClassName = FClassName;
    params.Style = WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    if (FVisible) params.Style |= WS_VISIBLE;
    if (!FEnabled) params.Style |= WS_DISABLED;
    if (FTabStop) params.Style |= WS_TABSTOP;
    params.X = FLeft;
    params.Y = FTop;
    params.Width = FWidth;
    params.Height = FHeight;
    if (FParent) params.WndParent = FParent->Handle();
}

void TWinControl::CreateHandle() {
    TCreateParams params;
    CreateParams(params);
    if ((params.Style & WS_CHILD) && !params.WndParent) throw EInvalidOperation("Control has no parent window");
    HINSTANCE inst = GetModuleHandleA(nullptr);
    WNDCLASSA existing;
    if (!GetClassInfoA(inst, params.ClassName.c_str(), &existing)) {
        WNDCLASSA wc{};
        if (!params.BaseClassName.empty()) {
            GetClassInfoA(nullptr, params.BaseClassName.c_str(), &wc);
            SuperclassProcs()[params.ClassName] = wc.lpfnWndProc;
        } else {
            wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
            wc.style = params.ClassStyle;
        }
        wc.hInstance = inst;
        wc.lpfnWndProc = &StdWndProc;
        wc.lpszClassName = params.ClassName.c_str();
        wc.hbrBackground = nullptr;
        if (!RegisterClassA(&wc)) throw EInvalidOperation("Cannot register window class " + params.ClassName);
    }
    auto proc = SuperclassProcs().find(params.ClassName);
    FDefWndProc = proc != SuperclassProcs().end() ? proc->second : nullptr;
    TWinControl* saved = gCreating;
    gCreating = this;
    HWND wnd = CreateWindowExA(params.ExStyle, params.ClassName.c_str(), FText.c_str(), params.Style,
                               params.X, params.Y, params.Width, params.Height, params.WndParent,
                               nullptr, inst, this);
    gCreating = saved;
    if (!wnd) throw EInvalidOperation("Cannot create window " + params.ClassName);
    FHandle = wnd;
    ApplyFontToWindow();
    for (TControl* c : FControls)
        if (auto* w = dynamic_cast<TWinControl*>(c)) w->HandleNeeded();
    HandleCreated();
}

void TWinControl::DestroyHandle() {
    if (!FHandle) return;
    HWND wnd = FHandle;
    for (TControl* c : FControls)
        if (auto* w = dynamic_cast<TWinControl*>(c)) w->DestroyHandle();
    SetWindowLongPtrA(wnd, GWLP_USERDATA, 0);
    FHandle = nullptr;
    ::DestroyWindow(wnd);
}

void TWinControl::ApplyFontToWindow() {
    if (FHandle && FDefWndProc) ::SendMessageA(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(FFont.Handle()), TRUE);
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
    if (left == FLeft && top == FTop && width == FWidth && height == FHeight) return;
    FLeft = left;
    FTop = top;
    FWidth = width;
    FHeight = height;
    if (FHandle) ::SetWindowPos(FHandle, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWinControl::SetVisible(bool visible) {
    if (visible == FVisible) return;
    FVisible = visible;
    if (FHandle) ::ShowWindow(FHandle, visible ? SW_SHOWNA : SW_HIDE);
    VisibleChanged();
}

void TWinControl::SetEnabled(bool enabled) {
    if (enabled == FEnabled) return;
    FEnabled = enabled;
    if (FHandle) ::EnableWindow(FHandle, enabled);
    EnabledChanged();
}

void TWinControl::EnabledChanged() {
    if (FHandle) ::InvalidateRect(FHandle, nullptr, TRUE);
}

int TWinControl::ClientWidth() const {
    if (!FHandle) return FWidth;
    RECT r;
    ::GetClientRect(FHandle, &r);
    return r.right;
}

int TWinControl::ClientHeight() const {
    if (!FHandle) return FHeight;
    RECT r;
    ::GetClientRect(FHandle, &r);
    return r.bottom;
}

void TWinControl::InsertControl(TControl* control) {
    FControls.push_back(control);
    control->FParent = this;
    if (auto* w = dynamic_cast<TWinControl*>(control))
        if (FHandle) w->HandleNeeded();
}

void TWinControl::RemoveControl(TControl* control) {
    if (FMouseControl == control) {
        FMouseControl = nullptr;
        if (FHandle && GetCapture() == FHandle) ReleaseCapture();
    }
    control->Invalidate();
    auto it = std::find(FControls.begin(), FControls.end(), control);
    if (it != FControls.end()) FControls.erase(it);
    control->FParent = nullptr;
    if (auto* w = dynamic_cast<TWinControl*>(control)) w->DestroyHandle();
}

TControl* TWinControl::ControlAtPos(POINT pt) const {
    for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
        TControl* c = *it;
        if (dynamic_cast<TWinControl*>(c)) continue;
        if (!c->Visible() || !c->Enabled()) continue;
        RECT r = c->BoundsRect();
        if (PtInRect(&r, pt)) return c;
    }
    return nullptr;
}

void TWinControl::PaintControls(HDC dc) {
    RECT clip;
    GetClipBox(dc, &clip);
    for (TControl* c : FControls) {
        auto* g = dynamic_cast<TGraphicControl*>(c);
        if (!g || !g->Visible()) continue;
        RECT r = g->BoundsRect(), meet;
        if (!IntersectRect(&meet, &r, &clip)) continue;
        int saved = SaveDC(dc);
        POINT old;
        SetViewportOrgEx(dc, g->Left(), g->Top(), &old);
        // Clip to the control's own rectangle, in its coordinates.
        IntersectClipRect(dc, 0, 0, g->Width(), g->Height());
        g->Canvas().SetHandle(dc);
        try {
            g->Paint();
        } catch (...) {
            g->Canvas().SetHandle(nullptr);
            RestoreDC(dc, saved);
            throw;
        }
        g->Canvas().SetHandle(nullptr);
        RestoreDC(dc, saved);
    }
}

bool TWinControl::CanFocus() const {
    const TControl* c = this;
    while (c) {
        if (!c->Visible() || !c->Enabled()) return false;
        if (dynamic_cast<const TCustomForm*>(c)) return true;
        c = c->Parent();
    }
    return false;
}

bool TWinControl::Focused() const { return FHandle && GetFocus() == FHandle; }

void TWinControl::SetFocus() {
    TCustomForm* form = GetParentForm(this);
    if (form) form->FocusControl(this);
    else if (HandleAllocated()) ::SetFocus(FHandle);
}

bool TWinControl::DialogChar(char ch) {
    for (TControl* c : FControls)
        if (c->DialogChar(ch)) return true;
    return false;
}

bool TWinControl::DialogKey(WORD key, TShiftState shift) {
    for (TControl* c : FControls)
        if (auto* w = dynamic_cast<TWinControl*>(c))
            if (w->DialogKey(key, shift)) return true;
    return false;
}

void TWinControl::FontChanged() {
    ApplyFontToWindow();
    for (TControl* c : FControls) c->ParentFontChanged();
    if (FHandle) ::InvalidateRect(FHandle, nullptr, TRUE);
}

void TWinControl::ColorChanged() {
    for (TControl* c : FControls) c->ParentColorChanged();
    if (FHandle) ::InvalidateRect(FHandle, nullptr, TRUE);
}

void TWinControl::ParentFontChanged() { TControl::ParentFontChanged(); }

void TWinControl::ChangeScale(int m, int d) {
    TControl::ChangeScale(m, d);
    for (TControl* c : FControls) c->ChangeScale(m, d);
}
void TWinControl::ParentColorChanged() { TControl::ParentColorChanged(); }

void TWinControl::TextChanged() {
    if (FHandle) ::SetWindowTextA(FHandle, FText.c_str());
}

void TWinControl::EraseBackground(HDC dc) {
    RECT r;
    ::GetClientRect(FHandle, &r);
    HBRUSH b = CreateSolidBrush(ColorToRGB(FColor));
    ::FillRect(dc, &r, b);
    DeleteObject(b);
}

LRESULT TWinControl::DefaultHandler(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (FDefWndProc) return CallWindowProcA(FDefWndProc, FHandle, msg, wParam, lParam);
    return DefWindowProcA(FHandle, msg, wParam, lParam);
}

LRESULT TWinControl::MouseMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    TShiftState shift = ShiftStateFromMouse(wParam);
    TMouseButton button = mbLeft;
    bool down = false, up = false, dbl = false;
    switch (msg) {
    case WM_LBUTTONDOWN: down = true; break;
    case WM_LBUTTONDBLCLK: down = dbl = true; break;
    case WM_RBUTTONDOWN: button = mbRight; down = true; break;
    case WM_RBUTTONDBLCLK: button = mbRight; down = dbl = true; break;
    case WM_MBUTTONDOWN: button = mbMiddle; down = true; break;
    case WM_MBUTTONDBLCLK: button = mbMiddle; down = dbl = true; break;
    case WM_LBUTTONUP: up = true; break;
    case WM_RBUTTONUP: button = mbRight; up = true; break;
    case WM_MBUTTONUP: button = mbMiddle; up = true; break;
    default: break;
    }
    if (dbl) shift |= ssDouble;
    if (down) {
        TControl* target = FMouseControl ? FMouseControl : ControlAtPos(pt);
        if (target) {
            if (!FMouseControl && (target->ControlStyle() & csCaptureMouse)) {
                FMouseControl = target;
                SetCapture(FHandle);
            }
            if (dbl) target->DblClick();
            target->MouseDown(button, shift, pt.x - target->Left(), pt.y - target->Top());
        } else {
            if (dbl) DblClick();
            MouseDown(button, shift, pt.x, pt.y);
        }
        return 0;
    }
    if (up) {
        TControl* target = FMouseControl;
        if (target) {
            if (!(wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON))) {
                FMouseControl = nullptr;
                if (GetCapture() == FHandle) ReleaseCapture();
            }
            target->MouseUp(button, shift, pt.x - target->Left(), pt.y - target->Top());
        } else {
            MouseUp(button, shift, pt.x, pt.y);
        }
        // Let the system turn a right release into WM_CONTEXTMENU.
        if (button == mbRight) return DefaultHandler(msg, wParam, lParam);
        return 0;
    }
    // WM_MOUSEMOVE
    if (FMouseControl) FMouseControl->MouseMove(shift, pt.x - FMouseControl->Left(), pt.y - FMouseControl->Top());
    else MouseMove(shift, pt.x, pt.y);
    return 0;
}

LRESULT TWinControl::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_ERASEBKGND:
        if (FDefWndProc) break;
        EraseBackground(reinterpret_cast<HDC>(wParam));
        return 1;
    case WM_PAINT: {
        if (FDefWndProc && FControls.empty()) break;
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(FHandle, &ps);
        if (ps.fErase) EraseBackground(dc);
        try {
            PaintWindow(dc);
            PaintControls(dc);
        } catch (...) {
            EndPaint(FHandle, &ps);
            throw;
        }
        EndPaint(FHandle, &ps);
        return 0;
    }
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: case WM_LBUTTONUP:
    case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK: case WM_RBUTTONUP:
    case WM_MBUTTONDOWN: case WM_MBUTTONDBLCLK: case WM_MBUTTONUP:
    case WM_MOUSEMOVE:
        if (FDefWndProc) {
            // A system control handles its own clicks; the events still run.
            LRESULT r = DefaultHandler(msg, wParam, lParam);
            POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            TShiftState shift = ShiftStateFromMouse(wParam);
            if (msg == WM_LBUTTONDOWN) MouseDown(mbLeft, shift, pt.x, pt.y);
            else if (msg == WM_RBUTTONDOWN) MouseDown(mbRight, shift, pt.x, pt.y);
            else if (msg == WM_LBUTTONUP) MouseUp(mbLeft, shift, pt.x, pt.y);
            return r;
        }
        return MouseMessage(msg, wParam, lParam);
    case WM_SETFOCUS:
        // The form remembers the control that last had the focus.
        if (TCustomForm* form = GetParentForm(this); form && form != this) form->ControlFocused(this);
        break;
    case WM_CAPTURECHANGED:
        if (FMouseControl && reinterpret_cast<HWND>(lParam) != FHandle) {
            TControl* c = FMouseControl;
            FMouseControl = nullptr;
            c->MouseCaptureLost();
        }
        break;
    case WM_CONTEXTMENU: {
        POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        TControl* target = this;
        if (screen.x != -1 || screen.y != -1) {
            POINT pt = screen;
            ::ScreenToClient(FHandle, &pt);
            if (TControl* c = ControlAtPos(pt)) target = c;
        } else {
            GetCursorPos(&screen);
        }
        for (TControl* c = target; c; c = c->Parent()) {
            if (c->PopupMenu()) {
                c->PopupMenu()->SetPopupComponent(target);
                c->PopupMenu()->Popup(screen.x, screen.y);
                return 0;
            }
        }
        break;
    }
    case WM_COMMAND:
        if (lParam) {
            if (TWinControl* child = FromHandle(reinterpret_cast<HWND>(lParam)))
                return child->CommandNotify(HIWORD(wParam));
        }
        break;
    case WM_NOTIFY: {
        auto* hdr = reinterpret_cast<NMHDR*>(lParam);
        if (TWinControl* child = FromHandle(hdr->hwndFrom)) return child->NotifyNotify(hdr);
        break;
    }
    default:
        break;
    }
    return DefaultHandler(msg, wParam, lParam);
}

LRESULT CALLBACK StdWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TWinControl*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
    if (!self && gCreating && (msg == WM_NCCREATE || !gCreating->FHandle)) {
        // Bind the object to its window at the first message it gets.
        self = gCreating;
        gCreating = nullptr;
        self->FHandle = wnd;
        SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (!self) {
        char cls[64] = "";
        GetClassNameA(wnd, cls, sizeof cls);
        auto proc = SuperclassProcs().find(cls);
        if (proc != SuperclassProcs().end()) return CallWindowProcA(proc->second, wnd, msg, wParam, lParam);
        return DefWindowProcA(wnd, msg, wParam, lParam);
    }
    // No C++ exception crosses the window procedure.
    try {
        return self->WndProc(msg, wParam, lParam);
    } catch (const std::exception& e) {
        if (Application) Application->HandleException(e);
    } catch (...) {
        if (Application) Application->HandleException(Exception("Unknown error"));
    }
    return 0;
}

} // namespace vcl
