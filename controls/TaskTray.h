// The notification-area (tray) icon component and the hidden window that
// receives the shell's mouse callbacks for every tray icon of the process.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/Controls.h"
#include "framework/Menus.h"

namespace vcl {

// The callback message that the shell sends for our icons.
constexpr UINT WM_TRAYNOTIFY = WM_USER + 102;

// An icon image: owns its HICON (or none, when empty). Every change of the
// image runs OnChange.
class TIconImage {
public:
    TIconImage() = default;
    ~TIconImage();
    TIconImage(const TIconImage&) = delete;
    TIconImage& operator=(const TIconImage&) = delete;

    HICON Handle() const { return FHandle; }
    bool Empty() const { return FHandle == nullptr; }
    // Takes ownership of `icon` (nullptr empties).
    void SetHandle(HICON icon);
    // Copies the other icon's image (an empty icon empties this one).
    void Assign(const TIconImage& other);
    // Loads a small icon from a resource of `module` by name.
    void LoadFromResourceName(HINSTANCE module, const char* name);
    // Discards the image.
    void Clear() { SetHandle(nullptr); }

    std::function<void()> OnChange;

private:
    HICON FHandle = nullptr;
};

using TButtonDblClick = std::function<void(TObject* Seft, TMouseButton Button)>;

class TTaskTray;

// One entry of the process-wide identifier list: the identifier in decimal and
// the component that holds it, in order of construction.
struct TTrayIDEntry {
    std::string Text;
    TTaskTray* Tray;
};

// A non-visual component that shows one icon in the notification area, keeps
// it up to date and turns the shell's mouse callbacks into events.
class TTaskTray : public TComponent {
public:
    explicit TTaskTray(TComponent* owner);
    ~TTaskTray() override;

    // Properties, in the order in which a layout applies them.
    TPopupMenu* PopupMenuL() const { return FPopupMenuL; }
    void SetPopupMenuL(TPopupMenu* menu);
    TPopupMenu* PopupMenuR() const { return FPopupMenuR; }
    void SetPopupMenuR(TPopupMenu* menu);
    const std::string& TipString() const { return FTipString; }
    void SetTipString(const std::string& text);
    TIconImage* Icon() const { return FIcon.get(); }
    // Copies `icon` into the component's icon; nullptr empties it and removes
    // the icon from the notification area.
    void SetIcon(const TIconImage* icon);
    // Loads the component's icon from a resource of the program's module.
    void SetIconResource(const char* name);
    int IconID() const { return FIconID; }
    void SetIconID(int value);
    bool Registered() const { return FRegistered; }
    void SetRegistered(bool flag);

    // True while the shell holds the icon (from an accepted add until the next delete).
    bool InTray() const { return FInTray; }
    // True while an add that the shell refused as the owner's layout was read
    // is being tried again quietly (until the shell takes the icon).
    bool AddPending() const { return FQuietRetry; }

    // Shows a notification beside the icon (a balloon; a toast on Windows 10
    // and 11) with `title` (at most 63 bytes) and `text` (at most 255 bytes),
    // each cut at a character boundary. False when the shell does not hold
    // the icon or refuses the notification; nothing is raised.
    bool ShowBalloon(const std::string& title, const std::string& text);

    // Brings the shell's copy of the icon up to date, adding it when the shell
    // doesn't hold it yet.
    virtual void UpdateIcon();
    // Removes the icon from the notification area and clears Registered.
    virtual void DeleteIcon();
    virtual void DblClick(TMouseButton button);
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    // The user clicked the notification: the owner form takes the foreground,
    // then OnBalloonClick runs.
    virtual void BalloonClick();

    void Loaded() override;

    TButtonDblClick OnDblClick;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TNotifyEvent OnBalloonClick;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TNotifyWindow;
    class TAliveGuard;

    // Marks the icon for quiet retries and starts them.
    void StartQuietRetry();
    // Brings the owner form to the front and handles the pending messages;
    // false when this component was destroyed meanwhile.
    bool OwnerToFront(const TAliveGuard& alive);

    std::string FTipString;
    std::unique_ptr<TIconImage> FIcon;
    int FIconID = 1;
    TPopupMenu* FPopupMenuL = nullptr;
    TPopupMenu* FPopupMenuR = nullptr;
    std::unique_ptr<NOTIFYICONDATAA> FData;
    bool FRegistered = false;
    bool FInTray = false;
    // A refused add is tried again quietly; set by a refusal while loading.
    bool FQuietRetry = false;
    // The innermost mouse dispatch running on this component, so that its
    // destruction inside a handler is noticed.
    TAliveGuard* FAliveGuard = nullptr;
};

// The hidden window that receives WM_TRAYNOTIFY for every tray icon of the
// process and hands each callback to the component it belongs to. It also
// hears the shell's "TaskbarCreated" broadcast and adds every registered icon
// again, since a restarted shell has forgotten them. An elevated program hears
// that broadcast from the shell, which runs at a lower level, only because the
// window lets that one message through.
class TNotifyWindow : public TWinControl {
public:
    explicit TNotifyWindow(TComponent* owner);

    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // wParam: the icon's identifier; lParam: the mouse message the shell
    // reports, or NIN_BALLOONUSERCLICK for a click on the icon's notification.
    void WMTrayNotify(WPARAM wParam, LPARAM lParam);

protected:
    void CreateParams(TCreateParams& params) override;
    void HandleCreated() override;

private:
    void ShellRestarted();
    // One quiet attempt for every icon whose add was refused while loading.
    void RetryPendingAdds();
};

// Process-wide state of the tray components.
const std::vector<TTrayIDEntry>& TrayIDList();
// The notification window, or nullptr before the first icon reaches the shell
// and after the last tray component is gone.
TNotifyWindow* NotifyWindow();
// True while a tray callback is being handled.
bool NotifyBusy();

} // namespace vcl
