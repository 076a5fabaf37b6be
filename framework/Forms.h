// Forms built from layout descriptions, and the application object.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "framework/Controls.h"

namespace vcl {

class TMainMenu;

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TBorderIcon : unsigned { biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8 };
enum TFormStyle { fsNormal, fsStayOnTop };
enum TPosition { poDesigned, poScreenCenter };
enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TImeMode { imDontCare, imClose, imOpen };

using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = IDOK;         // 1
constexpr TModalResult mrCancel = IDCANCEL; // 2

using TCloseEvent = std::function<void(TObject* sender, TCloseAction& action)>;

// Switches the input method of `wnd` off (imClose) or on (imOpen); any other
// mode leaves it as it is.
void ApplyImeMode(HWND wnd, TImeMode mode);

class TCustomForm : public TWinControl {
public:
    TCustomForm(TComponent* owner, const std::string& className);
    ~TCustomForm() override;

    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle style);
    unsigned BorderIcons() const { return FBorderIcons; }
    void SetBorderIcons(unsigned icons) { FBorderIcons = icons; }
    TFormStyle FormStyle() const { return FFormStyle; }
    void SetFormStyle(TFormStyle style);
    TPosition Position() const { return FPosition; }
    void SetPosition(TPosition p) { FPosition = p; }
    TImeMode ImeMode() const { return FImeMode; }
    void SetImeMode(TImeMode mode) { FImeMode = mode; }
    // Extra extended window styles (for example a window that never activates).
    void SetExtraExStyle(DWORD exStyle) { FExtraExStyle = exStyle; }
    // A scaled form (the default) was designed at 96 pixels per inch: reading
    // its layout at another screen resolution multiplies every stored
    // position, size and font height by the resolution / 96.
    bool Scaled() const { return FScaled; }
    void SetScaled(bool scaled) { FScaled = scaled; }
    // The client size, the fonts and every control by m/d; the form's place on
    // the screen stays.
    void ChangeScale(int m, int d) override;

    void SetClientWidth(int w);
    void SetClientHeight(int h);
    void SetClientSize(int w, int h);
    int ClientWidth() const override;
    int ClientHeight() const override;

    // The form's own icon, from a resource of the program's module.
    void SetIconResource(const char* name);

    void SetVisible(bool visible) override;
    void Show() { SetVisible(true); ::SetForegroundWindow(Handle()); }
    void Hide() { SetVisible(false); }
    // Runs OnClose; a main form's close ends the program.
    void Close();
    // Shows the form modally; returns its modal result.
    TModalResult ShowModal();
    TModalResult ModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult r) { FModalResult = r; }
    bool IsModal() const { return FModal; }

    TWinControl* ActiveControl() const { return FActiveControl; }
    void FocusControl(TWinControl* control);
    // Focus rules: the first activation focuses the first control in tab order
    // that can take the focus; later activations give the focus back to the
    // control that last had it.
    void SelectFirst();
    // Moves the focus to the next (or previous) tab stop after `current`.
    void SelectNext(TWinControl* current, bool forward);
    // The next (or previous) control after `current` in tab order that is a tab
    // stop and can take the focus; nullptr when there is none.
    TWinControl* FindNextControl(TWinControl* current, bool forward);
    // A control of this form received the focus.
    void ControlFocused(TWinControl* control);
    // Tab and Shift+Tab move the focus; other keys go to the controls.
    bool DialogKey(WORD key, TShiftState shift) override;

    // The menu bar, or nullptr. The form keeps its client size when it changes.
    TMainMenu* MainMenu() const { return FMainMenu; }
    void SetMainMenu(TMainMenu* menu);

    // Runs the creation handler; the application calls it once the layout is read.
    void DoCreate();
    // Runs the destruction handler, once, while the form is still whole. A form
    // class whose handler uses its own members calls it from its destructor.
    void BeforeDestruction();

    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnActivate;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TCloseEvent OnClose;

protected:
    // Reads the form's layout: `layout` creates the components and applies the
    // stored values in declaration order while everything is loading; then every
    // component's loaded step runs, the form's first.
    void ReadLayout(const std::function<void()>& layout);
    void CreateParams(TCreateParams& params) override;
    void HandleCreated() override;
    void Notification(TComponent* component, TOperation operation) override;
    virtual void Activate();

private:
    void UpdateFormWindow();
    // Grows or shrinks the window until its client area has the stored client
    // size (a menu bar may wrap onto more than one line).
    void FitClientSize();

    TFormBorderStyle FBorderStyle = bsSizeable;
    unsigned FBorderIcons = biSystemMenu | biMinimize | biMaximize;
    TFormStyle FFormStyle = fsNormal;
    TPosition FPosition = poDesigned;
    TImeMode FImeMode = imDontCare;
    DWORD FExtraExStyle = 0;
    bool FScaled = true;
    int FClientWidth = -1, FClientHeight = -1;
    HICON FIcon = nullptr;
    TModalResult FModalResult = mrNone;
    bool FModal = false;
    bool FDestroyCalled = false;
    bool FShownOnce = false;
    TWinControl* FActiveControl = nullptr;
    TMainMenu* FMainMenu = nullptr;
};

using TForm = TCustomForm;

// The form that a control lies on, or nullptr.
TCustomForm* GetParentForm(TControl* control);

// The layouts' design resolution, and the screen's (LOGPIXELSY).
constexpr int DesignPixelsPerInch = 96;
int ScreenPixelsPerInch();

class TApplication : public TComponent {
public:
    TApplication();
    ~TApplication() override;

    // Creates the hidden top-level window that owns every form.
    void Initialize();
    HWND Handle() const { return FHandle; }

    const std::string& Title() const { return FTitle; }
    void SetTitle(const std::string& title);
    const std::string& HelpFile() const { return FHelpFile; }
    void SetHelpFile(const std::string& file) { FHelpFile = file; }
    bool ShowMainForm() const { return FShowMainForm; }
    void SetShowMainForm(bool v) { FShowMainForm = v; }

    TCustomForm* MainForm() const { return FMainForm; }

    // Creates a form owned by the application; the first one becomes the main form.
    template <class T>
    T* CreateForm(T** reference = nullptr) {
        T* form = new T(this);
        if (reference) *reference = form;
        if (!FMainForm) FMainForm = form;
        form->DoCreate();
        return form;
    }

    // Runs the message loop until Terminate.
    void Run();
    void Terminate();
    bool Terminated() const { return FTerminated; }
    // True from the first Terminate on (the loop may still be handling the
    // messages queued before the quit).
    bool Terminating() const { return FTerminated || FQuitPosted; }
    // Handles every message waiting in the queue, then returns.
    void ProcessMessages();
    // Handles one message; false when the queue was empty.
    bool ProcessMessage();

    void Minimize();
    void Restore();

    // Shows an error in a message box captioned with the title; the loop goes on.
    void HandleException(const std::exception& e);

    // Runs when the message loop is left, whatever the reason (before the forms go).
    std::function<void()> OnTerminate;
    TNotifyEvent OnMinimize;
    TNotifyEvent OnRestore;

    // Frees every form the application owns (last created first).
    void DestroyForms();

private:
    friend LRESULT CALLBACK AppWndProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam);
    bool IsDialogChar(MSG& msg);
    // Tab, Enter and Escape that the focused control does not want go to its form.
    bool IsKeyMsg(MSG& msg);
    void Notification(TComponent* component, TOperation operation) override;

    HWND FHandle = nullptr;
    std::string FTitle;
    std::string FHelpFile;
    bool FShowMainForm = true;
    bool FTerminated = false;
    bool FQuitPosted = false;
    TCustomForm* FMainForm = nullptr;
};

extern TApplication* Application;

} // namespace vcl
