#include "pad/Elevation.h"

namespace vcl {

const char* const kElevatedTargetHint =
    "このｳｨﾝﾄﾞｳは管理者の権限で動いているため､SHIFT/CTRLのｷｰを受け取れません.";

bool TargetRefusesKeys(const platform::ProcessIntegrity& target, const platform::ProcessIntegrity& self) {
    const DWORD own = self.opened ? self.level : static_cast<DWORD>(SECURITY_MANDATORY_MEDIUM_RID);
    if (!target.opened) return own < static_cast<DWORD>(SECURITY_MANDATORY_HIGH_RID);
    return target.level > own;
}

bool WindowRefusesKeys(HWND wnd) {
    DWORD pid = 0;
    if (!wnd || !GetWindowThreadProcessId(wnd, &pid) || pid == 0) return false;
    const platform::ProcessIntegrity self = platform::QueryProcessIntegrity(GetCurrentProcessId());
    return TargetRefusesKeys(platform::QueryProcessIntegrity(pid), self);
}

} // namespace vcl

namespace vcl {

bool InputTakesPadKeys(HWND foreground) { return foreground != nullptr && !WindowRefusesKeys(foreground); }

} // namespace vcl
