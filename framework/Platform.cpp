#include "framework/Platform.h"

#include <wtsapi32.h>

namespace platform {

Hooks& hooks() {
    static Hooks h;
    return h;
}

void KeybdEvent(BYTE vk, BYTE scan, DWORD flags, ULONG_PTR extra) {
    if (hooks().keybdEvent) hooks().keybdEvent(vk, scan, flags, extra);
    else ::keybd_event(vk, scan, flags, extra);
}

BOOL SetForeground(HWND wnd) {
    if (hooks().setForegroundWindow) return hooks().setForegroundWindow(wnd);
    return ::SetForegroundWindow(wnd);
}

int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT type) {
    if (hooks().messageBox) return hooks().messageBox(owner, text, caption, type);
    return ::MessageBoxA(owner, text, caption, type);
}

BOOL ShellNotifyIcon(DWORD message, NOTIFYICONDATAA* data) {
    if (hooks().shellNotifyIcon) return hooks().shellNotifyIcon(message, data);
    return ::Shell_NotifyIconA(message, data);
}

int ShellAbout(HWND owner, const char* app, const char* other, HICON icon) {
    if (hooks().shellAbout) return hooks().shellAbout(owner, app, other, icon);
    return ::ShellAboutA(owner, app, other, icon);
}

BOOL WinHelp(HWND owner, const char* helpFile, UINT command, ULONG_PTR data) {
    if (hooks().winHelp) return hooks().winHelp(owner, helpFile, command, data);
    return ::WinHelpA(owner, helpFile, command, data);
}

HHOOK SetKeyboardHook(HOOKPROC proc) {
    if (hooks().setKeyboardHook) return hooks().setKeyboardHook(proc);
    return ::SetWindowsHookExA(WH_KEYBOARD_LL, proc, GetModuleHandleA(nullptr), 0);
}

BOOL UnhookKeyboard(HHOOK hook) {
    if (hooks().unhookKeyboard) return hooks().unhookKeyboard(hook);
    return ::UnhookWindowsHookEx(hook);
}

BOOL RegisterSessionNotification(HWND wnd, DWORD flags) {
    if (hooks().registerSessionNotification) return hooks().registerSessionNotification(wnd, flags);
    return ::WTSRegisterSessionNotification(wnd, flags);
}

BOOL UnregisterSessionNotification(HWND wnd) {
    if (hooks().unregisterSessionNotification) return hooks().unregisterSessionNotification(wnd);
    return ::WTSUnRegisterSessionNotification(wnd);
}

ProcessElevation QueryProcessElevation(DWORD pid) {
    if (hooks().processElevation) return hooks().processElevation(pid);
    ProcessElevation result;
    HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process) return result;
    HANDLE token = nullptr;
    if (::OpenProcessToken(process, TOKEN_QUERY, &token)) {
        TOKEN_ELEVATION elevation{};
        DWORD size = 0;
        if (::GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size)) {
            result.opened = true;
            result.elevated = elevation.TokenIsElevated != 0;
        }
        ::CloseHandle(token);
    }
    ::CloseHandle(process);
    return result;
}

bool KeyDown(int vk) {
    if (hooks().keyDown) return hooks().keyDown(vk);
    return (::GetAsyncKeyState(vk) & 0x8000) != 0;
}

} // namespace platform
