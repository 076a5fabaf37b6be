// Runs the real vantro.exe as a process of its own, from a private folder so
// that its settings file is its own.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/WideProfile.h"
#include "tests/support/testkit.h"

namespace testkit {

// A folder name that code page 932 cannot hold ("Zoë été 한": ë and é have no
// code page 932 form, nor has the Hangul syllable).
extern const wchar_t kNameOutside932[];

// Code page 932 text in UTF-16, and back ("?" for what the code page lacks):
// the program's own conversions.
using vcl::ini::Cp932From;
using vcl::ini::WideFrom932;

// A new private folder under the temp folder; with `name`, a folder of that
// name inside it, which is then the one offered. Removed with its files.
class TempFolder {
public:
    explicit TempFolder(const std::wstring& name = L"");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    // Both end in a backslash; the code page 932 form only as far as it goes.
    const std::wstring& DirW() const { return FDir; }
    std::string Dir() const { return Cp932From(FDir); }

private:
    std::wstring FParent, FDir;
};

class VantroProcess {
public:
    // Copies vantro.exe into a new folder under the temp folder; with
    // `folderName`, into a folder of that name inside it.
    explicit VantroProcess(const std::wstring& folderName = L"");
    ~VantroProcess();
    VantroProcess(const VantroProcess&) = delete;
    VantroProcess& operator=(const VantroProcess&) = delete;

    std::string Dir() const { return FFolder.Dir(); }
    std::string IniPath() const { return Dir() + "vantro.ini"; }
    std::wstring IniPathW() const { return FFolder.DirW() + L"vantro.ini"; }
    // False when the copy of vantro.exe failed.
    bool Copied() const { return FCopied; }

    // Starts the copy (with CreateProcessW, in its own folder). It may be
    // started again once the last run has ended.
    bool Start();
    // Starts one more process of the same copy, apart from the one Start
    // runs; its process handle (the caller closes it), or null.
    HANDLE Launch() const;
    // The pad window of the process (class TVTform), waiting for it.
    HWND Pad();
    // Waits until the pad is docked on `target` (visible, wider than 100
    // pixels) just left of its caption buttons, as measured on the screen.
    // Brings the target to the front again meanwhile if it lost the activation.
    ::testing::AssertionResult WaitDockedOn(HWND target);
    // Waits until the pad is hidden (zero width).
    ::testing::AssertionResult WaitHidden();
    // Asks the pad to close; true when the process then ends within the limit.
    ::testing::AssertionResult Close();
    ::testing::AssertionResult WaitExit();
    bool Running() const;
    DWORD Pid() const { return FPi.dwProcessId; }
    // Top-level windows of the process with the given class.
    std::vector<HWND> Windows(const char* className) const;
    // The first of them, or nullptr.
    HWND Form(const char* className) const;
    // The text of the first message box of the process, or "" when none is open.
    std::string MessageBoxText(HWND* box = nullptr) const;
    // The same in UTF-16, for a text code page 932 cannot hold (a path).
    std::wstring MessageBoxTextW(HWND* box = nullptr) const;
    // The exit code of the last run (STILL_ACTIVE while it runs).
    DWORD ExitCode() const;
    void Kill();

private:
    TempFolder FFolder;
    bool FCopied = false;
    PROCESS_INFORMATION FPi{};
};

// A test of the real program: no modifier held and the pointer parked in a
// corner before it (a window mapped under the pointer would make Wine drop
// injected modifiers); the program killed and the keys released after it.
class VantroTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the program and docks its pad on `target`.
    void StartDocked(Window& target);
    RECT PadRect() const;
    // Points on the docked pad, found with the pad's layout for its measured width.
    POINT NameLabel() const;
    POINT ShiftButton() const;
    // With SHIFT latched: clicks on SHIFT until one lets go of the key, and
    // checks that it takes one click, or two when Wine let go of Shift by
    // itself and the pad raised SHIFT (the first then latches anew); each
    // click sends exactly one Shift event, and Shift is up at the end.
    void ExpectNextLatchClickReleases(KeyHook& hook);
    POINT CtrlButton() const;

    HWND Settings() const { return proc.Form("TEditForm"); }
    // The settings dialog shown and in the foreground, ready for clicks.
    ::testing::AssertionResult SettingsOpen();
    ::testing::AssertionResult SettingsClosed();
    // Clicks a button or check box of a dialog of the program, by class and caption.
    void ClickControl(HWND dialog, const char* cls, const char* caption);
    // Clicks an item of a list box of a dialog of the program.
    void ClickListItem(HWND list, int index);
    // Chooses the first item of the menu bar of the program's dialog in the
    // foreground, with the keyboard.
    void ChooseFirstMenuBarItem(HWND dialog);
    // Ticks a check box of a dialog of the program, and checks that it took.
    void Tick(HWND dialog, const char* caption);
    // A callback of the tray icon, as the shell posts it.
    void TrayCallback(UINT mouse);
    // The open popup menu of the program, waited for.
    HWND WaitMenu();

    VantroProcess proc;
    HWND pad = nullptr;
};

// The icon windows in Wine's stand-in notification area (one child window
// each); `trayFound` tells whether there is such an area (not under Wine, or
// no icon yet, there is none).
std::vector<HWND> WineTrayIconWindows(bool* trayFound = nullptr);
// How many icons that area holds, or -1 when there is none.
int WineTrayIcons();

// The settings file a first run writes: the three default targets, in code page 932.
extern const char kFirstRunFile[];

// The whole content of a file, or "" when it cannot be read.
std::string ReadFileBytes(const std::string& path);
std::string ReadFileBytes(const std::wstring& path);
bool WriteFileBytes(const std::string& path, const std::string& bytes);
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);

// Holds a file open without sharing, as a backup tool or a virus scanner may,
// until Release or the end of the scope. Reads and writes by others fail meanwhile.
class HeldFile {
public:
    explicit HeldFile(const std::wstring& path);
    explicit HeldFile(const std::string& path) : HeldFile(WideFrom932(path)) {}
    ~HeldFile() { Release(); }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;
    bool Held() const { return FHandle != INVALID_HANDLE_VALUE; }
    // Lets go of the file (from any thread).
    void Release();

private:
    HANDLE FHandle;
};

} // namespace testkit
