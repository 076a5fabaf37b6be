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
    if (wnd && platform::RegisterSessionNotification(wnd, NOTIFY_FOR_THIS_SESSION)) FWnd = wnd;
    return FWnd != nullptr;
}

void SessionWatch::Stop() {
    if (!FWnd) return;
    platform::UnregisterSessionNotification(FWnd);
    FWnd = nullptr;
}

} // namespace vcl
