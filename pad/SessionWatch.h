// Session notifications: a locked or disconnected session must not keep the
// pad's keys held while the user is away from it.
#pragma once

#include <windows.h>

namespace vcl {

// True for the session changes on which the pad lets go of the keys it holds:
// the session is locked, or its console or remote connection is taken away.
bool SessionChangeReleasesLatches(WPARAM event);

// Registers a window for WM_WTSSESSION_CHANGE about its own session and
// unregisters it again. When the registration is refused nothing is watched.
class SessionWatch {
public:
    SessionWatch() = default;
    ~SessionWatch();
    SessionWatch(const SessionWatch&) = delete;
    SessionWatch& operator=(const SessionWatch&) = delete;

    bool Start(HWND wnd);
    void Stop();
    bool Active() const { return FWnd != nullptr; }

private:
    HWND FWnd = nullptr;
};

} // namespace vcl
