// Watches the keyboard for the user's own Shift and Ctrl releases, so that a
// latch the user has ended with the real key does not stay shown as held, and
// for the arrival of the pad's own key-downs, so that a latch is only judged
// by the system's key state once its key-down has really reached the system.
#pragma once

#include <windows.h>

namespace vcl {

// The modifier behind a latch button.
enum class Latch { None, Shift, Ctrl };

// The latch whose hold a low-level keyboard event ends, or Latch::None.
// Only a key-up that was not injected (the user's own key, not the pad's
// synthesized input) counts. Windows keeps the left and the right key apart:
// releasing one side ends the hold only when the other side is not down too
// (`otherSideDown`, read before the event takes effect).
Latch LatchEndedByKey(WPARAM message, DWORD vkCode, DWORD flags, bool otherSideDown);

// The latch whose key-down, sent by the pad itself (injected and carrying the
// pad's mark), a low-level keyboard event is; Latch::None for any other event.
Latch PadKeyDownArrived(WPARAM message, DWORD vkCode, DWORD flags, ULONG_PTR extraInfo);

// The side opposite `vkCode` (VK_LSHIFT for VK_RSHIFT and so on); 0 for a key
// without sides or one that is not a modifier the pad latches.
DWORD OtherSideOf(DWORD vkCode);

// One poll's verdict on a latch that is down: true when its button must go up
// because the system no longer holds its key. `keyDown` is the system's view;
// `misses` counts the polls in a row that saw the key up under a down button
// and is updated. Polls count only once `downArrived`: the pad's own key-down
// may be held up on its way (another program's slow hook, a loaded machine),
// and a button raised before it lands would leave the key held under a raised
// button. Even then a single miss is not enough: the system's key state may
// lag behind the event.
bool LatchLostItsKey(bool buttonDown, bool keyDown, bool downArrived, int& misses);

// What a watch reports to its window: the message's wParam is one of these,
// its lParam the Latch concerned.
enum KeyWatchReport : WPARAM {
    kLatchEndedByUser = 1,    // the user let go of the real key
    kPadKeyDownArrived = 2,   // the pad's own key-down reached the system
};

// A low-level keyboard hook on a thread of its own, which does nothing but
// classify each event, post what concerns the pad to the pad's window and hand
// the event on. The system removes a low-level hook silently when its thread
// does not answer within its time-out; the GUI thread may stall (a slow file
// write, paging after resume), this thread never does, and no keyboard input
// ever waits on the GUI thread. Should the system remove the hook all the same,
// the pad notices the silence and starts the watch again. One watch at a time
// can be active in a process.
class KeyWatch {
public:
    KeyWatch() = default;
    ~KeyWatch();
    KeyWatch(const KeyWatch&) = delete;
    KeyWatch& operator=(const KeyWatch&) = delete;

    // Installs the hook on a new thread, whose reports arrive as `message` at
    // `notify`; false (and nothing watched) when the system refuses the hook.
    bool Start(HWND notify, UINT message);
    // Removes the hook and ends its thread.
    void Stop();
    bool Active() const { return FThread != nullptr; }
    // Stops the active watch, if any: the ways out of the program remove the
    // hook before their last key-ups, so that no keyboard input waits on a
    // hook whose process is ending.
    static void StopActive();

private:
    static DWORD WINAPI ThreadProc(void* start);
    static LRESULT CALLBACK HookProc(int code, WPARAM wParam, LPARAM lParam);
    HANDLE FThread = nullptr;
    DWORD FThreadId = 0;
    HWND FNotify = nullptr;
    UINT FMessage = 0;
};

} // namespace vcl
