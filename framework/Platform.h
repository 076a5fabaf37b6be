// The one narrow seam for effects that reach beyond the program: synthesized
// key events, foreground changes, message boxes and notification-area icons.
// The program calls these wrappers; a test may install a hook to watch (and
// still forward) every call.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>

namespace platform {

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

} // namespace platform
