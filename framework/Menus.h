// Menu items and popup menus.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/Classes.h"

namespace vcl {

class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent* owner) : TComponent(owner) {}

    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& caption) { FCaption = caption; }
    bool Checked() const { return FChecked; }
    void SetChecked(bool checked) { FChecked = checked; }
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool enabled) { FEnabled = enabled; }
    bool IsSeparator() const { return FCaption == "-"; }

    void Click() {
        if (OnClick) OnClick(this);
    }

    TNotifyEvent OnClick;

private:
    std::string FCaption;
    bool FChecked = false;
    bool FEnabled = true;
};

// A context menu; its items are components of the same owner, listed in order.
class TPopupMenu : public TComponent {
public:
    explicit TPopupMenu(TComponent* owner) : TComponent(owner) {}
    ~TPopupMenu() override;

    void Add(TMenuItem* item);
    int Count() const { return static_cast<int>(FItems.size()); }
    TMenuItem* Items(int i) const { return FItems.at(i); }

    // The control that the menu was opened on.
    TComponent* PopupComponent() const { return FPopupComponent; }
    void SetPopupComponent(TComponent* c) { FPopupComponent = c; }

    // Opens the menu at a screen point and runs the chosen item's OnClick.
    void Popup(int x, int y);

    // Runs before the menu opens.
    TNotifyEvent OnPopup;
    // Runs when the menu has closed, before the chosen item's OnClick.
    TNotifyEvent OnClose;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    std::vector<TMenuItem*> FItems;
    TComponent* FPopupComponent = nullptr;
};

// A form's menu bar. Its items are components of the same owner, listed in
// order; each is a command of its own (no submenus): choosing it runs its
// OnClick at once.
class TMainMenu : public TComponent {
public:
    explicit TMainMenu(TComponent* owner) : TComponent(owner) {}
    ~TMainMenu() override;

    void Add(TMenuItem* item);
    int Count() const { return static_cast<int>(FItems.size()); }
    TMenuItem* Items(int i) const { return FItems.at(i); }

    // The menu bar, built from the items on first use. The menu owns it; a form
    // detaches it from its window before the window goes.
    HMENU Handle();
    // Runs the item whose command identifier (WM_COMMAND) is `id`; false when
    // no item has it.
    bool DispatchCommand(UINT id);

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    void Rebuild();
    std::vector<TMenuItem*> FItems;
    HMENU FHandle = nullptr;
};

} // namespace vcl
