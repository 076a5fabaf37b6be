// One pad per settings file. A second start of the program for the same
// settings file hands over to the pad that runs (which opens its settings
// dialog, as a click on its tray icon does) and ends without touching the
// file. Copies of the program in other folders have files of their own and
// run side by side.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace vcl {

// Posted by a second start to the running pad: open the settings dialog.
constexpr UINT WM_PADHANDOVER = WM_APP + 2;

// The identity of a settings file: a hash of its full path with letter case
// folded (the file system ignores case), so that every spelling of one path
// gives one key and other paths give others.
uint64_t InstanceKey(const std::wstring& settingsPath);
// The name of the session's mutex that the pad for that file holds.
std::wstring InstanceName(uint64_t key);

// What a start does next.
enum class StartAction {
    Run,       // no pad runs for the file (or the one that ran has ended): this is the pad
    HandOver,  // a pad runs for the file: hand over to it and end
    Wait,      // a pad holds the file but has no window yet (starting) or no more (ending)
    End,       // it never showed a window: end without doing anything
};
StartAction DecideStart(bool ownsInstance, bool padFound, bool waitedEnough);

// The running program's side: Claim at start, Mark once the pad has its window.
class SingleInstance {
public:
    SingleInstance() = default;
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when this process is to be the pad for the executable's settings
    // file. False when it handed over to the pad that runs (or gave up on one
    // that did not show its window within `waitMs`, or told the user that the
    // pad runs as administrator): the program then ends.
    bool Claim(unsigned waitMs);
    // Marks the pad's window, so that a later start finds it, and lets the
    // hand-over message through from processes of a lower integrity level.
    void Mark(HWND pad) const;

private:
    HANDLE FMutex = nullptr;
    bool FOwned = false;
    uint64_t FKey = 0;
};

// What a start tells the user instead of handing over to a pad that would
// drop the hand-over without a word: one that does not answer (hung), or one
// that is asking whether to end without saving. Null when it can take it.
const char* HandOverRefusedText(bool padHung, bool padAsking);
// The pad's window carries this mark while it asks whether to end without
// saving, so that a start can tell.
void MarkAskingToEnd(HWND pad, bool asking);
bool PadAskingToEnd(HWND pad);

// What a start says when the pad for its file runs as administrator and this
// start does not: the pad's mutex refuses it, and so would the pad's window.
extern const char* const kPadRunsElevatedText;

// How long a second start waits for the running pad's window.
constexpr unsigned kHandOverWait = 10000;

} // namespace vcl
