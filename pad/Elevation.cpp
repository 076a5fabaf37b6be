#include "pad/Elevation.h"

namespace vcl {

const char* const kElevatedTargetHint =
    "このｳｨﾝﾄﾞｳは管理者の権限で動いているため､SHIFT/CTRLのｷｰを受け取れません.";

bool TargetRefusesKeys(const platform::ProcessElevation& target, const platform::ProcessElevation& self) {
    const bool selfElevated = self.opened && self.elevated;
    if (selfElevated) return false;
    if (!target.opened) return true;
    return target.elevated;
}

bool WindowRefusesKeys(HWND wnd) {
    DWORD pid = 0;
    if (!wnd || !GetWindowThreadProcessId(wnd, &pid) || pid == 0) return false;
    const platform::ProcessElevation self = platform::QueryProcessElevation(GetCurrentProcessId());
    return TargetRefusesKeys(platform::QueryProcessElevation(pid), self);
}

} // namespace vcl
