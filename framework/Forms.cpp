#include "framework/Forms.h"

#include <imm.h>

#include <algorithm>

#include "framework/Menus.h"
#include "framework/Platform.h"

namespace vcl {

TApplication* Application = nullptr;

TCustomForm* GetParentForm(TControl* control) {
    while (control && control->Parent()) control = control->Parent();
    return dynamic_cast<TCustomForm*>(control);
}

// ------------------------------------------------------------- TCustomForm

TCustomForm::TCustomForm(TComponent* owner, const std::string& className)
    : TWinControl(owner, className) {
    FVisible = false;
    FColor = clBtnFace;
    FParentColor = false;
    FParentFont = false;
    FWidth = 320;
    FHeight = 240;
    SetControlStyle(ControlStyle() | csAcceptsControls);
}

TCustomForm::~TCustomForm() {
    BeforeDestruction();
    if (FIcon) DestroyIcon(FIcon);
    // The menu bar belongs to its component, not to the window.
    if (FHandle && FMainMenu) ::SetMenu(FHandle, nullptr);
}

void TCustomForm::BeforeDestruction() {
    if (FDestroyCalled) return;
    FDestroyCalled = true;
    if (!OnDestroy) return;
    try {
        OnDestroy(this);
    } catch (const std::exception& e) {
        if (Application) Application->HandleException(e);
    }
}

int ScreenPixelsPerInch() {
    HDC dc = GetDC(nullptr);
    const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 0;
    if (dc) ReleaseDC(nullptr, dc);
    return dpi > 0 ? dpi : DesignPixelsPerInch;
}

void TCustomForm::ReadLayout(const std::function<void()>& layout) {
    SetLoading(true);
    layout();
    if (FScaled) {
        const int dpi = ScreenPixelsPerInch();
        if (dpi != DesignPixelsPerInch) ChangeScale(dpi, DesignPixelsPerInch);
    }
    // The loaded step: the form first, then its components in creation order.
    Loaded();
    for (int i = 0; i < ComponentCount(); ++i) Components(i)->Loaded();
}

void TCustomForm::DoCreate() {
    if (OnCreate) OnCreate(this);
}

void TCustomForm::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.Style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    params.ExStyle = FExtraExStyle;
    switch (FBorderStyle) {
    case bsNone: params.Style |= WS_POPUP; break;
    case bsSingle: params.Style |= WS_CAPTION | WS_BORDER; break;
    case bsSizeable: params.Style |= WS_CAPTION | WS_THICKFRAME; break;
    case bsDialog:
        params.Style |= WS_POPUP | WS_CAPTION | DS_MODALFRAME;
        params.ExStyle |= WS_EX_DLGMODALFRAME;
        break;
    case bsToolWindow:
        params.Style |= WS_CAPTION;
        params.ExStyle |= WS_EX_TOOLWINDOW;
        break;
    case bsSizeToolWin:
        params.Style |= WS_CAPTION | WS_THICKFRAME;
        params.ExStyle |= WS_EX_TOOLWINDOW;
        break;
    }
    if (FBorderStyle != bsNone && (FBorderIcons & biSystemMenu)) {
        params.Style |= WS_SYSMENU;
        if (FBorderStyle == bsSingle || FBorderStyle == bsSizeable) {
            if (FBorderIcons & biMinimize) params.Style |= WS_MINIMIZEBOX;
            if (FBorderIcons & biMaximize) params.Style |= WS_MAXIMIZEBOX;
        }
    }
    if (FFormStyle == fsStayOnTop) params.ExStyle |= WS_EX_TOPMOST;
    if (FClientWidth >= 0 || FClientHeight >= 0) {
        RECT r{0, 0, FClientWidth >= 0 ? FClientWidth : FWidth, FClientHeight >= 0 ? FClientHeight : FHeight};
        AdjustWindowRectEx(&r, params.Style, FMainMenu != nullptr, params.ExStyle);
        FWidth = r.right - r.left;
        FHeight = r.bottom - r.top;
        params.Width = FWidth;
        params.Height = FHeight;
    }
    params.WndParent = Application ? Application->Handle() : nullptr;
}

void TCustomForm::UpdateFormWindow() {
    if (!HandleAllocated()) return;
    TCreateParams p;
    CreateParams(p);
    SetWindowLongA(FHandle, GWL_STYLE, static_cast<LONG>(p.Style | (IsWindowVisible(FHandle) ? WS_VISIBLE : 0)));
    SetWindowLongA(FHandle, GWL_EXSTYLE, static_cast<LONG>(p.ExStyle));
    SetWindowPos(FHandle, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void TCustomForm::SetBorderStyle(TFormBorderStyle style) {
    if (style == FBorderStyle) return;
    FBorderStyle = style;
    UpdateFormWindow();
}

void TCustomForm::SetFormStyle(TFormStyle style) {
    if (style == FFormStyle) return;
    FFormStyle = style;
    if (HandleAllocated())
        SetWindowPos(FHandle, style == fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TCustomForm::SetClientSize(int w, int h) {
    FClientWidth = w;
    FClientHeight = h;
    if (!HandleAllocated()) {
        // Until the window exists the outer size equals the client size for a
        // borderless form; CreateParams adds the frame for the others.
        if (FBorderStyle == bsNone) {
            FWidth = w;
            FHeight = h;
        }
        return;
    }
    RECT r{0, 0, w, h};
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongA(FHandle, GWL_STYLE)), GetMenu(FHandle) != nullptr,
                       static_cast<DWORD>(GetWindowLongA(FHandle, GWL_EXSTYLE)));
    SetBounds(FLeft, FTop, r.right - r.left, r.bottom - r.top);
    if (FMainMenu) FitClientSize();
}

void TCustomForm::HandleCreated() {
    TWinControl::HandleCreated();
    if (FMainMenu) {
        ::SetMenu(FHandle, FMainMenu->Handle());
        FitClientSize();
    }
}

void TCustomForm::FitClientSize() {
    if (!HandleAllocated() || FBorderStyle == bsNone) return;
    for (int i = 0; i < 3; ++i) {
        RECT c;
        ::GetClientRect(FHandle, &c);
        const int dw = FClientWidth >= 0 ? FClientWidth - c.right : 0;
        const int dh = FClientHeight >= 0 ? FClientHeight - c.bottom : 0;
        if (dw == 0 && dh == 0) return;
        SetBounds(FLeft, FTop, FWidth + dw, FHeight + dh);
    }
}

void TCustomForm::SetMainMenu(TMainMenu* menu) {
    if (menu == FMainMenu) return;
    if (FMainMenu) FMainMenu->RemoveFreeNotification(this);
    FMainMenu = menu;
    if (menu) menu->FreeNotification(this);
    if (!HandleAllocated()) return;
    ::SetMenu(FHandle, menu ? menu->Handle() : nullptr);
    FitClientSize();
}

void TCustomForm::ChangeScale(int m, int d) {
    if (FClientWidth >= 0 && FClientHeight >= 0) {
        SetClientSize(MulDiv(FClientWidth, m, d), MulDiv(FClientHeight, m, d));
    } else {
        SetBounds(FLeft, FTop, MulDiv(FWidth, m, d), MulDiv(FHeight, m, d));
    }
    FFont.SetHeight(MulDiv(FFont.Height(), m, d));
    for (TControl* c : FControls) c->ChangeScale(m, d);
}

void TCustomForm::SetClientWidth(int w) { SetClientSize(w, ClientHeight()); }
void TCustomForm::SetClientHeight(int h) { SetClientSize(ClientWidth(), h); }

int TCustomForm::ClientWidth() const {
    if (!FHandle) return FClientWidth >= 0 ? FClientWidth : FWidth;
    return TWinControl::ClientWidth();
}

int TCustomForm::ClientHeight() const {
    if (!FHandle) return FClientHeight >= 0 ? FClientHeight : FHeight;
    return TWinControl::ClientHeight();
}

void TCustomForm::SetIconResource(const char* name) {
    if (FIcon) DestroyIcon(FIcon);
    FIcon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), name, IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
    if (FIcon && HandleAllocated()) SendMessageA(FHandle, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(FIcon));
}

void TCustomForm::SetVisible(bool visible) {
    if (visible == FVisible) return;
    HWND wnd = Handle();
    if (visible && FIcon) SendMessageA(wnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(FIcon));
    if (visible && !FShownOnce && FPosition == poScreenCenter) {
        int x = (GetSystemMetrics(SM_CXSCREEN) - FWidth) / 2;
        int y = (GetSystemMetrics(SM_CYSCREEN) - FHeight) / 2;
        SetBounds(std::max(x, 0), std::max(y, 0), FWidth, FHeight);
    }
    FVisible = visible;
    if (visible) {
        FShownOnce = true;
        bool noActivate = (FExtraExStyle & WS_EX_NOACTIVATE) != 0;
        ::ShowWindow(wnd, noActivate ? SW_SHOWNOACTIVATE : SW_SHOW);
        if (OnShow) OnShow(this);
    } else {
        ::ShowWindow(wnd, SW_HIDE);
        if (OnHide) OnHide(this);
    }
}

void TCustomForm::Close() {
    if (FModal) {
        FModalResult = mrCancel;
        return;
    }
    const bool mainForm = Application && Application->MainForm() == this;
    // The program is ending already: a close request that was queued behind
    // the one that ended it (to this form or to the application) does nothing.
    if (mainForm && Application->Terminating()) return;
    TCloseAction action = caHide;
    if (OnClose) OnClose(this, action);
    if (action == caNone) return;
    if (mainForm) Application->Terminate();
    else if (action == caHide || action == caFree) Hide();
}

TModalResult TCustomForm::ShowModal() {
    if (FVisible || FModal) throw EInvalidOperation("Cannot make a visible window modal");
    // Every other window of the thread is disabled while the form runs.
    std::vector<HWND> disabled;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM p) -> BOOL {
            if (IsWindowVisible(w) && IsWindowEnabled(w)) {
                reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&disabled));
    HWND self = Handle();
    disabled.erase(std::remove(disabled.begin(), disabled.end(), self), disabled.end());
    // The window that was active goes back to the front afterwards.
    HWND previous = GetActiveWindow();
    for (HWND w : disabled) EnableWindow(w, FALSE);
    FModal = true;
    FModalResult = mrNone;
    bool stillActive = false;
    try {
        Show();
        while (FModalResult == mrNone && !Application->Terminated()) {
            if (!Application->ProcessMessage()) WaitMessage();
            if (FModalResult != mrNone) {
                // Let OnClose veto the close that the modal result asks for.
                TCloseAction action = caHide;
                if (OnClose) OnClose(this, action);
                if (action == caNone) FModalResult = mrNone;
            }
        }
        // Ending the program ends the modal loop as a cancel.
        if (FModalResult == mrNone) FModalResult = mrCancel;
        stillActive = GetActiveWindow() == self;
    } catch (...) {
        FModal = false;
        for (HWND w : disabled) EnableWindow(w, TRUE);
        throw;
    }
    for (HWND w : disabled) EnableWindow(w, TRUE);
    Hide();
    FModal = false;
    if (stillActive && previous && previous != self && IsWindow(previous) && IsWindowVisible(previous) &&
        IsWindowEnabled(previous))
        SetActiveWindow(previous);
    return FModalResult;
}

void TCustomForm::FocusControl(TWinControl* control) {
    FActiveControl = control;
    if (control) control->FreeNotification(this);
    if (control && control->HandleAllocated() && control->CanFocus()) ::SetFocus(control->Handle());
}

void TCustomForm::Notification(TComponent* component, TOperation operation) {
    TWinControl::Notification(component, operation);
    if (operation == opRemove && component == FActiveControl) FActiveControl = nullptr;
    if (operation == opRemove && component == FMainMenu) {
        if (FHandle) ::SetMenu(FHandle, nullptr);
        FMainMenu = nullptr;
    }
}

void TCustomForm::ControlFocused(TWinControl* control) {
    if (control == FActiveControl) return;
    FActiveControl = control;
    if (control) control->FreeNotification(this);
}

namespace {

// Every windowed control under `parent` in tab order: each control comes
// before the controls it contains; siblings are ordered by TabOrder, then by
// the order in which they were added.
void TabOrderList(TWinControl* parent, std::vector<TWinControl*>& list) {
    std::vector<TWinControl*> children;
    for (int i = 0; i < parent->ControlCount(); ++i)
        if (auto* w = dynamic_cast<TWinControl*>(parent->Controls(i))) children.push_back(w);
    std::stable_sort(children.begin(), children.end(),
                     [](TWinControl* a, TWinControl* b) { return a->TabOrder() < b->TabOrder(); });
    for (TWinControl* w : children) {
        list.push_back(w);
        TabOrderList(w, list);
    }
}

} // namespace

TWinControl* TCustomForm::FindNextControl(TWinControl* current, bool forward) {
    std::vector<TWinControl*> list;
    TabOrderList(this, list);
    if (list.empty()) return nullptr;
    const int n = static_cast<int>(list.size());
    int start = static_cast<int>(std::find(list.begin(), list.end(), current) - list.begin());
    if (start == n) start = forward ? n - 1 : 0; // not in the list: begin at the first (or last)
    for (int step = 1; step <= n; ++step) {
        int i = forward ? (start + step) % n : (start - step + n) % n;
        TWinControl* c = list[i];
        if (c->TabStop() && c->CanFocus()) return c;
    }
    return nullptr;
}

void TCustomForm::SelectFirst() {
    if (TWinControl* c = FindNextControl(nullptr, true)) FocusControl(c);
}

void TCustomForm::SelectNext(TWinControl* current, bool forward) {
    TWinControl* next = FindNextControl(current, forward);
    if (next) FocusControl(next);
}

bool TCustomForm::DialogKey(WORD key, TShiftState shift) {
    if (key == VK_TAB) {
        if (shift & (ssAlt | ssCtrl)) return false;
        TWinControl* current = FromHandle(GetFocus());
        if (!current || GetParentForm(current) != this) current = FActiveControl;
        SelectNext(current, (shift & ssShift) == 0);
        return true;
    }
    return TWinControl::DialogKey(key, shift);
}

void ApplyImeMode(HWND wnd, TImeMode mode) {
    if (!wnd || (mode != imClose && mode != imOpen)) return;
    // The input method functions are looked up at run time, so the program does
    // not depend on imm32 being linked.
    using GetContextFn = HIMC(WINAPI*)(HWND);
    using ReleaseContextFn = BOOL(WINAPI*)(HWND, HIMC);
    using SetOpenStatusFn = BOOL(WINAPI*)(HIMC, BOOL);
    static HMODULE imm = LoadLibraryA("imm32.dll");
    if (!imm) return;
    auto lookup = [](const char* name) { return reinterpret_cast<void (*)()>(GetProcAddress(imm, name)); };
    static auto getContext = reinterpret_cast<GetContextFn>(lookup("ImmGetContext"));
    static auto releaseContext = reinterpret_cast<ReleaseContextFn>(lookup("ImmReleaseContext"));
    static auto setOpenStatus = reinterpret_cast<SetOpenStatusFn>(lookup("ImmSetOpenStatus"));
    if (!getContext || !releaseContext || !setOpenStatus) return;
    HIMC context = getContext(wnd);
    if (!context) return;
    setOpenStatus(context, mode == imOpen);
    releaseContext(wnd, context);
}

void TCustomForm::Activate() {
    if (OnActivate) OnActivate(this);
}

LRESULT TCustomForm::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CLOSE:
        Close();
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE) {
            LRESULT r = DefaultHandler(msg, wParam, lParam);
            if (FActiveControl && FActiveControl->HandleAllocated() && FActiveControl->CanFocus())
                ::SetFocus(FActiveControl->Handle());
            else if (!HIWORD(wParam))
                SelectFirst();
            Activate();
            return r;
        }
        break;
    case WM_SETFOCUS:
        ApplyImeMode(FHandle, FImeMode);
        break;
    case WM_COMMAND:
        // A menu bar command (a control's notification carries its window).
        if (lParam == 0 && HIWORD(wParam) == 0 && FMainMenu && FMainMenu->DispatchCommand(LOWORD(wParam)))
            return 0;
        break;
    case WM_WINDOWPOSCHANGED: {
        // Keep the bounds when the user moves or sizes the window.
        const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
        if (!(pos->flags & SWP_NOMOVE)) {
            FLeft = pos->x;
            FTop = pos->y;
        }
        if (!(pos->flags & SWP_NOSIZE)) {
            FWidth = pos->cx;
            FHeight = pos->cy;
        }
        break;
    }
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_MINIMIZE && Application && Application->MainForm() == this) {
            Application->Minimize();
            return 0;
        }
        break;
    default:
        break;
    }
    return TWinControl::WndProc(msg, wParam, lParam);
}

// ------------------------------------------------------------ TApplication

LRESULT CALLBACK AppWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (Application && Application->FHandle == wnd) {
        try {
            return Application->WndProc(msg, wParam, lParam);
        } catch (const std::exception& e) {
            Application->HandleException(e);
            return 0;
        }
    }
    return DefWindowProcA(wnd, msg, wParam, lParam);
}

TApplication::TApplication() : TComponent(nullptr) { Application = this; }

TApplication::~TApplication() {
    DestroyForms();
    if (FHandle) DestroyWindow(FHandle);
    if (Application == this) Application = nullptr;
}

void TApplication::Initialize() {
    if (FHandle) return;
    HINSTANCE inst = GetModuleHandleA(nullptr);
    WNDCLASSA wc{};
    if (!GetClassInfoA(inst, "TApplication", &wc)) {
        wc = WNDCLASSA{};
        wc.lpfnWndProc = &AppWndProc;
        wc.hInstance = inst;
        wc.hIcon = LoadIconA(inst, "MAINICON");
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.lpszClassName = "TApplication";
        RegisterClassA(&wc);
    }
    // The task-bar window: zero-sized at the screen's centre, never visible until shown.
    FHandle = CreateWindowExA(0, "TApplication", FTitle.c_str(),
                              WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                              GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0,
                              nullptr, nullptr, inst, nullptr);
}

void TApplication::SetTitle(const std::string& title) {
    FTitle = title;
    if (FHandle) SetWindowTextA(FHandle, title.c_str());
}

void TApplication::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == FMainForm) FMainForm = nullptr;
}

void TApplication::DestroyForms() {
    while (ComponentCount() > 0) delete Components(ComponentCount() - 1);
}

bool TApplication::IsDialogChar(MSG& msg) {
    if (msg.message != WM_SYSCHAR) return false;
    HWND top = GetAncestor(msg.hwnd, GA_ROOT);
    auto* form = dynamic_cast<TCustomForm*>(TWinControl::FromHandle(top));
    return form && form->DialogChar(static_cast<char>(msg.wParam));
}

bool TApplication::IsKeyMsg(MSG& msg) {
    if (msg.message != WM_KEYDOWN) return false;
    UINT wanted = 0;
    switch (msg.wParam) {
    case VK_TAB: wanted = DLGC_WANTTAB; break;
    case VK_RETURN:
    case VK_ESCAPE: wanted = DLGC_WANTALLKEYS; break;
    default: return false;
    }
    TWinControl* control = TWinControl::FromHandle(msg.hwnd);
    if (!control) return false;
    // Asked without the message, so that system edit boxes do not switch to
    // their dialog-box behaviour.
    const auto code = static_cast<UINT>(SendMessageA(msg.hwnd, WM_GETDLGCODE, msg.wParam, 0));
    if (code & (wanted | DLGC_WANTMESSAGE)) return false;
    TCustomForm* form = GetParentForm(control);
    if (!form) return false;
    TShiftState shift = 0;
    if (GetKeyState(VK_SHIFT) < 0) shift |= ssShift;
    if (GetKeyState(VK_CONTROL) < 0) shift |= ssCtrl;
    if (GetKeyState(VK_MENU) < 0) shift |= ssAlt;
    return form->DialogKey(static_cast<WORD>(msg.wParam), shift);
}

bool TApplication::ProcessMessage() {
    MSG msg;
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    if (msg.message == WM_QUIT) {
        FTerminated = true;
        return true;
    }
    try {
        if (!IsDialogChar(msg) && !IsKeyMsg(msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    } catch (const std::exception& e) {
        HandleException(e);
    }
    return true;
}

void TApplication::ProcessMessages() {
    while (ProcessMessage()) {
    }
}

void TApplication::Run() {
    if (FShowMainForm && FMainForm) FMainForm->Show();
    while (!FTerminated) {
        if (!ProcessMessage()) WaitMessage();
    }
    if (OnTerminate) OnTerminate();
}

void TApplication::Terminate() {
    if (FTerminated || FQuitPosted) return;
    FQuitPosted = true;
    PostQuitMessage(0);
}

void TApplication::Minimize() {
    if (FHandle && !IsIconic(FHandle)) {
        ShowWindow(FHandle, SW_MINIMIZE);
        if (OnMinimize) OnMinimize(this);
    }
}

void TApplication::Restore() {
    if (FHandle && IsIconic(FHandle)) {
        ShowWindow(FHandle, SW_RESTORE);
        if (OnRestore) OnRestore(this);
    }
}

void TApplication::HandleException(const std::exception& e) {
    std::string text = e.what();
    text += '.';
    platform::ShowMessageBox(FHandle, text.c_str(), FTitle.c_str(), MB_OK | MB_ICONERROR);
}

LRESULT TApplication::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SYSCOMMAND:
        switch (wParam & 0xFFF0) {
        case SC_MINIMIZE: Minimize(); return 0;
        case SC_RESTORE: Restore(); return 0;
        default: break;
        }
        break;
    case WM_CLOSE:
        if (FMainForm) FMainForm->Close();
        return 0;
    default:
        break;
    }
    return DefWindowProcA(FHandle, msg, wParam, lParam);
}

} // namespace vcl
