#include "pad/SessionWatch.h"

#include <wtsapi32.h>

#include "framework/Platform.h"

namespace vcl {

bool SessionChangeReleasesLatches(WPARAM event) {
    switch (event) {
    case WTS_SESSION_LOCK:
    case WTS_CONSOLE_DISCONNECT:
    case WTS_REMOTE_DISCONNECT: return true;
    default: return false;
    }
}

SessionWatch::~SessionWatch() { Stop(); }

bool SessionWatch::Start(HWND wnd) {
    Stop();
    if (!wnd) return false;
    if (platform::RegisterSessionNotification(wnd, NOTIFY_FOR_THIS_SESSION)) {
        FWnd = wnd;
    } else {
        FRefusedWnd = wnd;
        FPollsSinceTry = 0;
    }
    return FWnd != nullptr;
}

void SessionWatch::Retry() {
    if (!FRefusedWnd || ++FPollsSinceTry < kSessionRetryPolls) return;
    FPollsSinceTry = 0;
    if (!platform::RegisterSessionNotification(FRefusedWnd, NOTIFY_FOR_THIS_SESSION)) return;
    FWnd = FRefusedWnd;
    FRefusedWnd = nullptr;
}

void SessionWatch::Stop() {
    FRefusedWnd = nullptr;
    if (!FWnd) return;
    platform::UnregisterSessionNotification(FWnd);
    FWnd = nullptr;
}

} // namespace vcl
