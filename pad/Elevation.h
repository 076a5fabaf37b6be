// Windows keeps the input of a process from reaching the windows of a process
// that runs with higher rights: keys the pad holds never reach a target that
// runs as administrator while the pad does not.
#pragma once

#include <windows.h>

#include <string>

#include "framework/Platform.h"

namespace vcl {

// Whether keys the pad sends cannot reach a target. A target running elevated
// cannot receive them unless the pad is elevated too; a target whose process
// cannot even be opened for a query counts as elevated only when the pad is
// not (an elevated pad can open any process of the session that is not
// protected, and its keys reach every window anyway).
bool TargetRefusesKeys(const platform::ProcessElevation& target, const platform::ProcessElevation& self);

// The same question for the process that owns `wnd`, asked through the
// platform seam.
bool WindowRefusesKeys(HWND wnd);

// The pad's hint while its target cannot receive the keys.
extern const char* const kElevatedTargetHint;

} // namespace vcl
