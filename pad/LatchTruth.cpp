// The pad's latches stay truthful: keys the user ends with the real key, keys
// the system lets go of by itself, a locked session and a target that cannot
// receive the pad's keys.
#include "framework/Platform.h"
#include "pad/Elevation.h"
#include "pad/VTform.h"

namespace vcl {

namespace {

void RaiseLatch(TSpeedButton* button) {
    button->SetDown(false);
    button->Font().SetColor(clBlack);
}

} // namespace

void TVTform::ReleaseLatches() {
    if (ShiftBtn->Down()) platform::KeybdEvent(VK_SHIFT, 0, KEYEVENTF_KEYUP, 0);
    if (CtrlBtn->Down()) platform::KeybdEvent(VK_CONTROL, 0, KEYEVENTF_KEYUP, 0);
    RaiseLatch(ShiftBtn);
    RaiseLatch(CtrlBtn);
}

void TVTform::LatchEndedByUser(Latch latch) {
    TSpeedButton* button = latch == Latch::Shift ? ShiftBtn : latch == Latch::Ctrl ? CtrlBtn : nullptr;
    if (button && button->Down()) RaiseLatch(button);
}

void TVTform::CheckLatchTruth() {
    // Only while docked on a target in the foreground: then the system's key
    // state is the one the target sees.
    const bool watching = PadShown && TargetWnd != OwnWnd && GetForegroundWindow() == TargetWnd;
    TSpeedButton* const buttons[2] = {ShiftBtn, CtrlBtn};
    const int keys[2] = {VK_SHIFT, VK_CONTROL};
    for (int i = 0; i < 2; ++i) {
        const bool down = watching && buttons[i]->Down();
        if (LatchLostItsKey(down, down && platform::KeyDown(keys[i]), FUntruthfulPolls[i])) RaiseLatch(buttons[i]);
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
