#include "pad/KeyWatch.h"

#include <atomic>

#include "framework/Platform.h"

namespace vcl {

namespace {

Latch LatchOf(DWORD vkCode) {
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

// The active watch. Written by the GUI thread (start and stop), read by the
// hook's thread and by the ways out of the program.
std::atomic<KeyWatch*> gActive{nullptr};

// How long a stop waits for the hook's thread to end.
constexpr DWORD kStopWait = 2000;

// What a start and the new hook thread say to each other: set when the thread
// has tried to install the hook, and whether it did.
struct HookStart {
    HANDLE tried;
    bool hooked;
};

} // namespace

Latch LatchEndedByKey(WPARAM message, DWORD vkCode, DWORD flags, bool otherSideDown) {
    if (message != WM_KEYUP && message != WM_SYSKEYUP) return Latch::None;
    if (flags & LLKHF_INJECTED) return Latch::None;
    if (otherSideDown) return Latch::None;
    return LatchOf(vkCode);
}

Latch PadKeyDownArrived(WPARAM message, DWORD vkCode, DWORD flags, ULONG_PTR extraInfo) {
    if (message != WM_KEYDOWN && message != WM_SYSKEYDOWN) return Latch::None;
    if (!(flags & LLKHF_INJECTED) || extraInfo != platform::kPadKeyMark) return Latch::None;
    return LatchOf(vkCode);
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

bool LatchLostItsKey(bool buttonDown, bool keyDown, bool downArrived, int& misses) {
    if (!buttonDown || keyDown || !downArrived) {
        misses = 0;
        return false;
    }
    if (++misses < 2) return false;
    misses = 0;
    return true;
}

KeyWatch::~KeyWatch() { Stop(); }

bool KeyWatch::Start(HWND notify, UINT message) {
    Stop();
    if (gActive) return false;
    FNotify = notify;
    FMessage = message;
    HookStart start{CreateEventA(nullptr, TRUE, FALSE, nullptr), false};
    if (!start.tried) return false;
    FThread = CreateThread(nullptr, 0, &ThreadProc, &start, 0, &FThreadId);
    if (FThread) WaitForSingleObject(start.tried, INFINITE);
    CloseHandle(start.tried);
    if (!start.hooked) {
        // The thread has ended (or never started): the system refused the hook.
        if (FThread) {
            WaitForSingleObject(FThread, kStopWait);
            CloseHandle(FThread);
        }
        FThread = nullptr;
        return false;
    }
    gActive = this;
    return true;
}

void KeyWatch::Stop() {
    if (!FThread) return;
    KeyWatch* self = this;
    gActive.compare_exchange_strong(self, nullptr);
    PostThreadMessageA(FThreadId, WM_QUIT, 0, 0);
    WaitForSingleObject(FThread, kStopWait);
    CloseHandle(FThread);
    FThread = nullptr;
}

void KeyWatch::StopActive() {
    if (KeyWatch* active = gActive) active->Stop();
}

DWORD WINAPI KeyWatch::ThreadProc(void* param) {
    auto* start = static_cast<HookStart*>(param);
    MSG msg;
    // The thread's message queue exists before the start returns, so that a
    // stop's WM_QUIT is never lost.
    PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    HHOOK hook = platform::SetKeyboardHook(&HookProc);
    start->hooked = hook != nullptr;
    // `start` lives on the starting thread's stack only until this is set.
    SetEvent(start->tried);
    if (!hook) return 0;
    // Low-level hook callbacks arrive while this loop waits for messages.
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    platform::UnhookKeyboard(hook);
    return 0;
}

LRESULT CALLBACK KeyWatch::HookProc(int code, WPARAM wParam, LPARAM lParam) {
    KeyWatch* active = gActive;
    if (code == HC_ACTION && active) {
        const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        const DWORD other = OtherSideOf(key->vkCode);
        const bool otherDown = other != 0 && (GetAsyncKeyState(static_cast<int>(other)) & 0x8000) != 0;
        Latch latch = LatchEndedByKey(wParam, key->vkCode, key->flags, otherDown);
        WPARAM report = kLatchEndedByUser;
        if (latch == Latch::None) {
            latch = PadKeyDownArrived(wParam, key->vkCode, key->flags, key->dwExtraInfo);
            report = kPadKeyDownArrived;
        }
        // Only posted: the pad handles it on its own thread, nothing here waits.
        if (latch != Latch::None)
            PostMessageA(active->FNotify, active->FMessage, report, static_cast<LPARAM>(latch));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace vcl
