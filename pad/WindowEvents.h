// The system's window events, so that the pad follows its target the moment
// the target comes to the front, moves, is minimized, renamed, hidden or
// closed, instead of up to a poll later. The events only say "look again":
// what the pad then does is decided by the same code as on a poll, which
// stays as the safety net and for systems that deliver no events.
#pragma once

#include <windows.h>

#include <functional>

namespace vcl {

// Whether a window event must make the pad look at the foreground now. The
// system events (a window came to the front, was minimized or restored, a move
// or resize began or ended) always do. Object events (moved or resized,
// renamed, hidden, destroyed) only for the target window itself: the target's
// process reports every caret and cursor move as a location change of an
// object of its own.
bool EventConcernsPad(DWORD event, HWND wnd, LONG object, LONG child, HWND target);

// Out-of-context window event hooks on the pad's thread: the system events of
// every process, and the object events of the target's process only (hooked
// again when the target's process changes). Events arrive while the thread
// pumps messages, also in a modal loop. One set of hooks at a time is active
// in a process.
class WindowEvents {
public:
    WindowEvents() = default;
    ~WindowEvents();
    WindowEvents(const WindowEvents&) = delete;
    WindowEvents& operator=(const WindowEvents&) = delete;

    // Hooks the system events; `react` runs for each event that concerns the
    // pad. False (and nothing hooked) when the system refuses.
    bool Start(std::function<void()> react);
    // Follows the object events of `target`'s window and process.
    void Follow(HWND target);
    // Removes every hook. Only the thread that started them can.
    void Stop();
    bool Active() const { return FReact != nullptr; }
    // Stops the active hooks, if any, when called on their thread: the ways
    // out of the program remove them as they remove the keyboard watch.
    static void StopActive();

private:
    static void CALLBACK Proc(HWINEVENTHOOK hook, DWORD event, HWND wnd, LONG object, LONG child, DWORD thread,
                              DWORD time);
    void UnhookTarget();
    std::function<void()> FReact;
    DWORD FThreadId = 0;
    HWINEVENTHOOK FSystem[3] = {};
    HWINEVENTHOOK FTargetHooks[2] = {};
    HWND FTarget = nullptr;
    DWORD FTargetPid = 0;
};

} // namespace vcl
