#include "dialogs/TitleSet.h"

#include <string>

#include "dialogs/ListEdit.h"
#include "dialogs/TargetText.h"
#include "resources/SetTitle.layout.h"

namespace vcl {

TSetTitle* SetTitle = nullptr;

const char* const FixedCandidates[3] = {"ｴｸｽﾌﾟﾛｰﾗ", "ﾌﾟﾛｸﾞﾗﾑ ﾏﾈｰｼﾞｬ", "ﾌｧｲﾙ ﾏﾈｰｼﾞｬ"};
const char* const TargetListHint =
    "設定したいｱﾌﾟﾘｹｰｼｮﾝのﾀｲﾄﾙがﾘｽﾄにない場合は\r"
    "そのｱﾌﾟﾘｹｰｼｮﾝを起動後、もう一度この画面を開いて下さい。";

namespace {

// Titles never offered: the program manager (whole title, exact bytes) and
// titles that contain one of the shell windows' names (written without the
// blank that the fixed candidates have).
const char* const kProgramManager = "Program Manager";
const char* const kExcludedParts[] = {"ｴｸｽﾌﾟﾛｰﾗ", "ﾌﾟﾛｸﾞﾗﾑﾏﾈｰｼﾞｬ", "ﾌｧｲﾙﾏﾈｰｼﾞｬ"};
// A title is read into a 41-byte buffer with a count of 40: at most 39 bytes.
constexpr int kTitleBufferSize = 41;
constexpr int kTitleCount = 40;

} // namespace

TSetTitle::TSetTitle(TComponent* owner) : TForm(owner, "TSetTitle") {
    ReadLayout([this] { ReadSetTitleLayout(*this); });
}

void TSetTitle::FormShow(TObject*) {
    TargetList->SetHint(TargetListHint);
    TargetList->Items().Clear();
    for (const char* candidate : FixedCandidates) TargetList->Items().Add(candidate);
    EnumWindows(&TSetTitle::EnumTitleProc, reinterpret_cast<LPARAM>(this));
    TargetEditBox->SetText(TargetList->Items()[0]);
    TargetList->SetItemIndex(0);
}

BOOL CALLBACK TSetTitle::EnumTitleProc(HWND wnd, LPARAM param) {
    auto* self = reinterpret_cast<TSetTitle*>(param);
    if (GetWindow(wnd, GW_OWNER)) return TRUE;
    if (!IsWindowVisible(wnd)) return TRUE;
    char buffer[kTitleBufferSize] = "";
    GetWindowTextA(wnd, buffer, kTitleCount);
    buffer[kTitleBufferSize - 1] = '\0';
    // Titles are other programs' text: a cut double-byte character is dropped
    // and control characters become blanks, so that the candidate can be stored.
    const std::string title = CandidateText(buffer);
    if (title.empty()) return TRUE;
    if (title == kProgramManager) return TRUE;
    for (const char* part : kExcludedParts)
        if (title.find(part) != std::string::npos) return TRUE;
    if (self->TargetList->Items().IndexOf(title) >= 0) return TRUE;
    self->TargetList->Items().Add(title);
    return TRUE;
}

void TSetTitle::TargetListClick(TObject*) {
    const int index = TargetList->ItemIndex();
    if (index >= 0) TargetEditBox->SetText(TargetList->Items()[index]);
}

void TSetTitle::OKBtnClick(TObject*) {
    Hide();
    // Typed or pasted text may hold line breaks: they become blanks.
    const std::string text = CleanTargetText(TargetEditBox->Text());
    if (!EditForm) return;
    TListBoxStrings& targets = EditForm->TargetEditList->Items();
    if (targets.IndexOf(text) >= 0) return;
    targets.Add(text);
}

void TSetTitle::CanBtnClick(TObject*) { Hide(); }

} // namespace vcl
