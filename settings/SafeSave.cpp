#include "settings/SafeSave.h"

#include <windows.h>

namespace vcl {
namespace ini {

namespace {

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Removes the copy, also when it took over the read-only mark of the file.
void Remove(const std::wstring& copy) {
    SetFileAttributesW(copy.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(copy.c_str());
}

// Fails a step the hook refuses as the platform would.
bool Allowed(FileStep step, const std::wstring& path) {
    if (FileStepAllowed(step, path)) return true;
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
}

// A fresh copy of the file at `copy`, or no file there when `path` does not
// exist yet; `existed` tells which.
bool StartCopy(const std::wstring& path, const std::wstring& copy, bool& existed) {
    if (!Allowed(FileStep::Copy, path)) return false;
    existed = CopyFileW(path.c_str(), copy.c_str(), FALSE) != 0;
    if (existed) return true;
    if (GetLastError() != ERROR_FILE_NOT_FOUND) return false;  // held, denied, or no folder
    // Nothing to copy: the profile calls make the copy from nothing, as they
    // made the file on a first run. A copy left by an earlier save goes first.
    Remove(copy);
    return !Exists(copy);
}

// The profile calls' own cache written out, then the system's.
bool Flush(const std::wstring& copy) {
    if (!Allowed(FileStep::Flush, copy)) return false;
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, copy.c_str());
    HANDLE file = CreateFileW(copy.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool flushed = FlushFileBuffers(file) != 0;
    CloseHandle(file);
    return flushed;
}

bool MoveInPlace(const std::wstring& path, const std::wstring& copy) {
    return Allowed(FileStep::Move, copy) &&
           MoveFileExW(copy.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool PutInPlace(const std::wstring& path, const std::wstring& copy, bool existed) {
    if (!existed) return MoveInPlace(path, copy);
    // The file keeps its attributes and security; the copy takes its name.
    if (Allowed(FileStep::Replace, copy) &&
        ReplaceFileW(path.c_str(), copy.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
        return true;
    // ReplaceFileW may fail after it has taken the file away (the copy could
    // not be renamed): then the copy, which is complete, becomes the file.
    return !Exists(path) && MoveInPlace(path, copy);
}

} // namespace

std::function<bool(FileStep, const std::wstring&)>& FileStepHook() {
    static std::function<bool(FileStep, const std::wstring&)> hook;
    return hook;
}

bool FileStepAllowed(FileStep step, const std::wstring& path) {
    const auto& hook = FileStepHook();
    return !hook || hook(step, path);
}

std::wstring SaveCopyPath(const std::wstring& path) { return path + L".new"; }

bool SaveThroughCopy(const std::wstring& path, const std::function<bool(const std::wstring& copy)>& write) {
    const std::wstring copy = SaveCopyPath(path);
    bool existed = false;
    if (!StartCopy(path, copy, existed)) {
        Remove(copy);  // whatever a copy cut short left
        return false;
    }
    if (write(copy) && Flush(copy) && PutInPlace(path, copy, existed)) return true;
    // The copy goes, unless it is all that is left of the settings (the file
    // was taken away and the copy could not take its place).
    if (Exists(path) || !existed) Remove(copy);
    return false;
}

} // namespace ini
} // namespace vcl
