#include "pad/KeyWatch.h"

#include "framework/Platform.h"

namespace vcl {

Latch LatchEndedByKey(WPARAM message, DWORD vkCode, DWORD flags, bool otherSideDown) {
    if (message != WM_KEYUP && message != WM_SYSKEYUP) return Latch::None;
    if (flags & LLKHF_INJECTED) return Latch::None;
    if (otherSideDown) return Latch::None;
    switch (vkCode) {
    case VK_SHIFT:
    case VK_LSHIFT:
    case VK_RSHIFT: return Latch::Shift;
    case VK_CONTROL:
    case VK_LCONTROL:
    case VK_RCONTROL: return Latch::Ctrl;
    default: return Latch::None;
    }
}

DWORD OtherSideOf(DWORD vkCode) {
    switch (vkCode) {
    case VK_LSHIFT: return VK_RSHIFT;
    case VK_RSHIFT: return VK_LSHIFT;
    case VK_LCONTROL: return VK_RCONTROL;
    case VK_RCONTROL: return VK_LCONTROL;
    default: return 0;
    }
}

bool LatchLostItsKey(bool buttonDown, bool keyDown, int& misses) {
    if (!buttonDown || keyDown) {
        misses = 0;
        return false;
    }
    if (++misses < 2) return false;
    misses = 0;
    return true;
}

KeyWatch* KeyWatch::FActive = nullptr;

KeyWatch::~KeyWatch() { Stop(); }

bool KeyWatch::Start(std::function<void(Latch)> onLatchEnded) {
    Stop();
    if (FActive) return false;
    FOnLatchEnded = std::move(onLatchEnded);
    FHook = platform::SetKeyboardHook(&HookProc);
    if (FHook) FActive = this;
    return FHook != nullptr;
}

void KeyWatch::Stop() {
    if (!FHook) return;
    platform::UnhookKeyboard(FHook);
    FHook = nullptr;
    if (FActive == this) FActive = nullptr;
}

LRESULT CALLBACK KeyWatch::HookProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && FActive && FActive->FOnLatchEnded) {
        const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        const DWORD other = OtherSideOf(key->vkCode);
        const bool otherDown = other != 0 && platform::KeyDown(static_cast<int>(other));
        const Latch ended = LatchEndedByKey(wParam, key->vkCode, key->flags, otherDown);
        if (ended != Latch::None) {
            // The handler only raises a button: no key event, nothing that waits.
            try {
                FActive->FOnLatchEnded(ended);
            } catch (...) {
                // Never let an error out into the system's input path.
            }
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace vcl
