// Standard controls: push buttons, check boxes, list boxes and edit boxes on
// the system's own window classes, and the windowless label and bevel.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/Classes.h"
#include "framework/Forms.h"

namespace vcl {

// Whole-string comparison of code page 932 texts that ignores letter case
// under the user's default locale (CompareStringW with NORM_IGNORECASE).
bool SameText(const std::string& a, const std::string& b);

// A windowed control on a system window class. It switches the input method
// as its ImeMode asks when it receives the focus, and shows its own hint while
// the mouse rests on it.
// The hint of a windowed control: shown after the mouse rests on the control
// (its graphic children included), hidden when the mouse leaves it or a button
// or key is pressed on it. The standard controls call these themselves.
void HintMouseMove(TWinControl* control);
void HintHide();
// `control` goes away.
void HintLeave(TWinControl* control);

class TStdControl : public TWinControl {
public:
    TStdControl(TComponent* owner, const std::string& className, const std::string& baseClassName);
    ~TStdControl() override;

    TImeMode ImeMode() const { return FImeMode; }
    void SetImeMode(TImeMode mode) { FImeMode = mode; }

    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

protected:
    void CreateParams(TCreateParams& params) override;

private:
    std::string FBaseClassName;
    TImeMode FImeMode = imDontCare;
};

// A push button. A click first gives its form the button's modal result (when
// it has one), then runs OnClick. Enter clicks the focused button, or the
// default button when no button has the focus; Escape clicks the cancel button.
class TButton : public TStdControl {
public:
    explicit TButton(TComponent* owner);

    TModalResult ModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult result) { FModalResult = result; }
    bool Default() const { return FDefault; }
    void SetDefault(bool value);
    bool Cancel() const { return FCancel; }
    void SetCancel(bool value) { FCancel = value; }

    void Click() override;
    bool DialogKey(WORD key, TShiftState shift) override;

protected:
    void CreateParams(TCreateParams& params) override;
    LRESULT CommandNotify(WORD code) override;

private:
    TModalResult FModalResult = mrNone;
    bool FDefault = false;
    bool FCancel = false;
};

// A two-state check box; a click toggles it and runs OnClick.
class TCheckBox : public TStdControl {
public:
    explicit TCheckBox(TComponent* owner);

    bool Checked() const;
    // Does not run OnClick.
    void SetChecked(bool checked);

protected:
    void CreateParams(TCreateParams& params) override;
    void HandleCreated() override;
    void DestroyHandle() override;
    LRESULT CommandNotify(WORD code) override;

private:
    bool FChecked = false;
};

class TListBox;

// The entries of a list box, kept in order and mirrored into its window.
class TListBoxStrings {
public:
    int Count() const { return static_cast<int>(FItems.size()); }
    const std::string& operator[](int index) const { return FItems.at(index); }
    void Add(const std::string& s);
    void Insert(int index, const std::string& s);
    // Deletes the entry at `index`; when it was the selected one, nothing is selected.
    void Delete(int index);
    void Clear();
    // Replaces every entry by a copy of `list`.
    void Assign(const TStringList& list);
    // A copy of the entries.
    TStringList ToStringList() const;
    // Index of the first entry equal to `s` with letter case ignored (SameText), or -1.
    int IndexOf(const std::string& s) const;
    const std::vector<std::string>& Items() const { return FItems; }

private:
    friend class TListBox;
    explicit TListBoxStrings(TListBox& owner) : FOwner(owner) {}
    TListBox& FOwner;
    std::vector<std::string> FItems;
};

// A single-selection, unsorted list box with a fixed item height. With
// IntegralHeight (the default) its height is rounded down to whole items.
// OnClick runs when the user changes the selection.
class TListBox : public TStdControl {
public:
    explicit TListBox(TComponent* owner);

    TListBoxStrings& Items() { return FItems; }
    const TListBoxStrings& Items() const { return FItems; }
    // The selected entry, or -1.
    int ItemIndex() const;
    void SetItemIndex(int index);
    int ItemHeight() const { return FItemHeight; }
    void SetItemHeight(int height);
    bool IntegralHeight() const { return FIntegralHeight; }
    void SetIntegralHeight(bool value);

    void SetBounds(int left, int top, int width, int height) override;
    // The item height scales with the bounds.
    void ChangeScale(int m, int d) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void HandleCreated() override;
    void DestroyHandle() override;
    void FontChanged() override;
    LRESULT CommandNotify(WORD code) override;

private:
    friend class TListBoxStrings;
    void ApplyItemHeight();
    // The height the control takes for a requested height.
    int RoundedHeight(int height) const;
    TListBoxStrings FItems{*this};
    int FItemIndex = -1;
    int FItemHeight = 13;
    bool FIntegralHeight = true;
};

// A single-line edit box.
class TEdit : public TStdControl {
public:
    explicit TEdit(TComponent* owner);

    // The current text, as the user left it.
    std::string Text() const;
    void SetText(const std::string& text) { SetCaption(text); }
    // The longest text the user can enter; 0 means no limit.
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int length);
    // Whether the whole text is selected when the control gets the focus from
    // the keyboard or from the program.
    bool AutoSelect() const { return FAutoSelect; }
    void SetAutoSelect(bool value) { FAutoSelect = value; }
    void SelectAll();
    int SelStart() const;
    int SelLength() const;

    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void HandleCreated() override;
    LRESULT CommandNotify(WORD code) override;

private:
    int FMaxLength = 0;
    bool FAutoSelect = true;
    bool FSelectAllOnCreate = false;
};

// A windowless text label; by default it sizes itself to its caption.
class TLabel : public TGraphicControl {
public:
    explicit TLabel(TComponent* owner);

    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool value);
    void Paint() override;

protected:
    void TextChanged() override;
    void FontChanged() override;

private:
    void AdjustBounds();
    bool FAutoSize = true;
};

enum TBevelShape { bsBox };
enum TBevelStyle { bsLowered, bsRaised };

// A windowless bevel. A lowered box has the shadow colour along its top and
// left edges and the highlight colour along its bottom and right edges; made
// only 2 or 3 pixels high it reads as a sunken rule.
class TBevel : public TGraphicControl {
public:
    explicit TBevel(TComponent* owner);

    TBevelShape Shape() const { return FShape; }
    void SetShape(TBevelShape shape);
    TBevelStyle Style() const { return FStyle; }
    void SetStyle(TBevelStyle style);
    void Paint() override;

private:
    TBevelShape FShape = bsBox;
    TBevelStyle FStyle = bsLowered;
};

} // namespace vcl
