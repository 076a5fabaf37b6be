// The pure rules of the settings file: how numbers and bracketed texts are
// encoded, how a file name splits into directory, name and extension, and how
// far a stored list count is believed. Nothing here touches the platform, so
// these rules also build and run on their own (unit tests, fuzzing).
//
// Texts are code page 932 byte strings; paths are UTF-16, as the platform's
// wide calls give them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vcl {
namespace ini {

// Half-width corner brackets, single bytes in code page 932. Every text is
// stored between them, so blanks at either end survive the profile file.
constexpr char kOpenBracket = '\xA2';   // "｢"
constexpr char kCloseBracket = '\xA3';  // "｣"

// Number rule. A stored text converts when, after an optional "0x"/"0X" prefix
// (taken as "$") or else after leading blanks (0x20), it is either "$" and
// hexadecimal digits with at most 8 significant ones (a 32-bit pattern), or an
// optional sign and decimal digits within the 32-bit signed range, with
// nothing after the digits. Returns false (value untouched) when it does not.
bool ParseNumber(const std::string& text, int32_t& value);
// The converted number, or `def` when the text does not convert.
int32_t NumberOr(const std::string& text, int32_t def);
// Decimal text with a leading "-" for negative values.
std::string NumberText(int32_t value);

// "｢" + text + "｣".
std::string Bracketed(const std::string& text);
// Takes one pair of brackets (or double quotes) off a stored value: "｢｣" and
// two double quotes give the empty text; a longer value whose first and last
// bytes are such a pair loses them; anything else comes back unchanged. Works
// on single bytes, regardless of double-byte characters.
std::string Unbracketed(const std::string& stored);

// Where a path's directory part and extension are. `dirEnd` is the length of
// the directory part: everything up to and including the last ":" or "\", or 0
// when there is none. `dot` is the index of the last "." after the directory
// part, or npos. A UTF-16 unit that stands for ":", "\" or "." is always that
// character, so no character is ever split (a code page 932 trail byte 0x5C,
// as in "表", is part of one unit here).
struct NameParts {
    std::size_t dirEnd = 0;
    std::size_t dot = std::string::npos;
};
NameParts ScanName(const std::wstring& path);
inline bool HasDirectoryPart(const std::wstring& name) { return ScanName(name).dirEnd > 0; }
// The directory part, ending in its separator (empty when there is none).
std::wstring DirectoryPart(const std::wstring& path);
// The settings file name that belongs to an executable: its file name with the
// extension replaced by ".ini" ("D:\TOOLS\MY.PAD.EXE" gives "MY.PAD.ini").
std::wstring DefaultIniName(const std::wstring& exePath);

// Text lists: the count key and the entry keys of list `name`.
std::string ListCountKey(const std::string& name);
std::string ListEntryKey(const std::string& name, int32_t index);

// The most entries a stored count is believed for. A target list holds a
// handful of window-title fragments; this is far above any real one, yet it
// keeps a damaged or hand-edited count such as 2147483647 from costing billions
// of profile reads and gigabytes of empty entries.
constexpr int32_t kMaxListCount = 10000;
// How many entries to read for a stored (or defaulted) count when the list
// holds `current` entries now: never below 0, and never above the larger of
// kMaxListCount and `current` (a list the caller already holds is never cut).
int32_t BoundListCount(int32_t count, int32_t current);

} // namespace ini
} // namespace vcl
