#include "pad/SettingsGuard.h"

#include "settings/WideProfile.h"

namespace vcl {

bool SettingsToWrite(bool readFailed, const PadSettingsValues& atStart, const PadSettingsValues& now) {
    return !readFailed || now != atStart;
}

bool PadCommandsAllowed(bool askingToEnd) { return !askingToEnd; }

std::wstring SettingsReadFailedText(const std::wstring& path) {
    return path + ini::WideFrom932(" を読み込めません.\n既定の設定で起動します. "
                                   "設定を変更しない限り, このファイルは書き換えません.");
}

std::wstring SettingsWriteFailedText(const std::wstring& path) {
    return path + ini::WideFrom932(" に書き込めません.\n設定を保存せずに終了しますか?");
}

} // namespace vcl
