#include "pad/KeyRelease.h"

#include "framework/Platform.h"

namespace vcl {

void KeyLedger::DownSent(int key, UINT taken, bool reachable) {
    FState[key] = taken ? DownOnItsWay : Up;
    FDownReachable[key] = reachable;
    FPollsOnItsWay[key] = 0;
    // The key is held on purpose again: its next key-up settles any debt.
    FOwed[key] = false;
}

void KeyLedger::UpSent(int key, UINT taken, bool reachable) {
    // Events reach the system in the order they were sent: this key-up comes
    // after any key-down still on its way.
    FState[key] = Up;
    FOwed[key] = taken == 0 || !reachable;
}

bool KeyLedger::DownArrived(int key, bool buttonDown) {
    if (FState[key] != DownOnItsWay) return false;
    if (buttonDown) {
        FState[key] = DownArrivedState;
        return false;
    }
    return true;
}

void KeyLedger::RaisedWithoutKey(int key) {
    // A key-down still on its way stays expected: when it lands, its key-up follows.
    if (FState[key] == DownArrivedState) FState[key] = Up;
}

bool KeyLedger::DownSettled(int key, bool watching) const { return !watching || FState[key] != DownOnItsWay; }

bool KeyLedger::ResendOwed(int key, bool keyDown, bool reachable) {
    if (!FOwed[key] || !reachable) return false;
    if (!keyDown) {
        FOwed[key] = false;
        return false;
    }
    return true;
}

bool KeyLedger::MayHoldKeys() const {
    for (int key : {kShiftKey, kCtrlKey})
        if (FState[key] != Up || FOwed[key]) return true;
    return false;
}

bool KeyLedger::DownOverdue(int key) {
    if (FState[key] != DownOnItsWay || !FDownReachable[key]) return false;
    return ++FPollsOnItsWay[key] >= kArrivalPolls;
}

const wchar_t kHeldKeysKey[] = L"Software\\Vantro Pad";

void HeldKeysMark::Set(bool held) {
    if (held == FSet || FName.empty()) return;
    FSet = held ? platform::WriteVolatileRegistryString(HKEY_CURRENT_USER, kHeldKeysKey, FName.c_str(), L"1")
                : !platform::DeleteRegistryValue(HKEY_CURRENT_USER, kHeldKeysKey, FName.c_str());
}

bool HeldKeysMark::TakeLeft() {
    std::wstring value;
    if (FName.empty() || !platform::ReadRegistryString(HKEY_CURRENT_USER, kHeldKeysKey, FName.c_str(), &value))
        return false;
    platform::DeleteRegistryValue(HKEY_CURRENT_USER, kHeldKeysKey, FName.c_str());
    FSet = false;
    return true;
}

} // namespace vcl
