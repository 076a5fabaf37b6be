#include "pad/WindowEvents.h"

#include <utility>

#include "framework/Forms.h"
#include "framework/Platform.h"

namespace vcl {

namespace {

// The active hooks. Their callbacks run on the thread that set them, as do
// starts and stops, so a plain pointer does.
WindowEvents* gActive = nullptr;

// The system events, as ranges of one or two neighbours.
constexpr DWORD kSystemRanges[3][2] = {
    {EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND},
    {EVENT_SYSTEM_MOVESIZESTART, EVENT_SYSTEM_MOVESIZEEND},
    {EVENT_SYSTEM_MINIMIZESTART, EVENT_SYSTEM_MINIMIZEEND},
};
// The target's object events: destroyed (up to shown and hidden), and moved or
// renamed. The events between them (focus, selection, state) are not asked for.
constexpr DWORD kTargetRanges[2][2] = {
    {EVENT_OBJECT_DESTROY, EVENT_OBJECT_HIDE},
    {EVENT_OBJECT_LOCATIONCHANGE, EVENT_OBJECT_NAMECHANGE},
};

} // namespace

bool EventConcernsPad(DWORD event, HWND wnd, LONG object, LONG child, HWND target) {
    if (event < EVENT_OBJECT_CREATE) return true;
    return wnd != nullptr && wnd == target && object == OBJID_WINDOW && child == CHILDID_SELF;
}

WindowEvents::~WindowEvents() { Stop(); }

bool WindowEvents::Start(std::function<void()> react) {
    Stop();
    if (gActive) return false;
    for (int i = 0; i < 3; ++i) {
        FSystem[i] = platform::SetWinEventHook(kSystemRanges[i][0], kSystemRanges[i][1], &Proc, 0);
        if (!FSystem[i]) {
            Stop();
            return false;
        }
    }
    FReact = std::move(react);
    FThreadId = GetCurrentThreadId();
    gActive = this;
    return true;
}

void WindowEvents::Follow(HWND target) {
    if (!FReact) return;
    FTarget = target;
    DWORD pid = 0;
    GetWindowThreadProcessId(target, &pid);
    if (pid == FTargetPid && FTargetHooks[0]) return;
    UnhookTarget();
    if (!pid) return;
    FTargetPid = pid;
    for (int i = 0; i < 2; ++i)
        FTargetHooks[i] = platform::SetWinEventHook(kTargetRanges[i][0], kTargetRanges[i][1], &Proc, pid);
}

void WindowEvents::UnhookTarget() {
    for (HWINEVENTHOOK& hook : FTargetHooks) {
        if (hook) platform::UnhookWinEvent(hook);
        hook = nullptr;
    }
    FTargetPid = 0;
}

void WindowEvents::Stop() {
    UnhookTarget();
    for (HWINEVENTHOOK& hook : FSystem) {
        if (hook) platform::UnhookWinEvent(hook);
        hook = nullptr;
    }
    FTarget = nullptr;
    FReact = nullptr;
    if (gActive == this) gActive = nullptr;
}

void WindowEvents::StopActive() {
    if (gActive && gActive->FThreadId == GetCurrentThreadId()) gActive->Stop();
}

void CALLBACK WindowEvents::Proc(HWINEVENTHOOK, DWORD event, HWND wnd, LONG object, LONG child, DWORD, DWORD) {
    WindowEvents* active = gActive;
    if (!active || !EventConcernsPad(event, wnd, object, child, active->FTarget)) return;
    // A copy: the reaction may stop the hooks.
    const std::function<void()> react = active->FReact;
    // No C++ exception crosses the system's callback.
    try {
        react();
    } catch (const std::exception& e) {
        if (Application) Application->HandleException(e);
    }
}

} // namespace vcl
