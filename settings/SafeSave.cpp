#include "settings/SafeSave.h"

#include <windows.h>

namespace vcl {
namespace ini {

namespace {

constexpr int kMoveAttempts = 5;
constexpr DWORD kMoveRetryMs = 50;

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

// The profile calls' own cache written out, then the system's.
bool Flush(const std::wstring& copy) {
    if (!Allowed(FileStep::Flush, copy)) return false;
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, copy.c_str());
    // Full sharing: a scanner or indexer that has just opened the copy does
    // not make the flush fail.
    HANDLE file = CreateFileW(copy.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool flushed = FlushFileBuffers(file) != 0;
    CloseHandle(file);
    return flushed;
}

// The copy becomes the file. Tried a few times a little apart: right after
// the file was taken away (or the copy written) a scanner or indexer may still
// hold one of them for a moment.
bool MoveInPlace(const std::wstring& path, const std::wstring& copy) {
    for (int attempt = 1;; ++attempt) {
        if (Allowed(FileStep::Move, copy) &&
            MoveFileExW(copy.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        if (attempt == kMoveAttempts) return false;
        Sleep(kMoveRetryMs);
    }
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

// A fresh copy of the file at `copy`, or no file there when `path` does not
// exist yet; `existed` tells which. A whole copy left where the file is
// missing (a save cut short after the file was taken away) first takes the
// file's place: it holds the settings the program started with.
bool StartCopy(const std::wstring& path, const std::wstring& copy, const WholeCopyTest& whole, bool& existed) {
    if (!Allowed(FileStep::Copy, path)) return false;
    if (!WholeCopyLeft(path, whole).empty() && !MoveInPlace(path, copy)) return false;
    // A stale copy goes first: CopyFileW refuses to overwrite a hidden or
    // read-only one.
    Remove(copy);
    existed = CopyFileW(path.c_str(), copy.c_str(), FALSE) != 0;
    if (existed) return true;
    if (GetLastError() != ERROR_FILE_NOT_FOUND) return false;  // held, denied, or no folder
    // Nothing to copy: the profile calls make the copy from nothing, as they
    // made the file on a first run.
    return !Exists(copy);
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

std::wstring WholeCopyLeft(const std::wstring& path, const WholeCopyTest& whole) {
    const std::wstring copy = SaveCopyPath(path);
    if (!whole || Exists(path) || !Exists(copy) || !whole(copy)) return std::wstring();
    return copy;
}

bool SaveThroughCopy(const std::wstring& path, const std::function<bool(const std::wstring& copy)>& write,
                     const WholeCopyTest& whole) {
    const std::wstring copy = SaveCopyPath(path);
    // The copy goes after a failure, unless it may be all that is left of the
    // settings: never while the file itself is missing and the copy is whole.
    const auto dropCopy = [&] {
        if (WholeCopyLeft(path, whole).empty()) Remove(copy);
    };
    bool existed = false;
    if (!StartCopy(path, copy, whole, existed)) {
        dropCopy();  // whatever a copy cut short left
        return false;
    }
    if (write(copy) && Flush(copy) && PutInPlace(path, copy, existed)) return true;
    dropCopy();
    return false;
}

} // namespace ini
} // namespace vcl
