#include "pad/SettingsGuard.h"

#include "settings/WideProfile.h"

namespace vcl {

bool SettingsToWrite(bool readFailed, const PadSettingsValues& atStart, const PadSettingsValues& now) {
    return !readFailed || now != atStart;
}

namespace {

// A number's decimal digits (std::to_wstring would bring the whole of the
// runtime's wide formatting into the program).
std::wstring DecimalW(unsigned value) {
    std::wstring digits;
    do {
        digits.insert(digits.begin(), static_cast<wchar_t>(L'0' + value % 10));
        value /= 10;
    } while (value);
    return digits;
}

} // namespace

bool SavedWhole(const std::wstring& file) {
    // A value no save ever writes: the key is missing.
    const std::string none = "\x01";
    return ini::ReadProfileString(file, "Pad", "NoBoth", none) != none;
}

bool CodePageKeepsSettings(unsigned codePage) {
    if (codePage == 932) return true;
    CPINFO info{};
    return GetCPInfo(codePage, &info) && info.MaxCharSize == 1;
}

std::wstring CodePageRefusesSaveText(const std::wstring& path, unsigned codePage) {
    return path + ini::WideFrom932(" に設定を保存しません.\n"
                                   "このWindowsの文字ｺｰﾄﾞ (ｺｰﾄﾞﾍﾟｰｼﾞ ") +
           DecimalW(codePage) +
           ini::WideFrom932(") では設定ﾌｧｲﾙの日本語が別の文字に変わるため, 保存すると一覧が壊れます.\n"
                            "設定を残すには, [設定] → [時刻と言語] → [言語と地域] → [管理用の言語の設定] → "
                            "[システム ロケールの変更] で [日本語 (日本)] を選び, "
                            "[ベータ: ワールドワイド言語サポートで Unicode UTF-8 を使用] をオフにして, "
                            "Windowsを再起動してください.");
}

bool PadCommandsAllowed(bool askingToEnd) { return !askingToEnd; }

bool FirstStartNoticeWanted(ini::FileReadState settingsFile, bool wholeCopyLeft) {
    return settingsFile == ini::FileReadState::Missing && !wholeCopyLeft;
}

const char* const FirstStartNoticeTitle = "Vantro Pad が起動しました";
const char* const FirstStartNoticeText =
    "ｱｲｺﾝは画面右下の通知領域か､その｢^｣の中です.\n"
    "ｱｲｺﾝかこの通知をｸﾘｯｸすると各種設定が開きます.";

std::wstring SettingsReadFailedText(const std::wstring& path) {
    return path + ini::WideFrom932(" を読み込めません.\n既定の設定で起動します. "
                                   "設定を変更しない限り, このファイルは書き換えません.");
}

std::wstring SettingsWriteFailedText(const std::wstring& path) {
    return path + ini::WideFrom932(" に書き込めません.\n設定を保存せずに終了しますか?");
}

} // namespace vcl
