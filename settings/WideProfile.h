// Where the settings component meets the platform. The program's texts are
// code page 932 byte strings; paths, keys and values reach the platform through
// its wide (UTF-16) calls, so that a settings file in a folder whose name code
// page 932 cannot hold (accented letters, Hangul, many Chinese characters) is
// still found, read and written. The file itself stays as the platform's
// private-profile calls keep it: an ANSI file in the process's code page, which
// is code page 932 on the systems the program is made for.
#pragma once

#include <string>

namespace vcl {
namespace ini {

// Code page 932 bytes as UTF-16, and back. A character that code page 932
// cannot hold comes back as "?" (never as a look-alike: "ë" is not "e", so a
// path never names another file); every character the program's own texts use
// (double-byte characters, half-width katakana, the brackets ｢ and ｣) converts
// both ways unchanged.
std::wstring WideFrom932(const std::string& text);
std::string Cp932From(const std::wstring& text);

// The program's texts as the wide profile calls take them, and back, for a
// process whose ANSI code page is `codePage`. Those calls keep the file in
// that code page and convert with it, so texts converted with the same code
// page reach the file as the very bytes the ANSI calls write (and come back as
// the bytes those calls read), on a system of any code page. The profile
// calls below use the process's own (CP_ACP).
std::wstring ProfileText(const std::string& bytes, unsigned codePage);
std::string ProfileBytes(const std::wstring& text, unsigned codePage);

// The running executable's full path (GetModuleFileNameW), whole whatever its length.
std::wstring ModuleFileName();
// The Windows directory (GetWindowsDirectoryW), without a trailing "\" unless it is a root.
std::wstring WindowsDirectory();

// One private-profile read: the stored text of the key, or `def` when the
// file, section or key is missing. Values of any length come back whole.
std::string ReadProfileString(const std::wstring& file, const std::string& section,
                              const std::string& key, const std::string& def);
// One private-profile write; false when the platform refused it.
bool WriteProfileString(const std::wstring& file, const std::string& section,
                        const std::string& key, const std::string& value);

// Whether a file can be read now. The profile calls answer a file that another
// program holds open without sharing with the defaults, exactly as if it were
// missing; this tells the two apart.
enum class FileReadState {
    Missing,   // no such file (or folder): the defaults are the truth
    Readable,  // it opens for reading
    Held,      // it is there but does not open: held by another program, or denied
};
FileReadState ProbeForReading(const std::wstring& path);
// Probes again every few milliseconds while the file is held, for at most
// `waitMs` milliseconds; the last state seen.
FileReadState WaitUntilReadable(const std::wstring& path, unsigned waitMs);

} // namespace ini
} // namespace vcl
