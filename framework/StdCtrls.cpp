#include "framework/StdCtrls.h"

#include <algorithm>

namespace vcl {

bool SameText(const std::string& a, const std::string& b) {
    // Two empty strings are equal; an empty one equals nothing else.
    if (a.empty() || b.empty()) return a.empty() && b.empty();
    // Compared in UTF-16: CompareStringA would read the bytes in the code page
    // of the user's locale, which need not be 932.
    const std::wstring wa = WideFrom932(a), wb = WideFrom932(b);
    return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, wa.data(), static_cast<int>(wa.size()), wb.data(),
                          static_cast<int>(wb.size())) == CSTR_EQUAL;
}

// ------------------------------------------------------------------- hints

namespace {

// Shows the hint of the control under the mouse after a short rest, below the
// pointer, and hides it when the mouse leaves the control, a button or key is
// pressed on it, or a few seconds have passed. Leaving is found by looking
// where the pointer is, which does not depend on the control passing on the
// system's leave tracking.
class HintManager {
public:
    static HintManager& Get() {
        static HintManager manager;
        return manager;
    }

    void MouseMove(TWinControl* control) {
        if (!control->ShowHint() || control->Hint().empty()) return;
        if (control == FControl) return;
        Cancel();
        FControl = control;
        FShowTimer = SetTimer(nullptr, 0, kShowPause, &ShowTimerProc);
        FLeaveTimer = SetTimer(nullptr, 0, kLeaveCheck, &LeaveTimerProc);
    }

    // `control` goes away.
    void Leave(TWinControl* control) {
        if (control == FControl) Cancel();
    }

    // Hides the hint; it comes again only after the mouse has left the control.
    void Hide() {
        StopTimers();
        if (FWindow) ShowWindow(FWindow, SW_HIDE);
    }

private:
    static constexpr UINT kShowPause = 500;
    static constexpr UINT kHidePause = 2500;
    static constexpr UINT kLeaveCheck = 100;

    void Cancel() {
        Hide();
        if (FLeaveTimer) KillTimer(nullptr, FLeaveTimer);
        FLeaveTimer = 0;
        FControl = nullptr;
    }

    bool PointerOnControl() const {
        if (!FControl || !FControl->HandleAllocated()) return false;
        POINT cursor;
        GetCursorPos(&cursor);
        HWND under = WindowFromPoint(cursor);
        return under == FControl->Handle() || IsChild(FControl->Handle(), under);
    }

    void StopTimers() {
        if (FShowTimer) KillTimer(nullptr, FShowTimer);
        if (FHideTimer) KillTimer(nullptr, FHideTimer);
        FShowTimer = FHideTimer = 0;
    }

    static void CALLBACK ShowTimerProc(HWND, UINT, UINT_PTR, DWORD) { Get().ShowNow(); }
    static void CALLBACK HideTimerProc(HWND, UINT, UINT_PTR, DWORD) { Get().Hide(); }
    static void CALLBACK LeaveTimerProc(HWND, UINT, UINT_PTR, DWORD) {
        if (!Get().PointerOnControl()) Get().Cancel();
    }

    void ShowNow() {
        StopTimers();
        if (!PointerOnControl()) return;
        POINT cursor;
        GetCursorPos(&cursor);
        CreateHintWindow();
        std::string text = FControl->Hint();
        // A lone carriage return breaks the line, as a line feed does.
        for (size_t i = 0; i < text.size(); ++i)
            if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) text.insert(i + 1, 1, '\n');
        SetWindowTextA(FWindow, text.c_str());
        HDC dc = GetDC(FWindow);
        HGDIOBJ old = SelectObject(dc, FFont.Handle());
        RECT r{0, 0, GetSystemMetrics(SM_CXSCREEN), 0};
        DrawText932(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
        SelectObject(dc, old);
        ReleaseDC(FWindow, dc);
        const int w = r.right + 8, h = r.bottom + 4;
        int x = cursor.x, y = cursor.y + 20;
        x = std::max(0, std::min(x, GetSystemMetrics(SM_CXSCREEN) - w));
        if (y + h > GetSystemMetrics(SM_CYSCREEN)) y = cursor.y - h - 4;
        SetWindowPos(FWindow, HWND_TOPMOST, x, y, w, h, SWP_SHOWWINDOW | SWP_NOACTIVATE);
        InvalidateRect(FWindow, nullptr, TRUE);
        FHideTimer = SetTimer(nullptr, 0, kHidePause, &HideTimerProc);
    }

    static LRESULT CALLBACK HintWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_PAINT) {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(wnd, &ps);
            RECT r;
            GetClientRect(wnd, &r);
            FillRect(dc, &r, GetSysColorBrush(COLOR_INFOBK));
            char text[1024] = "";
            int length = GetWindowTextA(wnd, text, sizeof text);
            HGDIOBJ old = SelectObject(dc, Get().FFont.Handle());
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
            InflateRect(&r, -3, -1);
            DrawText932(dc, text, length, &r, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
            SelectObject(dc, old);
            EndPaint(wnd, &ps);
            return 0;
        }
        if (msg == WM_NCHITTEST) return HTTRANSPARENT;
        return DefWindowProcA(wnd, msg, wParam, lParam);
    }

    void CreateHintWindow() {
        if (FWindow && IsWindow(FWindow)) return;
        HINSTANCE inst = GetModuleHandleA(nullptr);
        WNDCLASSA wc{};
        if (!GetClassInfoA(inst, "THintWindow", &wc)) {
            wc = WNDCLASSA{};
            wc.style = CS_SAVEBITS;
            wc.lpfnWndProc = &HintWndProc;
            wc.hInstance = inst;
            wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
            wc.lpszClassName = "THintWindow";
            RegisterClassA(&wc);
        }
        // Owned by the application's window, like the forms, so that it never
        // counts as a window of its own.
        FWindow = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, "THintWindow", "",
                                  WS_POPUP | WS_BORDER, 0, 0, 0, 0, Application ? Application->Handle() : nullptr,
                                  nullptr, inst, nullptr);
        FFont.SetCharset(SHIFTJIS_CHARSET);
    }

    TWinControl* FControl = nullptr;
    UINT_PTR FShowTimer = 0;
    UINT_PTR FHideTimer = 0;
    UINT_PTR FLeaveTimer = 0;
    HWND FWindow = nullptr;
    TFont FFont;
};

} // namespace

void HintMouseMove(TWinControl* control) { HintManager::Get().MouseMove(control); }
void HintHide() { HintManager::Get().Hide(); }
void HintLeave(TWinControl* control) { HintManager::Get().Leave(control); }

// ------------------------------------------------------------- TStdControl

TStdControl::TStdControl(TComponent* owner, const std::string& className, const std::string& baseClassName)
    : TWinControl(owner, className), FBaseClassName(baseClassName) {
    // The system control reports its own clicks (WM_COMMAND); a click from the
    // raw mouse messages would come twice.
    FControlStyle &= ~csClickEvents;
    FTabStop = true;
}

TStdControl::~TStdControl() { HintManager::Get().Leave(this); }

void TStdControl::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.BaseClassName = FBaseClassName;
}

LRESULT TStdControl::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_MOUSEMOVE: HintManager::Get().MouseMove(this); break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_KEYDOWN: HintManager::Get().Hide(); break;
    default: break;
    }
    LRESULT result = TWinControl::WndProc(msg, wParam, lParam);
    if (msg == WM_SETFOCUS) ApplyImeMode(FHandle, FImeMode);
    return result;
}

// ----------------------------------------------------------------- TButton

TButton::TButton(TComponent* owner) : TStdControl(owner, "TButton", "BUTTON") {
    FWidth = 75;
    FHeight = 25;
}

void TButton::CreateParams(TCreateParams& params) {
    TStdControl::CreateParams(params);
    params.Style |= FDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::SetDefault(bool value) {
    if (value == FDefault) return;
    FDefault = value;
    if (HandleAllocated()) SendMessageA(FHandle, BM_SETSTYLE, value ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::Click() {
    if (FModalResult != mrNone)
        if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(FModalResult);
    TStdControl::Click();
}

LRESULT TButton::CommandNotify(WORD code) {
    if (code == BN_CLICKED) Click();
    return 0;
}

bool TButton::DialogKey(WORD key, TShiftState shift) {
    if (shift != 0 || !CanFocus()) return false;
    if (key == VK_RETURN) {
        TWinControl* focused = FromHandle(GetFocus());
        const bool active = focused == this || (FDefault && !dynamic_cast<TButton*>(focused));
        if (!active) return false;
    } else if (key != VK_ESCAPE || !FCancel) {
        return false;
    }
    Click();
    return true;
}

// --------------------------------------------------------------- TCheckBox

TCheckBox::TCheckBox(TComponent* owner) : TStdControl(owner, "TCheckBox", "BUTTON") {
    FWidth = 97;
    FHeight = 17;
}

void TCheckBox::CreateParams(TCreateParams& params) {
    TStdControl::CreateParams(params);
    params.Style |= BS_AUTOCHECKBOX;
}

void TCheckBox::HandleCreated() {
    TStdControl::HandleCreated();
    SendMessageA(FHandle, BM_SETCHECK, FChecked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TCheckBox::DestroyHandle() {
    FChecked = Checked();
    TStdControl::DestroyHandle();
}

bool TCheckBox::Checked() const {
    if (!FHandle) return FChecked;
    return SendMessageA(FHandle, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TCheckBox::SetChecked(bool checked) {
    FChecked = checked;
    if (FHandle) SendMessageA(FHandle, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

LRESULT TCheckBox::CommandNotify(WORD code) {
    if (code == BN_CLICKED) {
        FChecked = Checked();
        Click();
    }
    return 0;
}

// --------------------------------------------------------- TListBoxStrings

void TListBoxStrings::Add(const std::string& s) {
    FItems.push_back(s);
    if (FOwner.HandleAllocated())
        SendMessageA(FOwner.Handle(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
}

void TListBoxStrings::Insert(int index, const std::string& s) {
    if (index < 0 || index > Count()) throw EInvalidOperation("List index out of bounds");
    FItems.insert(FItems.begin() + index, s);
    if (FOwner.HandleAllocated()) {
        SendMessageA(FOwner.Handle(), LB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(s.c_str()));
    } else if (FOwner.FItemIndex >= index) {
        ++FOwner.FItemIndex;
    }
}

void TListBoxStrings::Delete(int index) {
    if (index < 0 || index >= Count()) throw EInvalidOperation("List index out of bounds");
    const int selected = FOwner.ItemIndex();
    FItems.erase(FItems.begin() + index);
    if (FOwner.HandleAllocated()) SendMessageA(FOwner.Handle(), LB_DELETESTRING, static_cast<WPARAM>(index), 0);
    if (selected == index) FOwner.SetItemIndex(-1);
    else if (selected > index && !FOwner.HandleAllocated()) FOwner.FItemIndex = selected - 1;
}

void TListBoxStrings::Clear() {
    FItems.clear();
    FOwner.FItemIndex = -1;
    if (FOwner.HandleAllocated()) SendMessageA(FOwner.Handle(), LB_RESETCONTENT, 0, 0);
}

void TListBoxStrings::Assign(const TStringList& list) {
    Clear();
    for (const std::string& s : list.Items()) Add(s);
}

TStringList TListBoxStrings::ToStringList() const {
    TStringList list;
    for (const std::string& s : FItems) list.Add(s);
    return list;
}

int TListBoxStrings::IndexOf(const std::string& s) const {
    for (int i = 0; i < Count(); ++i)
        if (SameText(FItems[i], s)) return i;
    return -1;
}

// ---------------------------------------------------------------- TListBox

TListBox::TListBox(TComponent* owner) : TStdControl(owner, "TListBox", "LISTBOX") {
    FWidth = 121;
    FHeight = 97;
    FColor = clWindow;
    FParentColor = false;
}

void TListBox::CreateParams(TCreateParams& params) {
    TStdControl::CreateParams(params);
    // The height is rounded here rather than by the system, which would round
    // it with the font's item height before ours is set.
    params.Style |= LBS_NOTIFY | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | WS_VSCROLL;
    params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TListBox::HandleCreated() {
    TStdControl::HandleCreated();
    for (const std::string& s : FItems.FItems)
        SendMessageA(FHandle, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
    ApplyItemHeight();
    if (FItemIndex >= 0) SendMessageA(FHandle, LB_SETCURSEL, static_cast<WPARAM>(FItemIndex), 0);
}

void TListBox::DestroyHandle() {
    if (FHandle) FItemIndex = ItemIndex();
    TStdControl::DestroyHandle();
}

void TListBox::FontChanged() {
    // A new font makes the system measure the items again.
    TStdControl::FontChanged();
    ApplyItemHeight();
}

void TListBox::ApplyItemHeight() {
    if (!FHandle) return;
    SendMessageA(FHandle, LB_SETITEMHEIGHT, 0, MAKELPARAM(FItemHeight, 0));
    if (FIntegralHeight) TStdControl::SetBounds(FLeft, FTop, FWidth, RoundedHeight(FHeight));
    InvalidateRect(FHandle, nullptr, TRUE);
}

int TListBox::RoundedHeight(int height) const {
    if (!FHandle || !FIntegralHeight || FItemHeight <= 0) return height;
    RECT w, c;
    GetWindowRect(FHandle, &w);
    GetClientRect(FHandle, &c);
    const int frame = (w.bottom - w.top) - c.bottom;
    const int items = (height - frame) / FItemHeight;
    if (items < 1) return height;
    return items * FItemHeight + frame;
}

void TListBox::SetBounds(int left, int top, int width, int height) {
    TStdControl::SetBounds(left, top, width, RoundedHeight(height));
}

void TListBox::ChangeScale(int m, int d) {
    SetItemHeight(MulDiv(FItemHeight, m, d));
    TStdControl::ChangeScale(m, d);
}

void TListBox::SetItemHeight(int height) {
    if (height <= 0 || height == FItemHeight) return;
    FItemHeight = height;
    ApplyItemHeight();
}

void TListBox::SetIntegralHeight(bool value) {
    if (value == FIntegralHeight) return;
    FIntegralHeight = value;
    ApplyItemHeight();
}

int TListBox::ItemIndex() const {
    if (!FHandle) return FItemIndex;
    const LRESULT index = SendMessageA(FHandle, LB_GETCURSEL, 0, 0);
    return index == LB_ERR ? -1 : static_cast<int>(index);
}

void TListBox::SetItemIndex(int index) {
    if (index < -1 || index >= FItems.Count()) index = -1;
    FItemIndex = index;
    if (FHandle) SendMessageA(FHandle, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

LRESULT TListBox::CommandNotify(WORD code) {
    if (code == LBN_SELCHANGE) Click();
    else if (code == LBN_DBLCLK) DblClick();
    return 0;
}

// ------------------------------------------------------------------- TEdit

TEdit::TEdit(TComponent* owner) : TStdControl(owner, "TEdit", "EDIT") {
    FWidth = 121;
    FHeight = 21;
    FColor = clWindow;
    FParentColor = false;
}

void TEdit::CreateParams(TCreateParams& params) {
    TStdControl::CreateParams(params);
    params.Style |= ES_LEFT | ES_AUTOHSCROLL;
    params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TEdit::HandleCreated() {
    TStdControl::HandleCreated();
    SendMessageA(FHandle, EM_LIMITTEXT, static_cast<WPARAM>(FMaxLength), 0);
    if (FSelectAllOnCreate) SelectAll();
    FSelectAllOnCreate = false;
}

std::string TEdit::Text() const {
    if (!FHandle) return FText;
    const int length = GetWindowTextLengthA(FHandle);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const int read = GetWindowTextA(FHandle, &text[0], length + 1);
    text.resize(static_cast<size_t>(std::max(read, 0)));
    return text;
}

void TEdit::SetMaxLength(int length) {
    if (length < 0) length = 0;
    FMaxLength = length;
    if (FHandle) SendMessageA(FHandle, EM_LIMITTEXT, static_cast<WPARAM>(length), 0);
}

void TEdit::SelectAll() {
    // Before the window exists the selection is made when it is created.
    if (!FHandle) FSelectAllOnCreate = true;
    else SendMessageA(FHandle, EM_SETSEL, 0, -1);
}

int TEdit::SelStart() const {
    DWORD start = 0, end = 0;
    if (FHandle) SendMessageA(FHandle, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(start);
}

int TEdit::SelLength() const {
    DWORD start = 0, end = 0;
    if (FHandle) SendMessageA(FHandle, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(end - start);
}

LRESULT TEdit::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = TStdControl::WndProc(msg, wParam, lParam);
    // Entered from the keyboard or by the program, not by a click into the text.
    if (msg == WM_SETFOCUS && FAutoSelect && GetKeyState(VK_LBUTTON) >= 0) SelectAll();
    return result;
}

LRESULT TEdit::CommandNotify(WORD code) {
    if (code == EN_CHANGE) FText = Text();
    return 0;
}

// ------------------------------------------------------------------ TLabel

TLabel::TLabel(TComponent* owner) : TGraphicControl(owner) {
    FWidth = 65;
    FHeight = 17;
}

void TLabel::SetAutoSize(bool value) {
    if (value == FAutoSize) return;
    FAutoSize = value;
    AdjustBounds();
}

void TLabel::TextChanged() {
    Invalidate();
    AdjustBounds();
}

void TLabel::FontChanged() {
    Invalidate();
    AdjustBounds();
}

void TLabel::AdjustBounds() {
    if (!FAutoSize) return;
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, FFont.Handle());
    RECT r{0, 0, 0, 0};
    const std::string text = FText.empty() ? std::string(" ") : FText;
    DrawText932(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_EXPANDTABS | DT_LEFT);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    SetBounds(FLeft, FTop, r.right, r.bottom);
}

void TLabel::Paint() {
    HDC dc = FCanvas.Handle();
    if (!dc) return;
    RECT r = ClientRect();
    FCanvas.Brush.Color = FColor;
    FCanvas.Brush.Style = bsSolid;
    FCanvas.FillRect(r);
    HGDIOBJ old = SelectObject(dc, FFont.Handle());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(FEnabled ? FFont.Color() : clGrayText));
    DrawText932(dc, FText.c_str(), static_cast<int>(FText.size()), &r, DT_EXPANDTABS | DT_LEFT);
    SelectObject(dc, old);
}

// ------------------------------------------------------------------ TBevel

TBevel::TBevel(TComponent* owner) : TGraphicControl(owner) {
    FWidth = 50;
    FHeight = 50;
    FControlStyle &= ~(csClickEvents | csCaptureMouse);
}

void TBevel::SetShape(TBevelShape shape) {
    if (shape == FShape) return;
    FShape = shape;
    Invalidate();
}

void TBevel::SetStyle(TBevelStyle style) {
    if (style == FStyle) return;
    FStyle = style;
    Invalidate();
}

void TBevel::Paint() {
    HDC dc = FCanvas.Handle();
    if (!dc || FWidth <= 0 || FHeight <= 0) return;
    const COLORREF shadow = ColorToRGB(clBtnShadow), highlight = ColorToRGB(clBtnHighlight);
    const COLORREF first = FStyle == bsLowered ? shadow : highlight;
    const COLORREF second = FStyle == bsLowered ? highlight : shadow;
    const int right = FWidth - 1, bottom = FHeight - 1;
    // Left edge up, then top edge right; then right edge down, then bottom edge
    // left. Each line leaves out its last point.
    HPEN pen1 = CreatePen(PS_SOLID, 1, first), pen2 = CreatePen(PS_SOLID, 1, second);
    HGDIOBJ old = SelectObject(dc, pen1);
    const POINT a[3] = {{0, bottom}, {0, 0}, {right, 0}};
    Polyline(dc, a, 3);
    SelectObject(dc, pen2);
    const POINT b[3] = {{right, 0}, {right, bottom}, {0, bottom}};
    Polyline(dc, b, 3);
    SelectObject(dc, old);
    DeleteObject(pen1);
    DeleteObject(pen2);
}

} // namespace vcl
