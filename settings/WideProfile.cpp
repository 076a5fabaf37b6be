#include "settings/WideProfile.h"

#include <windows.h>

#include "framework/Graphics.h"
#include "framework/Platform.h"
#include "settings/SafeSave.h"

namespace vcl {
namespace ini {

namespace {

constexpr UINT kCodePage = 932;

// The first read uses this buffer (in UTF-16 units); a value that fills it is
// read again with a buffer twice as large, up to the last size.
constexpr DWORD kFirstValueBuffer = 1024;
constexpr DWORD kLastValueBuffer = 32u * 1024u * 1024u;

// How long a held file is waited for between two probes.
constexpr DWORD kProbeInterval = 50;

} // namespace

std::wstring ProfileText(const std::string& bytes, unsigned codePage) {
    return WideFromCodePage(bytes.data(), static_cast<int>(bytes.size()), codePage);
}

namespace {

std::string BytesOf(const std::wstring& text, UINT codePage, DWORD flags, const char* unknown) {
    if (text.empty()) return std::string();
    const int size = static_cast<int>(text.size());
    const int n = WideCharToMultiByte(codePage, flags, text.data(), size, nullptr, 0, unknown, nullptr);
    if (n <= 0) return std::string();
    std::string bytes(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(codePage, flags, text.data(), size, &bytes[0], n, unknown, nullptr);
    return bytes;
}

} // namespace

std::string ProfileBytes(const std::wstring& text, unsigned codePage) {
    // As the ANSI profile calls convert: the code page's own defaults.
    return BytesOf(text, codePage, 0, nullptr);
}

std::wstring WideFrom932(const std::string& text) { return ProfileText(text, kCodePage); }

std::string Cp932From(const std::wstring& text) { return BytesOf(text, kCodePage, WC_NO_BEST_FIT_CHARS, "?"); }

std::wstring ModuleFileName() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        // A full buffer means the path was cut: try again with more room.
        if (n < path.size() || path.size() >= 32768) {
            path.resize(n < path.size() ? n : path.size());
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::wstring WindowsDirectory() {
    std::wstring dir(MAX_PATH, L'\0');
    UINT n = GetWindowsDirectoryW(&dir[0], static_cast<UINT>(dir.size()));
    if (n >= dir.size()) {
        // It did not fit; n is the size it needs, terminator included.
        dir.assign(n, L'\0');
        n = GetWindowsDirectoryW(&dir[0], n);
        if (n >= dir.size()) n = 0;
    }
    dir.resize(n);
    return dir;
}

std::string ReadProfileString(const std::wstring& file, const std::string& section,
                              const std::string& key, const std::string& def) {
    const std::wstring wSection = ProfileText(section, CP_ACP), wKey = ProfileText(key, CP_ACP),
                       wDef = ProfileText(def, CP_ACP);
    std::wstring buffer;
    DWORD size = kFirstValueBuffer;
    for (;;) {
        buffer.assign(size, L'\0');
        const DWORD n = GetPrivateProfileStringW(wSection.c_str(), wKey.c_str(), wDef.c_str(), &buffer[0],
                                                 size, file.c_str());
        // A value that was cut is reported as size - 1 units (and so is one
        // that fits exactly); only a shorter answer is known to be whole.
        if (n < size - 1 || size >= kLastValueBuffer) {
            buffer.resize(n < size ? n : size - 1);
            return ProfileBytes(buffer, CP_ACP);
        }
        size *= 2;
    }
}

bool WriteProfileString(const std::wstring& file, const std::string& section, const std::string& key,
                        const std::string& value) {
    if (!FileStepAllowed(FileStep::Write, file)) return false;
    return WritePrivateProfileStringW(ProfileText(section, CP_ACP).c_str(), ProfileText(key, CP_ACP).c_str(),
                                      ProfileText(value, CP_ACP).c_str(), file.c_str()) != 0;
}

FileReadState ProbeForReading(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return FileReadState::Readable;
    }
    switch (GetLastError()) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_ACCESS_DENIED:
        return FileReadState::Held;
    default:
        // Not found, or a name that no file can have: the profile calls read
        // the defaults, as they always did.
        return FileReadState::Missing;
    }
}

FileReadState WaitUntilReadable(const std::wstring& path, unsigned waitMs) {
    const ULONGLONG start = platform::TickCount();
    for (;;) {
        const FileReadState state = ProbeForReading(path);
        if (state != FileReadState::Held || platform::TickCount() - start >= waitMs) return state;
        Sleep(kProbeInterval);
    }
}

} // namespace ini
} // namespace vcl
