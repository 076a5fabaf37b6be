#include "settings/IniGT.h"

#include <windows.h>

#include "settings/IniRules.h"
#include "settings/SafeSave.h"
#include "settings/WideProfile.h"

namespace vcl {

namespace {

// The executable's path as the platform knows it (or as a test stands it in).
std::wstring ModulePath() {
    if (const auto& hook = IniGTModulePathHookW()) return hook();
    if (const auto& hook = IniGTModulePathHook()) return ini::WideFrom932(hook());
    return ini::ModuleFileName();
}

} // namespace

std::function<std::string()>& IniGTModulePathHook() {
    static std::function<std::string()> hook;
    return hook;
}

std::function<std::wstring()>& IniGTModulePathHookW() {
    static std::function<std::wstring()> hook;
    return hook;
}

// --- TIniFile --------------------------------------------------------------

TIniFile::TIniFile(const std::string& fullPath)
    : FFileNameW(ini::WideFrom932(fullPath)), FFileName(fullPath) {}

TIniFile::TIniFile(const std::wstring& fullPath)
    : FFileNameW(fullPath), FFileName(ini::Cp932From(fullPath)) {}

std::string TIniFile::ReadValue(const std::string& section, const std::string& key,
                                const std::string& def) {
    return ini::ReadProfileString(FFileNameW, section, key, def);
}

void TIniFile::WriteValue(const std::string& section, const std::string& key,
                          const std::string& value) {
    if (!ini::WriteProfileString(FFileNameW, section, key, value))
        throw Exception(FFileName + " に書き込めません");
}

int32_t TIniFile::ReadNumber(const std::string& section, const std::string& key, int32_t def) {
    return ini::NumberOr(ReadValue(section, key, std::string()), def);
}

void TIniFile::WriteNumber(const std::string& section, const std::string& key, int32_t value) {
    WriteValue(section, key, ini::NumberText(value));
}

bool TIniFile::ReadFlag(const std::string& section, const std::string& key, bool def) {
    return ReadNumber(section, key, def ? 1 : 0) != 0;
}

void TIniFile::WriteFlag(const std::string& section, const std::string& key, bool value) {
    WriteValue(section, key, value ? "1" : "0");
}

// --- TIniGT ----------------------------------------------------------------

TIniGT::TIniGT(TComponent* owner) : TComponent(owner), FIniFile(new TIniFile(std::string())) {}

TIniGT::~TIniGT() = default;

void TIniGT::Loaded() {
    TComponent::Loaded();
    // The executable's own name, taken from its wide path, so that a name code
    // page 932 cannot hold still finds its file.
    if (FFileName.empty()) SetFileNameW(ini::DefaultIniName(ModulePath()));
}

void TIniGT::SetDefaultDir(TIniGTDefaultDir value) {
    FDefaultDir = value;
    SetFileName(FFileName);
}

void TIniGT::SetFileName(const std::string& name) {
    // The lead-byte scan and the UTF-16 scan agree on every code page 932
    // name, so the name is placed by its wide form.
    FormPath(ini::WideFrom932(name), name);
}

void TIniGT::SetFileNameW(const std::wstring& name) { FormPath(name, ini::Cp932From(name)); }

void TIniGT::FormPath(const std::wstring& name, const std::string& storedName) {
    std::wstring fullPath;
    if (ini::HasDirectoryPart(name)) {
        fullPath = name;
    } else {
        switch (FDefaultDir) {
        case ddApplication: fullPath = ini::DirectoryPart(ModulePath()) + name; break;
        case ddWindows: fullPath = ini::WindowsDirectory() + L"\\" + name; break;
        default: fullPath = name; break;
        }
    }
    // The new profile object is made before the old one goes, so the component
    // always has one.
    FIniFile.reset(new TIniFile(fullPath));
    FFileName = storedName;
}

bool TIniGT::WaitUntilReadable(unsigned waitMs) {
    return ini::WaitUntilReadable(FIniFile->FileNameW(), waitMs) != ini::FileReadState::Held;
}

void TIniGT::WriteAllOrNothing(const std::function<void()>& writes, const ini::WholeCopyTest& whole) {
    // The writes go to the copy while they run; the component is bound to
    // its own file again whatever happens.
    std::unique_ptr<TIniFile> file = std::move(FIniFile);
    bool saved = false;
    try {
        saved = ini::SaveThroughCopy(file->FileNameW(), [&](const std::wstring& copy) {
            FIniFile.reset(new TIniFile(copy));
            try {
                writes();
                return true;
            } catch (const std::exception&) {
                return false;  // reported below, with the file's own path
            }
        }, whole);
    } catch (...) {
        FIniFile = std::move(file);
        throw;
    }
    FIniFile = std::move(file);
    if (!saved) throw Exception(FIniFile->FileName() + " に書き込めません");
}

bool TIniGT::ReadFlag(const std::string& section, const std::string& key, bool def) {
    return FIniFile->ReadFlag(section, key, def);
}

void TIniGT::WriteFlag(const std::string& section, const std::string& key, bool value) {
    FIniFile->WriteFlag(section, key, value);
}

int32_t TIniGT::ReadNumber(const std::string& section, const std::string& key, int32_t def) {
    return FIniFile->ReadNumber(section, key, def);
}

void TIniGT::WriteNumber(const std::string& section, const std::string& key, int32_t value) {
    FIniFile->WriteNumber(section, key, value);
}

std::string TIniGT::ReadText(const std::string& section, const std::string& key,
                             const std::string& def) {
    // The default goes in brackets too, so its blanks survive the profile call.
    return ini::Unbracketed(FIniFile->ReadValue(section, key, ini::Bracketed(def)));
}

void TIniGT::WriteText(const std::string& section, const std::string& key, const std::string& value) {
    FIniFile->WriteValue(section, key, ini::Bracketed(value));
}

void TIniGT::ReadTextList(const std::string& section, const std::string& name, TStringList& list) {
    TStringList scratch;
    try {
        const int32_t current = list.Count();
        const int32_t count = ini::BoundListCount(
            FIniFile->ReadNumber(section, ini::ListCountKey(name), current), current);
        for (int32_t i = 0; i < count; ++i) {
            const std::string def = i < list.Count() ? list[i] : std::string();
            scratch.Add(ReadText(section, ini::ListEntryKey(name, i), def));
        }
    } catch (...) {
        // What was read so far replaces the list even when a step failed.
        list.Assign(scratch);
        throw;
    }
    list.Assign(scratch);
}

void TIniGT::WriteTextList(const std::string& section, const std::string& name,
                           const TStringList& list) {
    // The count goes first: a failure there leaves every entry key as it was.
    const int32_t count = list.Count();
    FIniFile->WriteNumber(section, ini::ListCountKey(name), count);
    for (int32_t i = 0; i < count; ++i) WriteText(section, ini::ListEntryKey(name, i), list[i]);
}

} // namespace vcl
