// Shared helpers of the test programs: the application object, waiting for
// conditions, real target windows, real mouse input, key-event recording,
// memory bitmaps, hooks held for a scope and child test processes.
//
// The rule for every wait: wait for a condition with a generous limit, never
// for a fixed time, and say what was seen when the limit passes. An absence is
// asserted only after a positive event that proves the program had its chance.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/Forms.h"
#include "framework/Platform.h"

namespace testkit {

// The limit of every wait: far beyond what a loaded machine needs.
constexpr int kLimitMs = 20000;

// The process's application object, created and initialised on first use.
vcl::TApplication& App();

// Handles the messages that are waiting, without waiting for more.
void Pump();
// Pumps (with `pump`, else Pump) until `done` holds. After `ms` it fails,
// naming `what` and, when given, what `seen` reports of the state then.
::testing::AssertionResult WaitFor(const std::function<bool()>& done, const std::string& what,
                                   const std::function<std::string()>& seen = nullptr, int ms = kLimitMs,
                                   const std::function<void()>& pump = nullptr);
// Pumps until `n` ticks of a timer of `intervalMs` have been handled: proof that
// the message loop ran, timers included, for that long.
void LetTimersRun(int n, int intervalMs = 100);

// A window's title, "" when it has none.
std::string Title(HWND wnd);
// "title" (or "none") of the foreground window, for failure messages.
std::string Foreground();

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
    ::testing::AssertionResult Activate();
    void Destroy();

private:
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
// Every key event that reaches the system, as a low-level keyboard hook of
// this thread sees it (its callbacks arrive while the thread pumps messages):
// the user's own (hardware) keys and injected ones, with their flags and
// extra information, so that the pad's own events (marked kPadKeyMark, from
// this process or another) can be picked out.
class KeyHook {
public:
    struct Event {
        DWORD vk, flags;
        ULONG_PTR extra;
        bool up;
    };
    KeyHook();
    ~KeyHook();
    KeyHook(const KeyHook&) = delete;
    KeyHook& operator=(const KeyHook&) = delete;
    // The pad's own events for VK_SHIFT or VK_CONTROL (either side's code
    // counts): each one, true for a key-up.
    std::vector<bool> For(DWORD vk) const;
    // Whether an event of `vk` (for VK_SHIFT and VK_CONTROL, of either side)
    // came by, at or after position `from`.
    bool Saw(DWORD vk, bool up, bool injected, size_t from = 0) const;
    // Sends a key nobody uses and waits until it comes by: everything sent
    // before it has come by as well, through every hook of this thread (the
    // pad's keyboard watch included).
    ::testing::AssertionResult Flush();
    std::vector<Event> events;

private:
    static LRESULT CALLBACK Proc(int code, WPARAM wp, LPARAM lp);
    static KeyHook* self;
    HHOOK hook = nullptr;
};

// Holds `vk` again when Wine dropped it after the program pressed it (a re-read
// of the keyboard from X, which knows nothing of injected keys), so that a test
// of its release starts from a held key; true when it is held.
bool EnsureHeld(int vk);
void PrintTo(const KeyRecorder::Event& e, std::ostream* os);

// Records the message boxes shown through the seam instead of showing them
// (those with a UTF-16 text in code page 932), and answers each with `answer`,
// or with what `onBox` returns when it is set (it runs while the box is "open").
class MessageBoxRecorder {
public:
    struct Box {
        std::string text, caption;
        UINT type;
    };
    explicit MessageBoxRecorder(int answer = IDOK);
    ~MessageBoxRecorder();
    std::vector<Box> boxes;
    int answer;
    std::function<int(const Box&)> onBox;
};

// Stands in for the shell's notification area: notes each request as
// "op id flags tip" (checking the fields every request of a tray icon
// carries), a notification as "info id flags title|text" (in the record of
// the second version, which has those fields), and accepts it unless
// `refuse` says no.
class FakeShell {
public:
    FakeShell();
    ~FakeShell();
    FakeShell(const FakeShell&) = delete;
    FakeShell& operator=(const FakeShell&) = delete;
    // The requests as "op id", and how many of them are `op`.
    std::vector<std::string> Ops() const;
    int Count(const std::string& op) const;
    std::vector<std::string> requests;
    HICON icon = nullptr; // of the last add or modify
    std::function<bool(DWORD message)> refuse;
};

// Sets one of the platform seams for the life of the guard, and clears it
// again however the scope is left (a failed assertion included).
template <class Hook>
class ScopedHook {
public:
    ScopedHook(Hook& slot, Hook fn) : FSlot(slot) { FSlot = std::move(fn); }
    ~ScopedHook() { FSlot = nullptr; }
    ScopedHook(const ScopedHook&) = delete;
    ScopedHook& operator=(const ScopedHook&) = delete;

private:
    Hook& FSlot;
};
template <class Hook, class Fn>
ScopedHook<Hook> MakeScopedHook(Hook& slot, Fn fn) {
    return ScopedHook<Hook>(slot, Hook(std::move(fn)));
}

// The program's clock (the platform seam) for the life of the object. It
// stands still: it moves on by `step` at each read, and by what the test
// moves it on. `onRead` runs at each read, with their count so far.
class Clock {
public:
    explicit Clock(ULONGLONG step = 0);
    ~Clock();
    Clock(const Clock&) = delete;
    Clock& operator=(const Clock&) = delete;
    void Advance(ULONGLONG ms) { now += ms; }
    ULONGLONG now = 1000000;
    ULONGLONG step;
    int reads = 0;
    std::function<void(int reads)> onRead;
};

// Releases Shift and Ctrl, whatever a failed test left behind.
void ReleaseModifiers();
bool KeyHeld(int vk);

// The extra information of the probe key that MoveMouse holds across a move.
constexpr ULONG_PTR kProbeTag = 0x7E57;

// Wine re-reads the keyboard state from the X server, which knows nothing of
// injected keys, when the X focus moves or the pointer enters another window.
// A probe key (right Ctrl, tagged kProbeTag) pressed before such a change and
// seen let go shows that the re-read is over.
void ProbeDown();
void ProbeWait();
// Brings `wnd` to the foreground, pumping with `pump`, and returns once Wine
// has also moved the X focus there.
::testing::AssertionResult ActivateAndSettle(HWND wnd, const std::function<void()>& pump);

// A round trip to the X server: X events sent to this process before it are
// then waiting to be handled.
void XRoundTrip();
// An absolute pointer input at a screen point, in the 0..65535 units of SendInput.
MOUSEINPUT MouseAt(POINT screen, DWORD flags);
// Moves the pointer there; when it enters another window, returns once Wine has
// re-read the modifiers.
void MoveMouse(POINT screen);
// A click at a screen point with real input. On a window of this thread it
// returns once the thread has handled the press and the release.
void ClickAt(POINT screen, bool doubleClick = false);
void RightClickAt(POINT screen);

// A top-down 32-bit bitmap in a memory device context, filled with `fill`.
class Bitmap {
public:
    Bitmap(int w, int h, COLORREF fill);
    ~Bitmap();
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;
    HDC dc() const { return FDC; }
    COLORREF At(int x, int y) const;
    int Count(const RECT& r, const std::function<bool(COLORREF)>& match) const;
    int Count(const RECT& r, COLORREF c) const;

private:
    int FW;
    HDC FDC;
    HBITMAP FBmp;
    HGDIOBJ FOld;
    DWORD* FBits = nullptr;
};

// The size of `text` in a font the test makes itself (face, height as for
// CreateFont, weight, character set): a measurement independent of the program's fonts.
SIZE MeasureText(const char* face, int height, int weight, BYTE charset, const std::string& text);

// Whether the tests run under Wine (its ntdll exports wine_get_version).
// Tests that can only mean something there skip themselves elsewhere.
bool UnderWine();

// Bytes as two hex digits each, separated by blanks ("95 5C").
std::string Hex(const std::string& bytes);

// Folder of the running test program, ending in a backslash.
std::string ExeDir();

// Runs this test program again, as a child process, with only the tests that
// match `filter` (disabled ones included) and `env` ("NAME=value") set; returns
// its exit code, or fails when it does not end within `ms`.
::testing::AssertionResult RunChild(const std::string& filter, DWORD* code, const std::string& env = "",
                                    int ms = 120000);

// The caption bar of a captioned window as the window itself reports it (by
// hit-testing): the rows of the caption and the left edge of its buttons.
struct CaptionBar {
    int top = -1, bottom = -1; // the first row and one past the last
    int buttonsLeft = -1;      // the leftmost column of the leftmost caption button
};
CaptionBar MeasureCaption(HWND wnd);

} // namespace testkit
