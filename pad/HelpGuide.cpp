#include "pad/HelpGuide.h"

#include "framework/Forms.h"
#include "framework/Platform.h"
#include "settings/IniRules.h"
#include "settings/WideProfile.h"

namespace vcl {

const wchar_t* const GuideFileName = L"README.ja.html";

namespace {

bool IsFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

} // namespace

std::wstring GuideFailedText(const std::wstring& guidePath) {
    return ini::WideFrom932("ﾍﾙﾌﾟを開けません.\n利用ｶﾞｲﾄﾞ ") + guidePath +
           ini::WideFrom932(" をﾌﾞﾗｳｻﾞで開いてください.");
}

void OpenHelp(HWND owner) {
    const std::string helpFile = Application ? Application->HelpFile() : std::string();
    const std::wstring folder = ini::DirectoryPart(ini::ModuleFileName());
    if (!helpFile.empty() && IsFile(folder + ini::WideFrom932(helpFile))) {
        platform::WinHelp(owner, helpFile.c_str(), HELP_CONTEXT, 1);
        return;
    }
    const std::wstring guide = folder + GuideFileName;
    if (platform::ShellOpen(owner, guide.c_str())) return;
    const std::wstring caption = ini::WideFrom932(Application ? Application->Title() : std::string("Vantro Pad"));
    platform::ShowMessageBoxW(owner, GuideFailedText(guide).c_str(), caption.c_str(), MB_OK | MB_ICONINFORMATION);
}

} // namespace vcl
