// The pad's latches stay truthful: keys the user ends with the real key, keys
// the system lets go of by itself, key-downs that land late, key-ups that may
// not have arrived, a locked session and a target that cannot receive the
// pad's keys.
#include "framework/Platform.h"
#include "pad/Elevation.h"
#include "pad/LatchColors.h"
#include "pad/VTform.h"

namespace vcl {

namespace {

void RaiseLatch(TSpeedButton* button) {
    button->SetDown(false);
    button->Font().SetColor(LatchCaptionColor(false));
}

WORD VkOf(PadKey key) { return key == kShiftKey ? VK_SHIFT : VK_CONTROL; }

PadKey KeyOf(Latch latch) { return latch == Latch::Shift ? kShiftKey : kCtrlKey; }

bool InputReachable() { return InputTakesPadKeys(GetForegroundWindow()); }

} // namespace

void TVTform::SendLatchKey(PadKey key, bool down) {
    const UINT taken = platform::SendKey(VkOf(key), down ? 0 : KEYEVENTF_KEYUP);
    if (down) FKeys.DownSent(key, taken, InputReachable());
    else FKeys.UpSent(key, taken, InputReachable());
    MarkHeldKeys();
}

void TVTform::SettleOwedKeyUps() {
    for (const PadKey key : {kShiftKey, kCtrlKey}) {
        if (!FKeys.Owed(key)) continue;
        // Across the barrier to a window that cannot take the input the key
        // reads up whatever the system holds: it is neither read nor sent then.
        if (!InputReachable()) continue;
        const WORD vk = VkOf(key);
        // Sent again without clearing the debt: only the key read up settles it.
        if (FKeys.ResendOwed(key, platform::KeyDown(vk), true)) platform::SendKey(vk, KEYEVENTF_KEYUP);
    }
}

void TVTform::CheckKeyWatchAlive() {
    if (!FKeyWatch.Active()) return;
    bool overdue[2] = {FKeys.DownOverdue(kShiftKey), FKeys.DownOverdue(kCtrlKey)};
    if (!overdue[kShiftKey] && !overdue[kCtrlKey]) return;
    // The system has removed the hook: a new one, and what the old one missed
    // counts as arrived (the key-down was taken, toward a window that takes it).
    FKeyWatch.Start(Handle(), WM_KEYWATCH);
    if (overdue[kShiftKey]) OwnKeyDownArrived(Latch::Shift);
    if (overdue[kCtrlKey]) OwnKeyDownArrived(Latch::Ctrl);
}

TSpeedButton* TVTform::LatchButton(PadKey key) const { return key == kShiftKey ? ShiftBtn : CtrlBtn; }

void TVTform::ResetBtn() {
    SendLatchKey(kShiftKey, false);
    SendLatchKey(kCtrlKey, false);
    RaiseLatch(ShiftBtn);
    RaiseLatch(CtrlBtn);
}

void TVTform::ReleaseLatches() {
    if (ShiftBtn->Down()) SendLatchKey(kShiftKey, false);
    if (CtrlBtn->Down()) SendLatchKey(kCtrlKey, false);
    RaiseLatch(ShiftBtn);
    RaiseLatch(CtrlBtn);
}

void TVTform::LatchEndedByUser(Latch latch) {
    if (latch == Latch::None || !LatchButton(KeyOf(latch))->Down()) return;
    RaiseLatch(LatchButton(KeyOf(latch)));
    FKeys.RaisedWithoutKey(KeyOf(latch));
}

void TVTform::OwnKeyDownArrived(Latch latch) {
    if (latch == Latch::None) return;
    const PadKey key = KeyOf(latch);
    if (FKeys.DownArrived(key, LatchButton(key)->Down())) SendLatchKey(key, false);
}

void TVTform::CheckLatchTruth() {
    // Only while docked on a target in the foreground: then the system's key
    // state is the one the target sees.
    const bool watching = PadShown && TargetWnd != OwnWnd && GetForegroundWindow() == TargetWnd;
    for (const PadKey key : {kShiftKey, kCtrlKey}) {
        const bool down = watching && LatchButton(key)->Down();
        const bool arrived = FKeys.DownSettled(key, FKeyWatch.Active());
        if (LatchLostItsKey(down, down && platform::KeyDown(VkOf(key)), arrived, FUntruthfulPolls[key])) {
            RaiseLatch(LatchButton(key));
            FKeys.RaisedWithoutKey(key);
        }
    }
}

void TVTform::CheckTargetAccess() {
    DWORD pid = 0;
    GetWindowThreadProcessId(TargetWnd, &pid);
    // The rights of a process do not change while it runs: ask once per target.
    if (TargetWnd == FAccessWnd && pid == FAccessPid) return;
    FAccessWnd = TargetWnd;
    FAccessPid = pid;
    SetKeysBlocked(WindowRefusesKeys(TargetWnd));
}

void TVTform::SetKeysBlocked(bool blocked) {
    if (blocked == FKeysBlocked) return;
    FKeysBlocked = blocked;
    if (blocked) ReleaseLatches();
    ShiftBtn->SetEnabled(!blocked);
    CtrlBtn->SetEnabled(!blocked);
    VTpanel->SetHint(blocked ? kElevatedTargetHint : "");
    VTpanel->SetShowHint(blocked);
}

bool TVTform::PressOnBlockedLatch(TObject* sender, int x, int y) const {
    if (!FKeysBlocked || sender != VTpanel) return false;
    const POINT p{x, y};
    for (const TSpeedButton* b : {ShiftBtn, CtrlBtn}) {
        const RECT r = b->BoundsRect();
        if (PtInRect(&r, p)) return true;
    }
    return false;
}

} // namespace vcl
