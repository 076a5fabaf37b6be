// Shared helpers of the test programs: the application object, real target
// windows, message pumping and key-event recording.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/Forms.h"
#include "framework/Platform.h"

namespace testkit {

// The process's application object, created and initialised on first use.
vcl::TApplication& App();

// Handles waiting messages for `ms` milliseconds.
void Pump(int ms);
// Pumps until `done` holds or `ms` pass; returns whether it held.
bool WaitFor(const std::function<bool()>& done, int ms = 3000);

// A real top-level window owned by the test, with a code page 932 title.
class Window {
public:
    explicit Window(const std::string& title, DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                    RECT bounds = RECT{100, 100, 700, 500}, DWORD exStyle = 0, HWND owner = nullptr);
    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND hwnd() const { return FWnd; }
    RECT Rect() const;
    // Brings the window to the foreground and waits until it is there.
    void Activate();
    void Destroy();

    // Left-button presses that reached the window, with their key flags.
    std::vector<WPARAM> ClickKeys;

private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    HWND FWnd = nullptr;
};

// Records every key event the program sends through the seam (and still sends it).
class KeyRecorder {
public:
    struct Event {
        BYTE vk;
        DWORD flags;
        bool operator==(const Event& o) const { return vk == o.vk && flags == o.flags; }
    };
    KeyRecorder();
    ~KeyRecorder();
    std::vector<Event> events;
};

// Records message boxes shown through the seam instead of showing them.
class MessageBoxRecorder {
public:
    struct Box {
        std::string text, caption;
        UINT type;
    };
    MessageBoxRecorder();
    ~MessageBoxRecorder();
    std::vector<Box> boxes;
};

// Releases Shift and Ctrl, whatever a failed test left behind.
void ReleaseModifiers();
bool KeyHeld(int vk);

// A left click at a screen point with real input.
void ClickAt(POINT screen, bool doubleClick = false);
void RightClickAt(POINT screen);

// Full path of a program next to the running test program.
std::string ExeDir();

} // namespace testkit
