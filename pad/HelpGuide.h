// Help. Windows 10 and 11 cannot open the old help file, and the package holds
// none: without one beside the program, Help opens the Japanese guide that the
// package holds beside the program (an HTML page) in the user's browser.
#pragma once

#include <windows.h>

#include <string>

namespace vcl {

// The guide's file name, beside vantro.exe.
extern const wchar_t* const GuideFileName;

// With the application's help file beside the program: the help viewer at
// context 1, as always. Without it: the guide in the browser; a message box
// (owned by `owner`) says where the guide is when even that fails.
void OpenHelp(HWND owner);

// The message when neither the help file nor the guide could be opened.
std::wstring GuideFailedText(const std::wstring& guidePath);

} // namespace vcl
