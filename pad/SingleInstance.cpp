#include "pad/SingleInstance.h"

#include "framework/Platform.h"
#include "settings/IniRules.h"
#include "settings/WideProfile.h"

namespace vcl {

namespace {

// The window property that carries a pad's key.
const wchar_t kKeyProperty[] = L"VantroPad.SettingsFile";
// The one a pad carries while it asks whether to end without saving.
const wchar_t kAskingProperty[] = L"VantroPad.AskingToEnd";

// The pad window (class TVTform) of another process marked with `key`.
HWND FindPad(uint64_t key) {
    struct Search {
        HANDLE key;
        HWND found;
    } search{reinterpret_cast<HANDLE>(static_cast<uintptr_t>(key)), nullptr};
    EnumWindows(
        [](HWND wnd, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            wchar_t cls[16] = L"";
            GetClassNameW(wnd, cls, 16);
            if (lstrcmpW(cls, L"TVTform") != 0 || GetPropW(wnd, kKeyProperty) != s->key) return TRUE;
            s->found = wnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The settings file of this executable, as the settings component forms it,
// from the executable's long path.
std::wstring OwnSettingsPath() {
    std::wstring exe = ini::ModuleFileName();
    const DWORD n = GetLongPathNameW(exe.c_str(), nullptr, 0);
    if (n > 0) {
        std::wstring full(n, L'\0');
        const DWORD got = GetLongPathNameW(exe.c_str(), &full[0], n);
        if (got > 0 && got < n) exe = full.substr(0, got);
    }
    return ini::DirectoryPart(exe) + ini::DefaultIniName(exe);
}

} // namespace

const char* const kPadRunsElevatedText =
    "Vantro Padは既に管理者の権限で動いています.\n"
    "ここで起動したVantro Padは何もせずに終了します.";

const char* HandOverRefusedText(bool padHung, bool padAsking) {
    if (padHung)
        return "Vantro Padは既に動いていますが, 応答していません.\n"
               "しばらく待ってから, もう一度起動してください.";
    if (padAsking)
        return "Vantro Padは既に動いていて, 設定を保存せずに終了するかを尋ねています.\n"
               "先にその質問に答えてください.";
    return nullptr;
}

void MarkAskingToEnd(HWND pad, bool asking) {
    if (asking) SetPropW(pad, kAskingProperty, reinterpret_cast<HANDLE>(1));
    else RemovePropW(pad, kAskingProperty);
}

bool PadAskingToEnd(HWND pad) { return GetPropW(pad, kAskingProperty) != nullptr; }

uint64_t InstanceKey(const std::wstring& settingsPath) {
    std::wstring folded = settingsPath;
    if (!folded.empty()) CharUpperBuffW(&folded[0], static_cast<DWORD>(folded.size()));
    // FNV-1a over the UTF-16 units; never 0, which marks no window.
    uint64_t hash = 14695981039346656037ull;
    for (wchar_t c : folded) {
        hash ^= static_cast<uint16_t>(c);
        hash *= 1099511628211ull;
    }
    return hash ? hash : 1;
}

std::wstring InstanceName(uint64_t key) {
    static const wchar_t digits[] = L"0123456789abcdef";
    std::wstring name = L"Local\\VantroPad-";
    for (int shift = 60; shift >= 0; shift -= 4) name += digits[(key >> shift) & 15];
    return name;
}

StartAction DecideStart(bool ownsInstance, bool padFound, bool waitedEnough) {
    if (ownsInstance) return StartAction::Run;
    if (padFound) return StartAction::HandOver;
    return waitedEnough ? StartAction::End : StartAction::Wait;
}

SingleInstance::~SingleInstance() {
    if (!FMutex) return;
    if (FOwned) ReleaseMutex(FMutex);
    CloseHandle(FMutex);
}

bool SingleInstance::Claim(unsigned waitMs) {
    FKey = InstanceKey(OwnSettingsPath());
    DWORD error = ERROR_SUCCESS;
    FMutex = platform::CreateNamedMutex(InstanceName(FKey).c_str(), &error);
    if (!FMutex && error == ERROR_ACCESS_DENIED) {
        // The mutex exists, but its pad runs at a higher integrity level (as
        // administrator) and refuses this process access: neither the mutex
        // nor a hand-over message can reach it.
        platform::ShowMessageBox(nullptr, kPadRunsElevatedText, "Vantro Pad", MB_OK | MB_ICONINFORMATION);
        return false;
    }
    // Without the mutex the program runs as it always did.
    if (!FMutex) return true;
    const ULONGLONG start = GetTickCount64();
    DWORD timeout = 0;
    for (;;) {
        // Abandoned: the pad that held it has ended, and its save is done.
        const DWORD wait = WaitForSingleObject(FMutex, timeout);
        FOwned = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
        const HWND pad = FOwned ? nullptr : FindPad(FKey);
        switch (DecideStart(FOwned, pad != nullptr, GetTickCount64() - start >= waitMs)) {
        case StartAction::Run:
            return true;
        case StartAction::HandOver: {
            if (const char* refused = HandOverRefusedText(IsHungAppWindow(pad) != FALSE, PadAskingToEnd(pad))) {
                platform::ShowMessageBox(nullptr, refused, "Vantro Pad", MB_OK | MB_ICONINFORMATION);
                return false;
            }
            // The running pad may bring its dialog to the front.
            DWORD pid = 0;
            GetWindowThreadProcessId(pad, &pid);
            AllowSetForegroundWindow(pid);
            PostMessageW(pad, WM_PADHANDOVER, 0, 0);
            return false;
        }
        case StartAction::End:
            return false;
        case StartAction::Wait:
            // Until the pad shows its window or its process ends.
            timeout = 50;
            break;
        }
    }
}

void SingleInstance::Mark(HWND pad) const {
    if (!FOwned || !pad) return;
    SetPropW(pad, kKeyProperty, reinterpret_cast<HANDLE>(static_cast<uintptr_t>(FKey)));
    // A pad run as administrator still hears a start of the program made
    // without those rights.
    platform::AllowMessageFromLowerLevels(pad, WM_PADHANDOVER);
}

} // namespace vcl
