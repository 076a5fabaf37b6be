// The pad: a borderless, always-on-top strip with the program's name and the
// SHIFT and CTRL latches, docked onto the caption bar of the target window.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "controls/TaskTray.h"
#include "controls/hslabel.h"
#include "framework/Buttons.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/Menus.h"
#include "pad/SettingsGuard.h"
#include "pad/KeyRelease.h"
#include "pad/CaptionPlace.h"
#include "pad/KeyWatch.h"
#include "pad/SessionWatch.h"
#include "pad/WindowEvents.h"
#include "settings/IniGT.h"

namespace vcl {

class TVTform : public TForm {
public:
    explicit TVTform(TComponent* owner);
    ~TVTform() override;

    // Components, created by the layout.
    TPanel* VTpanel = nullptr;
    THSLabel* NameLabel = nullptr;
    TSpeedButton* ShiftBtn = nullptr;
    TSpeedButton* CtrlBtn = nullptr;
    TTimer* Timer1 = nullptr;
    TPopupMenu* PopupMenu1 = nullptr;
    TMenuItem* Exit1 = nullptr;
    TMenuItem* N1 = nullptr;
    TMenuItem* AddTarget = nullptr;
    TMenuItem* Opt_all2 = nullptr;
    TMenuItem* NoBoth = nullptr;
    TMenuItem* AutoStart1 = nullptr;
    TMenuItem* K1 = nullptr;
    TMenuItem* Version1 = nullptr;
    TMenuItem* Help1 = nullptr;
    TTaskTray* TaskTray1 = nullptr;
    TIniGT* IniG = nullptr;

    // Pad state.
    HWND OwnWnd = nullptr;     // the pad's own window
    HWND TargetWnd = nullptr;  // the last window docked onto; OwnWnd until the first docking
    RECT TargetRect{0, 0, 0, 0};
    int CaptionHeight = 0;
    int FrameWidth = 0;
    int FrameHeight = 0;
    int CaptionButtonWidth = 0;
    int PadWidth = 0;
    bool PadShown = false;
    bool NeverDocked = true;
    bool OptAll = false;
    bool OptNoBoth = false;
    std::unique_ptr<TStringList> Targets;

    // Life cycle.
    void FormCreate(TObject* sender);
    void FormClose(TObject* sender, TCloseAction& action);
    void FormDestroy(TObject* sender);
    void FormActivate(TObject* sender);
    void Mini(TObject* sender);
    void Rest(TObject* sender);
    void EraseTaskBar();
    // Shrinks the docked pad to zero width and releases the keys it holds.
    void HideForm();
    // Sends key-ups for Shift and Ctrl and raises both buttons. For the ways
    // out of the program, where a stuck key is worse than a cut-short one.
    void ResetBtn();
    // Sends key-ups only for the keys the pad holds (its buttons that are
    // down) and raises both buttons: a key the user holds stays held.
    void ReleaseLatches();

    // The latches.
    void ShiftBtnMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    void ShiftBtnClick(TObject* sender);
    void BtnOnOff(TSpeedButton* button);
    // The user ended a latch with the real key: its button goes up and its
    // caption black, and no key event is sent.
    void LatchEndedByUser(Latch latch);
    // The pad's own key-down of a latch reached the system. A button that went
    // up meanwhile (without a key event) gets its key-up now.
    void OwnKeyDownArrived(Latch latch);
    // Sends the key-down or key-up of a latch's key and keeps account of it.
    void SendLatchKey(PadKey key, bool down);
    // On each poll: a key-up the system may not have received is sent again,
    // once the input goes to a window that can take it, until the key is up.
    void SettleOwedKeyUps();
    // On each poll: a key-down that the keyboard watch should have reported
    // about a second ago means the system removed the watch's hook; the watch
    // starts again and the key-down counts as arrived.
    void CheckKeyWatchAlive();
    bool KeyWatchActive() const { return FKeyWatch.Active(); }
    // The button of a latched key.
    TSpeedButton* LatchButton(PadKey key) const;
    const KeyLedger& Keys() const { return FKeys; }
    // Keeps the mark outside the process that says whether the pad may hold a key.
    void MarkHeldKeys() { FHeldMark.Set(FKeys.MayHoldKeys()); }
    // A latch whose key the system no longer holds (something else let it go
    // without a key event the pad could see) goes up, without a key event.
    void CheckLatchTruth();
    // At each docking: when the target cannot receive the pad's keys, the
    // latches are released and shown unavailable, and the hint says why.
    void CheckTargetAccess();
    bool KeysBlocked() const { return FKeysBlocked; }
    void SetKeysBlocked(bool blocked);

    // Foreground tracking and docking. A poll keeps the latches' account and
    // then follows the foreground; a window event only follows it.
    void Timer1Timer(TObject* sender);
    // Looks at the foreground window and docks the pad on it or hides it.
    void FollowForeground();
    // A window event that concerns the pad: it follows the foreground at once,
    // in the states in which the poll runs.
    void WindowEvent();
    bool CheckSysWin(const std::string& title);
    bool TargetCheck(const std::string& title);

    // Commands.
    void FormMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    void TaskTray1MouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    // A click on the first start's notification: as a press on the icon.
    void TaskTray1BalloonClick(TObject* sender);
    // Opens the settings dialog (or brings it back) from the message loop.
    void OpenSettingsSoon();
    // Opens the settings dialog and takes back its results. While it is open,
    // brings it (and the add-target dialog beside it) back to the front.
    void SetMenu();
    // The context menu's items.
    void AddTargetClick(TObject* sender);
    void Opt_all2Click(TObject* sender);
    void NoBothClick(TObject* sender);
    // "Windowsと同時に起動": adds or removes the value that starts this program
    // with Windows; its check mark shows whether that value starts this very copy.
    void AutoStart1Click(TObject* sender);
    void Exit1Click(TObject* sender);
    void KVersion1Click(TObject* sender);
    void Help1Click(TObject* sender);
    // Shows the options' current values as the menu's check marks, and holds
    // the poll while the menu is open.
    void PopupMenu1Popup(TObject* sender);
    // The menu closed: the foreground goes back to the target, the poll goes on.
    void PopupMenu1Close(TObject* sender);

    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // Reads the options and the target list from the settings file. A file
    // that stays held by another program is not read: the pad runs with the
    // defaults and tells the user once.
    void LoadSettings();
    // Writes them back; a failed write raises the settings file's error. After
    // a start whose file could not be read, it writes only settings the user
    // changed, so that file is not overwritten with the defaults; under a
    // code page that cannot carry the program's texts it writes nothing.
    void SaveSettings();

private:
    // Puts CTRL in SHIFT's group (exclusive) or in its own. A latch that the
    // regrouping raises also lets go of its key.
    void SetExclusiveButtons(bool exclusive);
    // Whether a press on the panel at (x, y) hit a latch that is shown unavailable.
    bool PressOnBlockedLatch(TObject* sender, int x, int y) const;
    // Copies the dialog's list into Targets.
    void TakeDialogList();
    // Hides the pad, fills the settings dialog from the pad's state with the
    // poll stopped, and shows it modally.
    TModalResult RunSettingsDialog();

    // The settings as they are now.
    PadSettingsValues CurrentSettings() const;
    // A message box about the settings file, captioned like every error box.
    int ShowSettingsBox(const std::wstring& text, UINT type);
    // The settings file was there at start but could not be read; the
    // settings the pad started with instead.
    bool FSettingsUnread = false;
    // There was no settings file at start: the user's first start.
    bool FFirstStart = false;
    PadSettingsValues FStartSettings;
    // The process's code page would change the program's texts in the file:
    // nothing is ever saved.
    unsigned FCodePage = 0;
    bool FCodePageRefusesSave = false;
    // The box that asks whether to end without saving is open.
    bool FAskingToEnd = false;
    KeyWatch FKeyWatch;
    KeyLedger FKeys;
    HeldKeysMark FHeldMark;
    SessionWatch FSessionWatch;
    WindowEvents FWindowEvents;
    // FollowForeground is running (an event that arrives meanwhile is not
    // handled inside it).
    bool FFollowing = false;
    CaptionCache FCaptionCache;
    bool FKeysBlocked = false;
    // The target whose rights were last looked at.
    HWND FAccessWnd = nullptr;
    DWORD FAccessPid = 0;
    // Polls in a row on which a latch was down but its key was not.
    int FUntruthfulPolls[2] = {0, 0};
};

extern TVTform* VTform;

// The message the pad's keyboard watch posts to the pad.
constexpr UINT WM_KEYWATCH = WM_APP + 0x180;
// Posted by the pad to itself for a press on the tray icon or its notification.
constexpr UINT WM_OPENSETTINGS = WM_APP + 0x1A0;

// Removes the keyboard watch, then sends key-ups for Shift and Ctrl straight to
// the system. Used on the ways out of the program that bypass the pad's own
// handlers (session end, a crash, an uncaught error, abort), so that no
// modifier stays held after the program is gone.
void ReleaseModifierKeys();
// Installs the crash, terminate and abort handlers that release the modifiers.
void InstallKeyReleaseOnExit();
// The program's terminate handler (an uncaught error, a failure the C++
// runtime cannot go on from), from the start of the process: releases the
// modifiers, then ends the process at once with abort()'s exit code 3, without
// a message (nobody reads the console of a tray accessory).
[[noreturn]] void ReleaseKeysOnTerminate();
// At start, when a pad of the same settings file left its mark (HeldKeysMark):
// sends key-ups for Shift and Ctrl when the system holds them. A pad that was
// killed (or died where no handler ran) left its latched keys held, and
// nothing else would ever let go of them.
void ReleaseKeysLeftHeld();

// True when `pattern` is non-empty and occurs byte for byte in `title`.
bool TitleContains(const std::string& title, const std::string& pattern);

} // namespace vcl
