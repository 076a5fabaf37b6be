// Windows keeps the input of a process from reaching the windows of a process
// that runs at a higher integrity level: keys the pad holds never reach a
// target that runs as administrator (or above medium in any other way) while
// the pad does not.
#pragma once

#include <windows.h>

#include <string>

#include "framework/Platform.h"

namespace vcl {

// Whether keys the pad sends cannot reach a target. They cannot when the
// target's integrity level is above the pad's. A target whose process cannot
// even be opened for a query (another user's, a protected one) counts as
// unreachable unless the pad itself runs at high level or above (then it can
// open any process of the session that is not protected, and its keys reach
// every window anyway). A pad whose own level is unknown counts as medium.
bool TargetRefusesKeys(const platform::ProcessIntegrity& target, const platform::ProcessIntegrity& self);

// The same question for the process that owns `wnd`, asked through the
// platform seam. No window (nothing has the input) refuses nothing.
bool WindowRefusesKeys(HWND wnd);

// Whether the window that has the input (`foreground`) can take the pad's
// keys. With none in front (the lock screen, the secure desktop: the
// foreground is null there) nothing the pad sends arrives, and what the
// system reports of the keys cannot be trusted either.
bool InputTakesPadKeys(HWND foreground);

// The pad's hint while its target cannot receive the keys.
extern const char* const kElevatedTargetHint;

} // namespace vcl
