// The pad's account of the key events it sends, so that no key it pressed is
// left held: a key-up that may not have arrived is owed and sent again, and a
// key-down that lands after its button went up is followed by its key-up.
#pragma once

#include <windows.h>

#include <string>

namespace vcl {

// The two keys the pad latches, as indexes.
enum PadKey : int { kShiftKey = 0, kCtrlKey = 1 };

class KeyLedger {
public:
    // A key-down went out and the system took `taken` events of it, toward a
    // window that could (`reachable`) or could not take the pad's input. A
    // refused one (0) cannot land later: the key's state then counts as settled.
    void DownSent(int key, UINT taken, bool reachable = true);
    // A key-up went out, the system took `taken` events of it, and the window
    // that had the input could (`reachable`) or could not take the pad's input.
    // Windows drops input aimed at a window of a higher integrity level (an
    // elevated program, the consent prompt, the secure desktop) without a word,
    // and SendInput may report that as success: such a key-up, and a refused
    // one, may never have arrived, and stays owed.
    void UpSent(int key, UINT taken, bool reachable);
    // The keyboard watch saw the pad's own key-down arrive. True when a key-up
    // must go out now: the button went up without a key event (the user's own
    // key, or the polls) while the key-down was still on its way.
    bool DownArrived(int key, bool buttonDown);
    // The button went up without a key event.
    void RaisedWithoutKey(int key);
    // Whether the system's key state says anything about the latch yet: its
    // key-down has arrived, was refused, or nobody watches for its arrival.
    bool DownSettled(int key, bool watching) const;
    // On a poll: true when the owed key-up is to be sent again now. While the
    // input goes to a window that cannot take the pad's input, or to none (the
    // lock screen, the secure desktop), the debt stays whatever the key reads:
    // the system then reads every key up to the pad (GetAsyncKeyState returns
    // 0 across that barrier), so the reading proves nothing. Once a window
    // that can take the input has it, the key read up ends the debt; read
    // down, the key-up is sent again, on every such poll.
    bool ResendOwed(int key, bool keyDown, bool reachable);
    // On a poll while the keyboard watch is active: true once a key-down the
    // system took, sent toward a window that could take it, has gone
    // unreported for kArrivalPolls polls. The system removes a low-level hook
    // that overran its time-out without a word; the watch is then to be
    // started again and the key-down counted as arrived.
    bool DownOverdue(int key);
    // About a second of the pad's 100 ms polls.
    static constexpr int kArrivalPolls = 10;
    bool Owed(int key) const { return FOwed[key]; }
    // Whether a key the pad pressed may still be held: a key-down on its way
    // or arrived, or a key-up owed.
    bool MayHoldKeys() const;

private:
    enum State : unsigned char { Up, DownOnItsWay, DownArrivedState };
    State FState[2] = {Up, Up};
    bool FOwed[2] = {false, false};
    bool FDownReachable[2] = {false, false};
    int FPollsOnItsWay[2] = {0, 0};
};

// A mark kept outside the process while the pad may hold a key, so that the
// next start lets go only of keys that a pad which could not (killed, or
// ended where no handler ran) left held: not of keys the user holds while
// starting the program, nor of a latch of a copy with another settings file.
// A string value under a volatile key of the current user: it is gone after
// a restart of Windows, as every held key is.
class HeldKeysMark {
public:
    // The value's name: one per settings file.
    void SetName(const std::wstring& name) { FName = name; }
    // Writes or removes the mark, when that changes it.
    void Set(bool held);
    // True when a mark by this name was left; it is removed.
    bool TakeLeft();

private:
    std::wstring FName;
    bool FSet = false;
};

// HKEY_CURRENT_USER\Software\Vantro Pad, created volatile.
extern const wchar_t kHeldKeysKey[];

} // namespace vcl
