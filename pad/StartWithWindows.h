// Starting the pad with Windows, from its context menu: a value under the
// current user's Run key holding the program's quoted full path. Users of the
// pad work with a mouse or a pen; the usual way (Win+R, shell:startup, a
// shortcut) needs a keyboard.
#pragma once

#include <string>

namespace vcl {

// HKCU\Software\Microsoft\Windows\CurrentVersion\Run, and the pad's value there.
extern const wchar_t kRunKey[];
extern const wchar_t kRunValueName[];

// What the Run value holds for the program at `exePath`: the path in quotes,
// so that a folder name with blanks stays one path.
std::wstring StartCommandFor(const std::wstring& exePath);

// Whether a Run value's command starts the program at `exePath`: its program
// path, quoted or not (arguments after it allowed), is that path, letter case
// ignored as Windows ignores it in paths. A copy that was moved, or another
// program, does not count.
bool StartCommandRuns(const std::wstring& command, const std::wstring& exePath);

// HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\StartupApproved\Run:
// where the startup apps switch (Settings, Task Manager) keeps a binary value
// of the Run value's name when the user switches a program off there. The
// Run value stays; the program then does not start.
extern const wchar_t kStartupApprovedKey[];

// Whether such a value lets the program start: a first byte of 02 or 06 is
// "on", anything else (an empty value included) "off". Not documented, but
// what the shell and Task Manager read and write.
bool StartupApprovedOn(const std::string& bytes);

// Whether the Run value starts this very program and no "off" value stands
// beside it (read through the platform seam).
bool StartsWithWindows();
// Writes the value for this program and removes an "off" value beside it, or
// deletes the Run value; false when the system refused.
bool SetStartWithWindows(bool on);

} // namespace vcl
