// Controls: the common base, windowless graphic controls painted by their
// parent, and windowed controls bound to an HWND.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/Classes.h"
#include "framework/Graphics.h"

namespace vcl {

class TWinControl;
class TPopupMenu;

enum TMouseButton { mbLeft, mbRight, mbMiddle };

enum TShiftFlag : unsigned {
    ssShift = 1,
    ssAlt = 2,
    ssCtrl = 4,
    ssLeft = 8,
    ssRight = 16,
    ssMiddle = 32,
    ssDouble = 64,
};
using TShiftState = unsigned;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };

// Control style flags.
enum : unsigned {
    csAcceptsControls = 1u << 0,
    csCaptureMouse = 1u << 1,
    csClickEvents = 1u << 2,
    csSetCaption = 1u << 3,
    csOpaque = 1u << 4,
    csDoubleClicks = 1u << 5,
    csReplicatable = 1u << 6,
};

using TMouseEvent =
    std::function<void(TObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TObject* sender, TShiftState shift, int x, int y)>;

// Shift state from the key and button flags of a mouse message.
TShiftState ShiftStateFromMouse(WPARAM keys);

class TControl : public TComponent {
public:
    explicit TControl(TComponent* owner);
    ~TControl() override;

    TWinControl* Parent() const { return FParent; }
    virtual void SetParent(TWinControl* parent);

    int Left() const { return FLeft; }
    int Top() const { return FTop; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    void SetLeft(int v) { SetBounds(v, FTop, FWidth, FHeight); }
    void SetTop(int v) { SetBounds(FLeft, v, FWidth, FHeight); }
    void SetWidth(int v) { SetBounds(FLeft, FTop, v, FHeight); }
    void SetHeight(int v) { SetBounds(FLeft, FTop, FWidth, v); }
    // Does nothing when the bounds are unchanged.
    virtual void SetBounds(int left, int top, int width, int height);
    RECT BoundsRect() const { return RECT{FLeft, FTop, FLeft + FWidth, FTop + FHeight}; }
    RECT ClientRect() const { return RECT{0, 0, ClientWidth(), ClientHeight()}; }
    virtual int ClientWidth() const { return FWidth; }
    virtual int ClientHeight() const { return FHeight; }

    bool Visible() const { return FVisible; }
    virtual void SetVisible(bool visible);
    bool Enabled() const { return FEnabled; }
    virtual void SetEnabled(bool enabled);

    const std::string& Caption() const { return FText; }
    void SetCaption(const std::string& text);

    // The control's own font. Changing it makes ParentFont false.
    TFont& Font() { return FFont; }
    const TFont& Font() const { return FFont; }
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool value);

    TColor Color() const { return FColor; }
    void SetColor(TColor color);
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool value);

    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool v) { FShowHint = v; FParentShowHint = false; }
    bool ParentShowHint() const { return FParentShowHint; }
    void SetParentShowHint(bool v) { FParentShowHint = v; }
    const std::string& Hint() const { return FHint; }
    void SetHint(const std::string& hint) { FHint = hint; }

    TAlign Align() const { return FAlign; }
    void SetAlign(TAlign align) { FAlign = align; }

    TPopupMenu* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(TPopupMenu* menu);

    unsigned ControlStyle() const { return FControlStyle; }
    void SetControlStyle(unsigned style) { FControlStyle = style; }

    // Asks the parent to repaint this control's rectangle.
    virtual void Invalidate();
    // Repaints at once.
    virtual void Repaint();

    // Mouse input, in the control's own coordinates.
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    // The mouse capture went elsewhere while a button was held on this control.
    virtual void MouseCaptureLost() {}
    virtual void Click();
    virtual void DblClick();

    // An accelerator key offered to the controls of a form; true when handled.
    virtual bool DialogChar(char ch);

    // The parent's font or colour changed (taken over while ParentFont/ParentColor hold).
    virtual void ParentFontChanged();
    virtual void ParentColorChanged();

    // Screen point of a client point.
    POINT ClientToScreen(POINT pt) const;

    // Multiplies the stored position, size and own font height by m/d (a form
    // designed at 96 pixels per inch read at another resolution).
    virtual void ChangeScale(int m, int d);

    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;

protected:
    void Notification(TComponent* component, TOperation operation) override;

    // Framework notifications.
    virtual void TextChanged();
    virtual void FontChanged();
    virtual void EnabledChanged();
    virtual void ColorChanged();
    virtual void VisibleChanged();
    // Sets the font without clearing ParentFont (a parent's font taken over).
    void TakeParentFont(const TFont& font);

    TWinControl* FParent = nullptr;
    int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
    bool FVisible = true;
    bool FEnabled = true;
    std::string FText;
    TFont FFont;
    TColor FColor = clWindow;
    bool FParentFont = true;
    bool FParentColor = true;
    bool FShowHint = false;
    bool FParentShowHint = true;
    std::string FHint;
    TAlign FAlign = alNone;
    TPopupMenu* FPopupMenu = nullptr;
    unsigned FControlStyle = csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;
    bool FMouseInsideDown = false;

private:
    friend class TWinControl;
    bool FTakingParentFont = false;
};

// A windowless control: its parent paints it, clipped to its bounds, with the
// device context's origin at its top-left corner.
class TGraphicControl : public TControl {
public:
    explicit TGraphicControl(TComponent* owner);

    TCanvas& Canvas() { return FCanvas; }
    // Paints with the canvas bound to the parent's context.
    virtual void Paint() {}
    void Invalidate() override;
    void Repaint() override;

protected:
    TCanvas FCanvas;
};

struct TCreateParams {
    std::string ClassName;       // window class to register for this control
    std::string BaseClassName;   // a system class to superclass, or empty
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0, Y = 0, Width = 0, Height = 0;
    HWND WndParent = nullptr;
    UINT ClassStyle = CS_DBLCLKS;
};

class TWinControl : public TControl {
public:
    TWinControl(TComponent* owner, const std::string& className);
    ~TWinControl() override;

    HWND Handle();
    bool HandleAllocated() const { return FHandle != nullptr; }
    void HandleNeeded() { Handle(); }
    const std::string& WindowClassName() const { return FClassName; }

    void SetBounds(int left, int top, int width, int height) override;
    void SetVisible(bool visible) override;
    void SetEnabled(bool enabled) override;
    int ClientWidth() const override;
    int ClientHeight() const override;

    int ControlCount() const { return static_cast<int>(FControls.size()); }
    TControl* Controls(int i) const { return FControls.at(i); }
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);
    // The topmost visible and enabled graphic child at a client point, or nullptr.
    TControl* ControlAtPos(POINT pt) const;

    // Paints the graphic children that meet the clip box of `dc`.
    void PaintControls(HDC dc);

    bool CanFocus() const;
    bool Focused() const;
    virtual void SetFocus();
    int TabOrder() const { return FTabOrder; }
    void SetTabOrder(int order) { FTabOrder = order; }
    bool TabStop() const { return FTabStop; }
    void SetTabStop(bool v) { FTabStop = v; }

    bool DialogChar(char ch) override;
    // A navigation key (Tab, Enter, Escape) that the focused control did not
    // want, offered to the controls of its form; true when one of them acted.
    virtual bool DialogKey(WORD key, TShiftState shift);
    void ParentFontChanged() override;
    void ParentColorChanged() override;
    // Scales itself, then every child.
    void ChangeScale(int m, int d) override;

    // The object bound to a window created by this framework, or nullptr.
    static TWinControl* FromHandle(HWND wnd);

    // Dispatches one message; the window procedure calls this.
    virtual LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultHandler(UINT msg, WPARAM wParam, LPARAM lParam);

protected:
    virtual void CreateParams(TCreateParams& params);
    virtual void CreateHandle();
    virtual void DestroyHandle();
    // Runs once the window exists (set fonts, fill lists, ...).
    virtual void HandleCreated() {}
    // A WM_COMMAND or WM_NOTIFY that the parent handed back to this control.
    virtual LRESULT CommandNotify(WORD code) { (void)code; return 0; }
    virtual LRESULT NotifyNotify(NMHDR* header) { (void)header; return 0; }
    // Fills the background; by default with Color.
    virtual void EraseBackground(HDC dc);
    // Paints the window's own face under its graphic children.
    virtual void PaintWindow(HDC dc) { (void)dc; }

    void FontChanged() override;
    void ColorChanged() override;
    void TextChanged() override;
    void EnabledChanged() override;

    HWND FHandle = nullptr;
    std::string FClassName;
    std::vector<TControl*> FControls;
    WNDPROC FDefWndProc = nullptr;
    TControl* FMouseControl = nullptr;
    int FTabOrder = 0;
    bool FTabStop = false;

private:
    friend LRESULT CALLBACK StdWndProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT MouseMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void ApplyFontToWindow();
};

LRESULT CALLBACK StdWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

} // namespace vcl
