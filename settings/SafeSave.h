// Saving the settings file all or nothing. The profile calls rewrite the whole
// file at every value, so a save cut short (a killed process, a write refused
// half way by a tool that just opened the file) would leave a mix of old and
// new values. Instead the values are written to a copy beside the file, and
// the copy then takes the file's place in one step: the file holds either the
// old settings or all of the new ones.
#pragma once

#include <functional>
#include <string>

namespace vcl {
namespace ini {

// The steps of a save that reach the file system.
enum class FileStep {
    Copy,     // the file is copied beside itself
    Write,    // one profile write (also outside a save)
    Flush,    // the copy is flushed to the disk
    Replace,  // the copy takes the place of the file (ReplaceFileW)
    Move,     // the copy becomes the file where there is none (MoveFileExW; each attempt)
};

// The seam of the settings file: when set, it is asked before each step with
// the path the step works on (the copy, for all but Copy) and a false answer
// makes the step fail as a refusal of the platform would. Tests use it to cut
// a save short and to watch its steps.
std::function<bool(FileStep step, const std::wstring& path)>& FileStepHook();
// Whether the hook lets a step go ahead (true without a hook).
bool FileStepAllowed(FileStep step, const std::wstring& path);

// The copy that a save of `path` writes: beside it, with ".new" appended. A
// copy left by a save that was cut short is overwritten by the next one.
std::wstring SaveCopyPath(const std::wstring& path);

// Whether a copy holds a whole save (the caller knows what its save writes
// last). Without one no copy counts as whole.
using WholeCopyTest = std::function<bool(const std::wstring& copy)>;

// The copy to read the settings from instead of `path`: a whole copy where the
// file is missing, which a save cut short after the file was taken away leaves
// (ReplaceFileW may fail when it has removed the file but cannot rename the
// copy). Empty when the file is there or no whole copy is.
std::wstring WholeCopyLeft(const std::wstring& path, const WholeCopyTest& whole);

// Copies `path` beside itself (or starts from no file when there is none),
// lets `write` make the profile calls on the copy (false when one failed),
// flushes the copy and puts it in the file's place in one step. True when the
// file now holds what was written. On any failure the file stays as it was
// and the copy is removed, except a whole copy where the file is missing. A
// whole copy found where the file is missing first takes the file's place.
bool SaveThroughCopy(const std::wstring& path, const std::function<bool(const std::wstring& copy)>& write,
                     const WholeCopyTest& whole = nullptr);

} // namespace ini
} // namespace vcl
