// The one narrow seam for effects that reach beyond the program: synthesized
// key events, foreground changes, message boxes, notification-area icons, the
// low-level keyboard hook, window events, session notifications, process
// integrity levels, the registry values the program keeps, its single-instance
// mutex and the process's code page.
// The program calls these wrappers; a test may install a hook to watch (and
// still forward) every call.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>

namespace platform {

// What can be learnt about a process's rights: `opened` is false when the
// process or its token could not be opened, and `level` is then meaningless.
// `level` is the integrity level of its token (SECURITY_MANDATORY_*_RID:
// medium 0x2000 for an ordinary program, high 0x3000 for one run as
// administrator). Windows keeps input from reaching a window of a process at a
// higher level than the sender's.
struct ProcessIntegrity {
    bool opened = false;
    DWORD level = 0;
};

// The resolutions a window runs at, in pixels per inch, 0 where the system
// cannot say: its monitor's (GetDpiForMonitor, asked as a per-monitor aware
// thread; the system's own resolution on systems before per-monitor
// resolutions, and with a single monitor where the thread cannot become per-
// monitor aware) and the window's own (GetDpiForWindow: 96 for a program unaware
// of resolutions, the system's for a system-aware one, the monitor's for a
// per-monitor aware one). `physical` is the window rectangle in the monitor's
// own pixels, when `physicalKnown`.
struct WindowDpi {
    UINT monitor = 0;
    UINT window = 0;
    bool physicalKnown = false;
    RECT physical{};
};

// The mark every key event of the pad carries (its dwExtraInfo), so that the
// pad's keyboard watch tells the pad's own events from every other program's.
constexpr ULONG_PTR kPadKeyMark = 0x56504144;

struct Hooks {
    // One synthesized key event (SendInput); returns the number of events the
    // system took, 0 when it refused.
    std::function<UINT(WORD vk, DWORD flags)> sendKey;
    std::function<BOOL(HWND wnd)> setForegroundWindow;
    std::function<int(HWND owner, const char* text, const char* caption, UINT type)> messageBox;
    // Message boxes whose text may hold characters code page 932 cannot (a
    // path). Without this hook such a box goes to `messageBox` in code page
    // 932 when that hook is installed, so a test watching every box sees it.
    std::function<int(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type)> messageBoxW;
    std::function<BOOL(DWORD message, NOTIFYICONDATAA* data)> shellNotifyIcon;
    // The shell's about box and the help viewer.
    std::function<int(HWND owner, const char* app, const char* other, HICON icon)> shellAbout;
    std::function<BOOL(HWND owner, const char* helpFile, UINT command, ULONG_PTR data)> winHelp;
    // Opens a file with the program the user has for it (ShellExecuteW
    // "open"); false when the shell could not.
    std::function<bool(HWND owner, const wchar_t* file)> shellOpen;
    // The desktop window manager's attributes of a window (DwmGetWindowAttribute).
    std::function<HRESULT(HWND wnd, DWORD attribute, void* value, DWORD size)> dwmGetWindowAttribute;
    // The low-level keyboard hook (SetWindowsHookExA(WH_KEYBOARD_LL) on the
    // calling thread's module) and its removal.
    std::function<HHOOK(HOOKPROC proc)> setKeyboardHook;
    std::function<BOOL(HHOOK hook)> unhookKeyboard;
    // Out-of-context window events (SetWinEventHook with WINEVENT_OUTOFCONTEXT)
    // of one process (`pid`) or of all (0), and their removal.
    std::function<HWINEVENTHOOK(DWORD eventMin, DWORD eventMax, WINEVENTPROC proc, DWORD pid)> setWinEventHook;
    std::function<BOOL(HWINEVENTHOOK hook)> unhookWinEvent;
    // Session notifications for a window (WTSRegisterSessionNotification and
    // its counterpart).
    std::function<BOOL(HWND wnd, DWORD flags)> registerSessionNotification;
    std::function<BOOL(HWND wnd)> unregisterSessionNotification;
    // The integrity level of a process (its token's TokenIntegrityLevel).
    std::function<ProcessIntegrity(DWORD pid)> processIntegrity;
    // Whether the modifier key is down for the system (GetAsyncKeyState).
    std::function<bool(int vk)> keyDown;
    // The resolutions of a window and its monitor.
    std::function<WindowDpi(HWND wnd)> windowDpi;
    // Lets `message` reach `wnd` from processes of a lower integrity level
    // (ChangeWindowMessageFilterEx with MSGFLT_ALLOW).
    std::function<BOOL(HWND wnd, UINT message)> allowMessage;
    // A string value of the registry (the Run key that starts programs with
    // Windows): read (false when there is none), written, deleted (true when
    // it is gone, also when it was never there).
    std::function<bool(HKEY root, const wchar_t* key, const wchar_t* name, std::wstring* value)> readRegistryString;
    std::function<bool(HKEY root, const wchar_t* key, const wchar_t* name, const std::wstring& value)>
        writeRegistryString;
    std::function<bool(HKEY root, const wchar_t* key, const wchar_t* name)> deleteRegistryValue;
    // A string value written under a volatile key (created volatile when it
    // is missing: it and its values are gone when Windows restarts).
    std::function<bool(HKEY root, const wchar_t* key, const wchar_t* name, const std::wstring& value)>
        writeVolatileRegistryString;
    // A binary value of the registry (REG_BINARY): false when there is none.
    std::function<bool(HKEY root, const wchar_t* key, const wchar_t* name, std::string* bytes)> readRegistryBinary;
    // A named mutex of the session (CreateMutexW, not owned): the handle, or
    // null with the reason in `error` (ERROR_ACCESS_DENIED when it exists but
    // belongs to a process of a higher integrity level).
    std::function<HANDLE(const wchar_t* name, DWORD* error)> createMutex;
    // The process's ANSI code page (GetACP).
    std::function<UINT()> codePage;
    // A system metric (GetSystemMetrics), where a test stands in for a
    // system that reports another one (Wine reports no padded border).
    std::function<int(int index)> systemMetric;
    // The clock the program's waits and pauses are measured with
    // (GetTickCount64): the wait for a settings file another program holds,
    // the pause before a slow window is asked for its caption again, the
    // period of the tray icon's quiet retries. A test moves time on instead
    // of waiting for it.
    std::function<ULONGLONG()> tickCount;
    // The interval of the tray icon's quiet retries (a timer), in
    // milliseconds, where a test sets a shorter one; 0 keeps the program's own.
    unsigned trayRetryInterval = 0;
};

// The installed hooks; an empty hook means the real call.
Hooks& hooks();

// Milliseconds since the system started (GetTickCount64), or the test's clock.
ULONGLONG TickCount();
// GetSystemMetrics, or the test's stand-in.
int SystemMetric(int index);

// One key event for `vk` (KEYEVENTF_KEYUP in `flags` for a release), sent with
// SendInput and marked kPadKeyMark. Returns the number of events the system
// took: 0 when it refused them (input blocked, or another program's window of a
// higher integrity level has the input: Windows does not always say so).
UINT SendKey(WORD vk, DWORD flags);
// The same without the hook: what SendKey does for real.
UINT SendKeyToSystem(WORD vk, DWORD flags);
BOOL SetForeground(HWND wnd);
int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT type);
// A message box with a UTF-16 text and caption (MessageBoxW).
int ShowMessageBoxW(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);
// The shell's about box (ShellAboutA) and the help viewer (WinHelpA).
int ShellAbout(HWND owner, const char* app, const char* other, HICON icon);
BOOL WinHelp(HWND owner, const char* helpFile, UINT command, ULONG_PTR data);
// ShellExecuteW(owner, "open", file): the user's program for the file, such as
// the browser for an HTML page. False when the shell reports a failure.
bool ShellOpen(HWND owner, const wchar_t* file);
// Adds, modifies or deletes a notification-area icon (Shell_NotifyIconA).
BOOL ShellNotifyIcon(DWORD message, NOTIFYICONDATAA* data);
// DwmGetWindowAttribute from dwmapi.dll, loaded on first use; E_NOTIMPL where
// the system has no desktop window manager.
HRESULT DwmGetWindowAttribute(HWND wnd, DWORD attribute, void* value, DWORD size);
// Installs a low-level keyboard hook on the calling thread; null when refused.
HHOOK SetKeyboardHook(HOOKPROC proc);
BOOL UnhookKeyboard(HHOOK hook);
// Window events from `eventMin` to `eventMax` of process `pid` (0: every
// process), delivered to `proc` on the calling thread while it pumps messages;
// null when refused.
HWINEVENTHOOK SetWinEventHook(DWORD eventMin, DWORD eventMax, WINEVENTPROC proc, DWORD pid);
BOOL UnhookWinEvent(HWINEVENTHOOK hook);
// Registers `wnd` for WM_WTSSESSION_CHANGE (WTSRegisterSessionNotification).
BOOL RegisterSessionNotification(HWND wnd, DWORD flags);
BOOL UnregisterSessionNotification(HWND wnd);
// OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION) + OpenProcessToken +
// GetTokenInformation(TokenIntegrityLevel).
ProcessIntegrity QueryProcessIntegrity(DWORD pid);
// Bit 15 of GetAsyncKeyState.
bool KeyDown(int vk);
// GetDpiForMonitor, GetDpiForWindow and SetThreadDpiAwarenessContext, loaded
// on first use: older systems lack them (see WindowDpi).
WindowDpi QueryWindowDpi(HWND wnd);
// ChangeWindowMessageFilterEx (Windows 7), else the process-wide
// ChangeWindowMessageFilter (Vista), loaded on first use; TRUE where neither
// exists (no integrity levels, nothing is filtered).
BOOL AllowMessageFromLowerLevels(HWND wnd, UINT message);

// A REG_SZ value under `root`\`key`; the key is created for a write.
bool ReadRegistryString(HKEY root, const wchar_t* key, const wchar_t* name, std::wstring* value);
bool WriteRegistryString(HKEY root, const wchar_t* key, const wchar_t* name, const std::wstring& value);
bool DeleteRegistryValue(HKEY root, const wchar_t* key, const wchar_t* name);
// WriteRegistryString under a key created with REG_OPTION_VOLATILE.
bool WriteVolatileRegistryString(HKEY root, const wchar_t* key, const wchar_t* name, const std::wstring& value);
// A REG_BINARY value's bytes; false when there is none (or another type).
bool ReadRegistryBinary(HKEY root, const wchar_t* key, const wchar_t* name, std::string* bytes);

// CreateMutexW(nullptr, FALSE, name); on failure `error` holds GetLastError().
HANDLE CreateNamedMutex(const wchar_t* name, DWORD* error);
// GetACP.
UINT ProcessCodePage();

} // namespace platform
