// The text of a target-list entry, made safe before it is stored. The list is
// saved one entry per line of the settings file, and entries come from other
// programs' window titles and from what the user types or pastes: a line
// break or another control character in an entry would break that line and
// the entry would not read back. Pure functions, no window system.
#pragma once

#include <string>

namespace vcl {

// `text` with every control character below 0x20 (carriage return, line feed
// and tab among them) replaced by one blank each. Code page 932 text keeps
// its double-byte characters: their second bytes are never below 0x40.
std::string CleanTargetText(const std::string& text);

// `text` without a last byte that opens a double-byte character of code page
// 932 whose second byte was cut off (a window title read into a small buffer).
std::string DropCutLeadByte(const std::string& text);

// A window title as read for the candidate list, made fit to be an entry.
std::string CandidateText(const std::string& title);

} // namespace vcl
