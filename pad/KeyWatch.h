// Watches the keyboard for the user's own Shift and Ctrl releases, so that a
// latch the user has ended with the real key does not stay shown as held.
#pragma once

#include <windows.h>

#include <functional>

namespace vcl {

// The modifier behind a latch button.
enum class Latch { None, Shift, Ctrl };

// The latch whose hold a low-level keyboard event ends, or Latch::None.
// Only a key-up that was not injected (the user's own key, not the pad's
// synthesized input) counts. Windows keeps the left and the right key apart:
// releasing one side ends the hold only when the other side is not down too
// (`otherSideDown`, read before the event takes effect).
Latch LatchEndedByKey(WPARAM message, DWORD vkCode, DWORD flags, bool otherSideDown);

// The side opposite `vkCode` (VK_LSHIFT for VK_RSHIFT and so on); 0 for a key
// without sides or one that is not a modifier the pad latches.
DWORD OtherSideOf(DWORD vkCode);

// One poll's verdict on a latch that is down: true when its button must go up
// because the system no longer holds its key. `keyDown` is the system's view;
// `misses` counts the polls in a row that saw the key up under a down button
// and is updated. A single miss is not enough: the key-down the pad has just
// sent may not have reached the system's key state yet.
bool LatchLostItsKey(bool buttonDown, bool keyDown, int& misses);

// A low-level keyboard hook on the calling (GUI) thread. Its callbacks arrive
// while that thread handles messages; each one only classifies the event,
// reports an ended latch and hands the event on to the next hook, so input is
// never held up. One watch at a time can be active in a process.
class KeyWatch {
public:
    KeyWatch() = default;
    ~KeyWatch();
    KeyWatch(const KeyWatch&) = delete;
    KeyWatch& operator=(const KeyWatch&) = delete;

    // Installs the hook; false (and nothing watched) when the system refuses it.
    bool Start(std::function<void(Latch)> onLatchEnded);
    void Stop();
    bool Active() const { return FHook != nullptr; }

private:
    static LRESULT CALLBACK HookProc(int code, WPARAM wParam, LPARAM lParam);
    static KeyWatch* FActive;
    HHOOK FHook = nullptr;
    std::function<void(Latch)> FOnLatchEnded;
};

} // namespace vcl
