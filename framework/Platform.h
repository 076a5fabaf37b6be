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
// The shell's about box (ShellAboutA) and the help viewer (WinHelpA).
int ShellAbout(HWND owner, const char* app, const char* other, HICON icon);
BOOL WinHelp(HWND owner, const char* helpFile, UINT command, ULONG_PTR data);
// Adds, modifies or deletes a notification-area icon (Shell_NotifyIconA).
BOOL ShellNotifyIcon(DWORD message, NOTIFYICONDATAA* data);
// DwmGetWindowAttribute from dwmapi.dll, loaded on first use; E_NOTIMPL where
// the system has no desktop window manager.
HRESULT DwmGetWindowAttribute(HWND wnd, DWORD attribute, void* value, DWORD size);

} // namespace platform
