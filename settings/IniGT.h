// Typed, persistent settings in one INI file: flags, numbers, texts and text
// lists, each addressed by a section and a key. TIniGT is the component a form
// holds; it forms the file's full path and brackets texts. TIniFile underneath
// binds one full path to the platform's private-profile calls.
//
// Every read and every write is one profile call (a long value may take a few
// reads); nothing is cached and no file stays open between calls.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "framework/Classes.h"
#include "settings/SafeSave.h"

namespace vcl {

// Where a bare file name (one without ":" or "\") is placed.
enum TIniGTDefaultDir : unsigned char {
    ddApplication,  // in the directory of the program's executable
    ddWindows,      // in the Windows directory
    ddNone,         // nowhere: the name goes to the profile calls unchanged
};

// One settings file, addressed by its full path, and the encodings of flags
// and numbers. Constructing or freeing it never touches the file.
class TIniFile {
public:
    // The path in code page 932, or as the platform's wide path (which may hold
    // characters that code page 932 cannot).
    explicit TIniFile(const std::string& fullPath);
    explicit TIniFile(const std::wstring& fullPath);

    // The path in code page 932 (a character it cannot hold shows as "?").
    const std::string& FileName() const { return FFileName; }
    // The path as the platform knows it.
    const std::wstring& FileNameW() const { return FFileNameW; }

    // The stored text of a key, or `def` when the file, section or key is
    // missing. Values of any length come back whole.
    std::string ReadValue(const std::string& section, const std::string& key, const std::string& def);
    // Stores a text; throws Exception("<full path> に書き込めません") when the
    // platform refuses.
    void WriteValue(const std::string& section, const std::string& key, const std::string& value);

    // The stored number, or `def` when it is missing or does not convert.
    int32_t ReadNumber(const std::string& section, const std::string& key, int32_t def);
    void WriteNumber(const std::string& section, const std::string& key, int32_t value);
    // True when the stored number is not 0; `def` when there is no number.
    bool ReadFlag(const std::string& section, const std::string& key, bool def);
    void WriteFlag(const std::string& section, const std::string& key, bool value);

private:
    std::wstring FFileNameW;
    std::string FFileName;
};

class TIniGT : public TComponent {
public:
    explicit TIniGT(TComponent* owner);
    ~TIniGT() override;

    // Once the stored properties are read: a still empty FileName becomes the
    // executable's name with the extension ".ini".
    void Loaded() override;

    TIniGTDefaultDir DefaultDir() const { return FDefaultDir; }
    // Stores the value and forms the full path anew from FileName (also when
    // the value is unchanged).
    void SetDefaultDir(TIniGTDefaultDir value);
    // The name as last assigned, not the full path.
    const std::string& FileName() const { return FFileName; }
    // Stores the name and forms the full path: a name with a directory part is
    // used as it is; a bare one is placed according to DefaultDir.
    void SetFileName(const std::string& name);
    // The same for a name given as the platform's wide text; FileName then
    // holds its code page 932 form.
    void SetFileNameW(const std::wstring& name);
    // The full path in code page 932 (a character it cannot hold shows as "?").
    const std::string& FullPath() const { return FIniFile->FileName(); }
    // The full path as the platform knows it: the one to show the user.
    const std::wstring& FullPathW() const { return FIniFile->FileNameW(); }

    // False when the file is there but cannot be read (another program holds
    // it open without sharing), after probing again for up to `waitMs`
    // milliseconds. A missing file counts as readable: its reads give the
    // defaults, which is what it holds.
    bool WaitUntilReadable(unsigned waitMs);

    // Runs `writes` (this component's write operations) all or nothing: they
    // go to a copy of the file beside it, which then takes the file's place in
    // one step. When a write or the replacement fails, the file stays as it
    // was and Exception("<full path> に書き込めません") is thrown. `whole` tells
    // a copy that holds all of a save (see ini::SaveThroughCopy).
    void WriteAllOrNothing(const std::function<void()>& writes, const ini::WholeCopyTest& whole = nullptr);

    bool ReadFlag(const std::string& section, const std::string& key, bool def);
    void WriteFlag(const std::string& section, const std::string& key, bool value);
    int32_t ReadNumber(const std::string& section, const std::string& key, int32_t def);
    void WriteNumber(const std::string& section, const std::string& key, int32_t value);
    // Texts are stored between "｢" and "｣", so leading and trailing blanks survive.
    std::string ReadText(const std::string& section, const std::string& key, const std::string& def);
    void WriteText(const std::string& section, const std::string& key, const std::string& value);
    // A list is stored as the key name + ".Count" and one text per entry under
    // name + "." + index. Reading replaces all of `list`'s entries; a missing
    // count keeps its length, a missing entry keeps the entry at that place.
    void ReadTextList(const std::string& section, const std::string& name, TStringList& list);
    void WriteTextList(const std::string& section, const std::string& name, const TStringList& list);

private:
    // Forms the full path from a name (see SetFileName) and stores both.
    void FormPath(const std::wstring& name, const std::string& storedName);

    std::unique_ptr<TIniFile> FIniFile;
    TIniGTDefaultDir FDefaultDir = ddApplication;
    std::string FFileName;
};

// The full path of the running executable, as TIniGT sees it. Empty means the
// platform's own answer; a test may install a stand-in to try other names, in
// code page 932 or, with the wide hook (which goes first), in UTF-16.
std::function<std::string()>& IniGTModulePathHook();
std::function<std::wstring()>& IniGTModulePathHookW();

} // namespace vcl
