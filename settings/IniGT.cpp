#include "settings/IniGT.h"

#include <windows.h>

#include "settings/IniRules.h"

namespace vcl {

namespace {

bool IsLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != 0; }

// The first read uses this buffer; a value that fills it is read again with a
// buffer twice as large, up to the last size, so long values come back whole.
constexpr DWORD kFirstValueBuffer = 1024;
constexpr DWORD kLastValueBuffer = 64u * 1024u * 1024u;

// The Windows directory is asked for with this buffer first.
constexpr UINT kWindowsDirBuffer = 150;

std::string ModulePath() {
    if (const auto& hook = IniGTModulePathHook()) return hook();
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD n = GetModuleFileNameA(nullptr, &path[0], static_cast<DWORD>(path.size()));
        // A full buffer means the path was cut: try again with more room.
        if (n < path.size() || path.size() >= 32768) {
            path.resize(n < path.size() ? n : path.size());
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::string WindowsDirectory() {
    std::string dir(kWindowsDirBuffer, '\0');
    UINT n = GetWindowsDirectoryA(&dir[0], kWindowsDirBuffer);
    if (n >= kWindowsDirBuffer) {
        // It did not fit; n is the size it needs, terminator included.
        dir.assign(n, '\0');
        n = GetWindowsDirectoryA(&dir[0], n);
        if (n >= dir.size()) n = 0;
    }
    dir.resize(n);
    return dir;
}

} // namespace

std::function<std::string()>& IniGTModulePathHook() {
    static std::function<std::string()> hook;
    return hook;
}

// --- TIniFile --------------------------------------------------------------

TIniFile::TIniFile(const std::string& fullPath) : FFileName(fullPath) {}

std::string TIniFile::ReadValue(const std::string& section, const std::string& key,
                                const std::string& def) {
    std::string buffer;
    DWORD size = kFirstValueBuffer;
    for (;;) {
        buffer.assign(size, '\0');
        const DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), def.c_str(),
                                                 &buffer[0], size, FFileName.c_str());
        // A value that was cut is reported as size - 1 bytes (and so is one
        // that fits exactly); only a shorter answer is known to be whole.
        if (n < size - 1 || size >= kLastValueBuffer) {
            buffer.resize(n < size ? n : size - 1);
            return buffer;
        }
        size *= 2;
    }
}

void TIniFile::WriteValue(const std::string& section, const std::string& key,
                          const std::string& value) {
    if (!WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), FFileName.c_str()))
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
    if (FFileName.empty()) SetFileName(ini::DefaultIniName(ModulePath(), IsLeadByte));
}

void TIniGT::SetDefaultDir(TIniGTDefaultDir value) {
    FDefaultDir = value;
    SetFileName(FFileName);
}

void TIniGT::SetFileName(const std::string& name) {
    std::string fullPath;
    if (ini::HasDirectoryPart(name, IsLeadByte)) {
        fullPath = name;
    } else {
        switch (FDefaultDir) {
        case ddApplication: fullPath = ini::DirectoryPart(ModulePath(), IsLeadByte) + name; break;
        case ddWindows: fullPath = WindowsDirectory() + "\\" + name; break;
        default: fullPath = name; break;
        }
    }
    // The new profile object is made before the old one goes, so the component
    // always has one.
    FIniFile.reset(new TIniFile(fullPath));
    FFileName = name;
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
