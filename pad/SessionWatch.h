// Session notifications: a locked or disconnected session must not keep the
// pad's keys held while the user is away from it.
#pragma once

#include <windows.h>

namespace vcl {

// True for the session changes on which the pad lets go of the keys it holds:
// the session is locked, or its console or remote connection is taken away.
bool SessionChangeReleasesLatches(WPARAM event);

// Registers a window for WM_WTSSESSION_CHANGE about its own session and
// unregisters it again. Early at logon the system may refuse the registration
// (its service is not ready yet): nothing is watched then, and Retry, run from
// the pad's poll, asks again until the registration is accepted.
class SessionWatch {
public:
    SessionWatch() = default;
    ~SessionWatch();
    SessionWatch(const SessionWatch&) = delete;
    SessionWatch& operator=(const SessionWatch&) = delete;

    bool Start(HWND wnd);
    void Stop();
    bool Active() const { return FWnd != nullptr; }
    // Run on each poll. After a refused Start it asks again on every
    // kSessionRetryPolls-th call, until the system accepts.
    void Retry();

private:
    HWND FWnd = nullptr;
    // The window a refused registration was for, and the calls since it was tried.
    HWND FRefusedWnd = nullptr;
    int FPollsSinceTry = 0;
};

// Once a second at the pad's ten polls a second.
constexpr int kSessionRetryPolls = 10;

} // namespace vcl
