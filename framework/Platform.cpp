#include "framework/Platform.h"

#include <objbase.h>
#include <string>
#include <wtsapi32.h>

namespace platform {

namespace {

// A function of a system library, or null where the system lacks it.
template <typename Fn> Fn SystemProc(const char* library, const char* name) {
    HMODULE module = LoadLibraryA(library);
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name))) : nullptr;
}

} // namespace

Hooks& hooks() {
    static Hooks h;
    return h;
}

ULONGLONG TickCount() {
    if (hooks().tickCount) return hooks().tickCount();
    return ::GetTickCount64();
}

int SystemMetric(int index) {
    if (hooks().systemMetric) return hooks().systemMetric(index);
    return ::GetSystemMetrics(index);
}

UINT SendKey(WORD vk, DWORD flags) {
    if (hooks().sendKey) return hooks().sendKey(vk, flags);
    return SendKeyToSystem(vk, flags);
}

UINT SendKeyToSystem(WORD vk, DWORD flags) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = flags;
    input.ki.dwExtraInfo = kPadKeyMark;
    return ::SendInput(1, &input, sizeof input);
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

bool ShellOpen(HWND owner, const wchar_t* file) {
    if (hooks().shellOpen) return hooks().shellOpen(owner, file);
    // The shell may hand the file to an extension that needs COM on this
    // thread (the GUI thread, which uses COM for nothing else). Initialised
    // once it stays so; a later call only counts up. Looked up at run time:
    // the program imports nothing from ole32.dll for this one call.
    using CoInitializeExFn = HRESULT(WINAPI*)(void*, DWORD);
    if (const auto init = SystemProc<CoInitializeExFn>("ole32.dll", "CoInitializeEx"))
        init(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    // Values above 32 mean success.
    return reinterpret_cast<INT_PTR>(::ShellExecuteW(owner, L"open", file, nullptr, nullptr, SW_SHOWNORMAL)) > 32;
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

HWINEVENTHOOK SetWinEventHook(DWORD eventMin, DWORD eventMax, WINEVENTPROC proc, DWORD pid) {
    if (hooks().setWinEventHook) return hooks().setWinEventHook(eventMin, eventMax, proc, pid);
    return ::SetWinEventHook(eventMin, eventMax, nullptr, proc, pid, 0, WINEVENT_OUTOFCONTEXT);
}

BOOL UnhookWinEvent(HWINEVENTHOOK hook) {
    if (hooks().unhookWinEvent) return hooks().unhookWinEvent(hook);
    return ::UnhookWinEvent(hook);
}

BOOL RegisterSessionNotification(HWND wnd, DWORD flags) {
    if (hooks().registerSessionNotification) return hooks().registerSessionNotification(wnd, flags);
    return ::WTSRegisterSessionNotification(wnd, flags);
}

BOOL UnregisterSessionNotification(HWND wnd) {
    if (hooks().unregisterSessionNotification) return hooks().unregisterSessionNotification(wnd);
    return ::WTSUnRegisterSessionNotification(wnd);
}

ProcessIntegrity QueryProcessIntegrity(DWORD pid) {
    if (hooks().processIntegrity) return hooks().processIntegrity(pid);
    ProcessIntegrity result;
    HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process) return result;
    HANDLE token = nullptr;
    if (::OpenProcessToken(process, TOKEN_QUERY, &token)) {
        // The label is a SID whose last sub-authority is the level.
        alignas(TOKEN_MANDATORY_LABEL) BYTE buffer[sizeof(TOKEN_MANDATORY_LABEL) + SECURITY_MAX_SID_SIZE];
        DWORD size = 0;
        if (::GetTokenInformation(token, TokenIntegrityLevel, buffer, sizeof buffer, &size)) {
            const auto* label = reinterpret_cast<const TOKEN_MANDATORY_LABEL*>(buffer);
            const PSID sid = label->Label.Sid;
            const UCHAR count = *::GetSidSubAuthorityCount(sid);
            if (::IsValidSid(sid) && count > 0) {
                result.opened = true;
                result.level = *::GetSidSubAuthority(sid, count - 1u);
            }
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

WindowDpi QueryWindowDpi(HWND wnd) {
    if (hooks().windowDpi) return hooks().windowDpi(wnd);
    using ForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    using ForWindowFn = UINT(WINAPI*)(HWND);
    using SetContextFn = HANDLE(WINAPI*)(HANDLE);
    static const auto forMonitor = SystemProc<ForMonitorFn>("shcore.dll", "GetDpiForMonitor");
    static const auto forWindow = SystemProc<ForWindowFn>("user32.dll", "GetDpiForWindow");
    static const auto setContext = SystemProc<SetContextFn>("user32.dll", "SetThreadDpiAwarenessContext");
    const auto systemDpi = [] {
        HDC screen = GetDC(nullptr);
        const int value = GetDeviceCaps(screen, LOGPIXELSX);
        ReleaseDC(nullptr, screen);
        return static_cast<UINT>(value > 0 ? value : 0);
    };
    WindowDpi dpi;
    if (forWindow) dpi.window = forWindow(wnd);
    // Before per-monitor resolutions every monitor runs at the system's.
    if (!forMonitor) {
        dpi.monitor = systemDpi();
        return dpi;
    }
    // A system-aware thread is told the system's resolution for every monitor
    // and scaled rectangles: only a per-monitor aware one learns the truth.
    // Where the thread cannot become one, only a single monitor is known to
    // run at the system's resolution.
    const HANDLE perMonitorAware = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-3));
    const HANDLE previous = setContext ? setContext(perMonitorAware) : nullptr;
    if (!previous) {
        if (GetSystemMetrics(SM_CMONITORS) == 1) dpi.monitor = systemDpi();
        return dpi;
    }
    UINT x = 0, y = 0;
    if (forMonitor(MonitorFromWindow(wnd, MONITOR_DEFAULTTONEAREST), 0 /* MDT_EFFECTIVE_DPI */, &x, &y) == S_OK)
        dpi.monitor = x;
    dpi.physicalKnown = GetWindowRect(wnd, &dpi.physical) != 0;
    setContext(previous);
    return dpi;
}

BOOL AllowMessageFromLowerLevels(HWND wnd, UINT message) {
    if (hooks().allowMessage) return hooks().allowMessage(wnd, message);
    using FilterExFn = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
    using FilterFn = BOOL(WINAPI*)(UINT, DWORD);
    static const auto filterEx = SystemProc<FilterExFn>("user32.dll", "ChangeWindowMessageFilterEx");
    static const auto filter = SystemProc<FilterFn>("user32.dll", "ChangeWindowMessageFilter");
    if (filterEx) return filterEx(wnd, message, 1 /* MSGFLT_ALLOW */, nullptr);
    if (filter) return filter(message, 1 /* MSGFLT_ADD */);
    return TRUE;
}

bool ReadRegistryString(HKEY root, const wchar_t* key, const wchar_t* name, std::wstring* value) {
    if (hooks().readRegistryString) return hooks().readRegistryString(root, key, name, value);
    HKEY k = nullptr;
    if (::RegOpenKeyExW(root, key, 0, KEY_QUERY_VALUE, &k) != ERROR_SUCCESS) return false;
    DWORD type = 0, size = 0;
    bool found = ::RegQueryValueExW(k, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
                 (type == REG_SZ || type == REG_EXPAND_SZ);
    if (found) {
        std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
        size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        found = ::RegQueryValueExW(k, name, nullptr, &type, reinterpret_cast<BYTE*>(&text[0]), &size) == ERROR_SUCCESS;
        // The stored text need not end in a terminator.
        text.resize(size / sizeof(wchar_t));
        while (!text.empty() && text.back() == L'\0') text.pop_back();
        if (found) *value = text;
    }
    ::RegCloseKey(k);
    return found;
}

namespace {

bool WriteString(HKEY root, const wchar_t* key, const wchar_t* name, const std::wstring& value, DWORD options) {
    HKEY k = nullptr;
    if (::RegCreateKeyExW(root, key, 0, nullptr, options, KEY_SET_VALUE, nullptr, &k, nullptr) != ERROR_SUCCESS)
        return false;
    const bool ok = ::RegSetValueExW(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    ::RegCloseKey(k);
    return ok;
}

} // namespace

bool WriteRegistryString(HKEY root, const wchar_t* key, const wchar_t* name, const std::wstring& value) {
    if (hooks().writeRegistryString) return hooks().writeRegistryString(root, key, name, value);
    return WriteString(root, key, name, value, REG_OPTION_NON_VOLATILE);
}

bool WriteVolatileRegistryString(HKEY root, const wchar_t* key, const wchar_t* name, const std::wstring& value) {
    if (hooks().writeVolatileRegistryString) return hooks().writeVolatileRegistryString(root, key, name, value);
    return WriteString(root, key, name, value, REG_OPTION_VOLATILE);
}

bool DeleteRegistryValue(HKEY root, const wchar_t* key, const wchar_t* name) {
    if (hooks().deleteRegistryValue) return hooks().deleteRegistryValue(root, key, name);
    HKEY k = nullptr;
    const LSTATUS opened = ::RegOpenKeyExW(root, key, 0, KEY_SET_VALUE, &k);
    if (opened == ERROR_FILE_NOT_FOUND) return true;
    if (opened != ERROR_SUCCESS) return false;
    const LSTATUS deleted = ::RegDeleteValueW(k, name);
    ::RegCloseKey(k);
    return deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;
}

bool ReadRegistryBinary(HKEY root, const wchar_t* key, const wchar_t* name, std::string* bytes) {
    if (hooks().readRegistryBinary) return hooks().readRegistryBinary(root, key, name, bytes);
    HKEY k = nullptr;
    if (::RegOpenKeyExW(root, key, 0, KEY_QUERY_VALUE, &k) != ERROR_SUCCESS) return false;
    DWORD type = 0, size = 0;
    bool found = ::RegQueryValueExW(k, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_BINARY;
    if (found) {
        std::string data(size, '\0');
        found = ::RegQueryValueExW(k, name, nullptr, &type, size ? reinterpret_cast<BYTE*>(&data[0]) : nullptr,
                                   &size) == ERROR_SUCCESS;
        data.resize(size);
        if (found) *bytes = data;
    }
    ::RegCloseKey(k);
    return found;
}

HANDLE CreateNamedMutex(const wchar_t* name, DWORD* error) {
    if (hooks().createMutex) return hooks().createMutex(name, error);
    HANDLE mutex = ::CreateMutexW(nullptr, FALSE, name);
    if (error) *error = mutex ? ERROR_SUCCESS : ::GetLastError();
    return mutex;
}

UINT ProcessCodePage() {
    if (hooks().codePage) return hooks().codePage();
    return ::GetACP();
}

} // namespace platform
