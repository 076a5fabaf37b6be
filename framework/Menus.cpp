#include "framework/Menus.h"

#include <algorithm>

#include "framework/Forms.h"

namespace vcl {

TPopupMenu::~TPopupMenu() {
    for (TMenuItem* item : FItems) item->RemoveFreeNotification(this);
}

void TPopupMenu::Add(TMenuItem* item) {
    FItems.push_back(item);
    item->FreeNotification(this);
}

void TPopupMenu::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation != opRemove) return;
    FItems.erase(std::remove(FItems.begin(), FItems.end(), component), FItems.end());
    if (component == FPopupComponent) FPopupComponent = nullptr;
}

void TPopupMenu::Popup(int x, int y) {
    if (OnPopup) OnPopup(this);
    HMENU menu = CreatePopupMenu();
    for (size_t i = 0; i < FItems.size(); ++i) {
        TMenuItem* item = FItems[i];
        if (item->IsSeparator()) {
            AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        UINT flags = MF_STRING;
        if (item->Checked()) flags |= MF_CHECKED;
        if (!item->Enabled()) flags |= MF_GRAYED;
        AppendMenuA(menu, flags, i + 1, item->Caption().c_str());
    }
    // The menu needs a window of ours in the foreground to close properly: the
    // application's hidden window, which carries the application's title.
    HWND owner = Application ? Application->Handle() : nullptr;
    SetForegroundWindow(owner);
    UINT cmd = static_cast<UINT>(
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_RIGHTBUTTON, x, y, 0, owner, nullptr));
    PostMessageA(owner, WM_NULL, 0, 0);
    DestroyMenu(menu);
    if (OnClose) OnClose(this);
    if (cmd >= 1 && cmd <= FItems.size()) FItems[cmd - 1]->Click();
}

// --------------------------------------------------------------- TMainMenu

TMainMenu::~TMainMenu() {
    for (TMenuItem* item : FItems) item->RemoveFreeNotification(this);
    if (FHandle) DestroyMenu(FHandle);
}

void TMainMenu::Add(TMenuItem* item) {
    FItems.push_back(item);
    item->FreeNotification(this);
    if (FHandle) Rebuild();
}

void TMainMenu::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation != opRemove) return;
    auto it = std::find(FItems.begin(), FItems.end(), component);
    if (it == FItems.end()) return;
    FItems.erase(it);
    if (FHandle) Rebuild();
}

HMENU TMainMenu::Handle() {
    if (!FHandle) {
        FHandle = CreateMenu();
        Rebuild();
    }
    return FHandle;
}

void TMainMenu::Rebuild() {
    while (GetMenuItemCount(FHandle) > 0) DeleteMenu(FHandle, 0, MF_BYPOSITION);
    // The command identifier of an item is its position plus one.
    for (size_t i = 0; i < FItems.size(); ++i) {
        TMenuItem* item = FItems[i];
        if (item->IsSeparator()) {
            AppendMenuA(FHandle, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        UINT flags = MF_STRING;
        if (item->Checked()) flags |= MF_CHECKED;
        if (!item->Enabled()) flags |= MF_GRAYED;
        AppendMenuA(FHandle, flags, i + 1, item->Caption().c_str());
    }
}

bool TMainMenu::DispatchCommand(UINT id) {
    if (id < 1 || id > FItems.size()) return false;
    FItems[id - 1]->Click();
    return true;
}

} // namespace vcl
