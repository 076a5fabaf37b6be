#include "framework/Platform.h"

#include <string>
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

int ShowMessageBoxW(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
    if (hooks().messageBoxW) return hooks().messageBoxW(owner, text, caption, type);
    if (hooks().messageBox) {
        const auto narrow = [](const wchar_t* wide) {
            const int n = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide, -1, nullptr, 0, "?", nullptr);
            std::string bytes(n > 0 ? static_cast<std::size_t>(n) : 1u, '\0');
            if (n > 0) WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide, -1, &bytes[0], n, "?", nullptr);
            bytes.resize(bytes.size() - 1);  // the terminator
            return bytes;
        };
        return hooks().messageBox(owner, narrow(text).c_str(), narrow(caption).c_str(), type);
    }
    return ::MessageBoxW(owner, text, caption, type);
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

HRESULT DwmGetWindowAttribute(HWND wnd, DWORD attribute, void* value, DWORD size) {
    if (hooks().dwmGetWindowAttribute) return hooks().dwmGetWindowAttribute(wnd, attribute, value, size);
    // Looked up at run time: the program does not depend on dwmapi.dll, which
    // older systems lack.
    using GetAttributeFn = HRESULT(WINAPI*)(HWND, DWORD, PVOID, DWORD);
    static const GetAttributeFn getAttribute = [] {
        HMODULE dwm = LoadLibraryA("dwmapi.dll");
        return dwm ? reinterpret_cast<GetAttributeFn>(
                         reinterpret_cast<void (*)()>(GetProcAddress(dwm, "DwmGetWindowAttribute")))
                   : nullptr;
    }();
    if (!getAttribute) return E_NOTIMPL;
    return getAttribute(wnd, attribute, value, size);
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
