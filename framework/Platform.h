// The one narrow seam for effects that reach beyond the program: synthesized
// key events, foreground changes, message boxes, notification-area icons, the
// low-level keyboard hook, session notifications and process elevation.
// The program calls these wrappers; a test may install a hook to watch (and
// still forward) every call.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>

namespace platform {

// What can be learnt about a process's elevation: `opened` is false when the
// process or its token could not be opened, and `elevated` is then meaningless.
struct ProcessElevation {
    bool opened = false;
    bool elevated = false;
};

struct Hooks {
    std::function<void(BYTE vk, BYTE scan, DWORD flags, ULONG_PTR extra)> keybdEvent;
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
    // The desktop window manager's attributes of a window (DwmGetWindowAttribute).
    std::function<HRESULT(HWND wnd, DWORD attribute, void* value, DWORD size)> dwmGetWindowAttribute;
    // The low-level keyboard hook (SetWindowsHookExA(WH_KEYBOARD_LL) on the
    // calling thread's module) and its removal.
    std::function<HHOOK(HOOKPROC proc)> setKeyboardHook;
    std::function<BOOL(HHOOK hook)> unhookKeyboard;
    // Session notifications for a window (WTSRegisterSessionNotification and
    // its counterpart).
    std::function<BOOL(HWND wnd, DWORD flags)> registerSessionNotification;
    std::function<BOOL(HWND wnd)> unregisterSessionNotification;
    // Whether a process runs elevated (its token's TokenElevation).
    std::function<ProcessElevation(DWORD pid)> processElevation;
    // Whether the modifier key is down for the system (GetAsyncKeyState).
    std::function<bool(int vk)> keyDown;
};

// The installed hooks; an empty hook means the real call.
Hooks& hooks();

void KeybdEvent(BYTE vk, BYTE scan, DWORD flags, ULONG_PTR extra);
BOOL SetForeground(HWND wnd);
int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT type);
// A message box with a UTF-16 text and caption (MessageBoxW).
int ShowMessageBoxW(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);
// The shell's about box (ShellAboutA) and the help viewer (WinHelpA).
int ShellAbout(HWND owner, const char* app, const char* other, HICON icon);
BOOL WinHelp(HWND owner, const char* helpFile, UINT command, ULONG_PTR data);
// Adds, modifies or deletes a notification-area icon (Shell_NotifyIconA).
BOOL ShellNotifyIcon(DWORD message, NOTIFYICONDATAA* data);
// DwmGetWindowAttribute from dwmapi.dll, loaded on first use; E_NOTIMPL where
// the system has no desktop window manager.
HRESULT DwmGetWindowAttribute(HWND wnd, DWORD attribute, void* value, DWORD size);
// Installs a low-level keyboard hook on the calling thread; null when refused.
HHOOK SetKeyboardHook(HOOKPROC proc);
BOOL UnhookKeyboard(HHOOK hook);
// Registers `wnd` for WM_WTSSESSION_CHANGE (WTSRegisterSessionNotification).
BOOL RegisterSessionNotification(HWND wnd, DWORD flags);
BOOL UnregisterSessionNotification(HWND wnd);
// OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION) + OpenProcessToken +
// GetTokenInformation(TokenElevation).
ProcessElevation QueryProcessElevation(DWORD pid);
// Bit 15 of GetAsyncKeyState.
bool KeyDown(int vk);

} // namespace platform
