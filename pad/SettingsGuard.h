// How the pad deals with a settings file it cannot read or write: the
// decisions and the messages, apart from the pad form so that tests can call
// them without windows.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "settings/WideProfile.h"

namespace vcl {

// How long the pad waits at start for a settings file that another program
// holds open (a backup or sync tool, a virus scanner) before it gives up.
constexpr unsigned kSettingsReadWait = 3000;

// The three settings the pad keeps.
struct PadSettingsValues {
    bool all = false;
    bool noBoth = false;
    std::vector<std::string> targets;
    bool operator==(const PadSettingsValues& o) const {
        return all == o.all && noBoth == o.noBoth && targets == o.targets;
    }
    bool operator!=(const PadSettingsValues& o) const { return !(*this == o); }
};

// Posted to the pad when its settings file could not be read at start: the
// message is shown from the message loop, once start-up is done.
// Its wParam says which message.
constexpr UINT WM_SETTINGSUNREAD = WM_APP + 1;
enum SettingsNotice : WPARAM { kSettingsUnread = 0, kCodePageRefusesSave = 1 };

// Whether a save writes the settings. Always when the file was read at start.
// When it could not be read, the pad runs with the defaults, and the file
// still holds the user's own settings: it is written only once the settings
// differ from those the pad started with, that is when the user changed them.
bool SettingsToWrite(bool readFailed, const PadSettingsValues& atStart, const PadSettingsValues& now);

// Whether the pad's commands that open a dialog (a click on the pad or its
// tray icon, the context menu's items) may run. Not while the question whether
// to end without saving is open: a dialog would open inside that box, and
// what was changed there would be thrown away by its answer.
bool PadCommandsAllowed(bool askingToEnd);

// Whether the settings file (or its save copy) at `file` holds a whole save of
// the pad's: a save writes "[Pad] NoBoth" last, so a copy without it was cut
// short. A copy is made from the file, which holds that key already, and the
// file is taken away only once the copy is written and flushed: a copy whose
// file is missing holds it only when its save got that far.
bool SavedWhole(const std::wstring& file);

// Whether the settings file may be written by a process whose ANSI code page
// is `codePage`. The profile calls keep the file in the process's code page;
// the program's texts are code page 932. A single-byte page takes every byte
// of them through unchanged, as code page 932 itself does; UTF-8 (65001) or
// another double-byte page (936, 949, 950) turns them into other characters,
// so the list read at start is already damaged and must never be written back.
bool CodePageKeepsSettings(unsigned codePage);
// The one message that says so: why nothing is saved, and what to change.
std::wstring CodePageRefusesSaveText(const std::wstring& path, unsigned codePage);

// Whether a start shows the notification that tells where the program is:
// only a start that finds no settings file and no whole copy of one left by a
// save cut short, the user's first (the first exit writes the file). Before
// it, nothing shows the user that the program runs.
bool FirstStartNoticeWanted(ini::FileReadState settingsFile, bool wholeCopyLeft);
// That notification's title and its two lines: where the icon is, and what a
// press on it (or on the notification) does.
extern const char* const FirstStartNoticeTitle;
extern const char* const FirstStartNoticeText;

// The message that the file could not be read (once, at start), and the
// question after a failed write: "<path> に書き込めません." followed by whether
// to end without saving. The path is the platform's own, as the user sees it.
std::wstring SettingsReadFailedText(const std::wstring& path);
std::wstring SettingsWriteFailedText(const std::wstring& path);

} // namespace vcl
