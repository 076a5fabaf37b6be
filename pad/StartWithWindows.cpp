#include "pad/StartWithWindows.h"

#include <windows.h>

#include "framework/Platform.h"
#include "settings/WideProfile.h"

namespace vcl {

const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kRunValueName[] = L"Vantro Pad";
const wchar_t kStartupApprovedKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";

bool StartupApprovedOn(const std::string& bytes) {
    return !bytes.empty() && (bytes[0] == '\x02' || bytes[0] == '\x06');
}

std::wstring StartCommandFor(const std::wstring& exePath) { return L"\"" + exePath + L"\""; }

bool StartCommandRuns(const std::wstring& command, const std::wstring& exePath) {
    if (exePath.empty()) return false;
    std::size_t start = command.find_first_not_of(L' ');
    if (start == std::wstring::npos) return false;
    std::wstring program;
    if (command[start] == L'"') {
        const std::size_t close = command.find(L'"', start + 1);
        if (close == std::wstring::npos) return false;
        program = command.substr(start + 1, close - start - 1);
    } else {
        // Unquoted: the path itself, or the path followed by arguments.
        program = command.substr(start);
        if (program.size() > exePath.size() && program[exePath.size()] == L' ') program.resize(exePath.size());
        while (!program.empty() && program.back() == L' ') program.pop_back();
    }
    return CompareStringOrdinal(program.c_str(), static_cast<int>(program.size()), exePath.c_str(),
                                static_cast<int>(exePath.size()), TRUE) == CSTR_EQUAL;
}

bool StartsWithWindows() {
    std::wstring command;
    if (!platform::ReadRegistryString(HKEY_CURRENT_USER, kRunKey, kRunValueName, &command) ||
        !StartCommandRuns(command, ini::ModuleFileName()))
        return false;
    std::string approved;
    return !platform::ReadRegistryBinary(HKEY_CURRENT_USER, kStartupApprovedKey, kRunValueName, &approved) ||
           StartupApprovedOn(approved);
}

bool SetStartWithWindows(bool on) {
    if (!on) return platform::DeleteRegistryValue(HKEY_CURRENT_USER, kRunKey, kRunValueName);
    // Without the switch's value beside it the Run value counts as on.
    return platform::WriteRegistryString(HKEY_CURRENT_USER, kRunKey, kRunValueName,
                                         StartCommandFor(ini::ModuleFileName())) &&
           platform::DeleteRegistryValue(HKEY_CURRENT_USER, kStartupApprovedKey, kRunValueName);
}

} // namespace vcl
