#include "dialogs/ListEdit.h"

#include "dialogs/TargetText.h"
#include "dialogs/TitleSet.h"
#include "framework/Dialogs.h"
#include "framework/Platform.h"
#include "pad/HelpGuide.h"
#include "pad/VTform.h"
#include "resources/EditForm.layout.h"
#include "vantro_version.h"

namespace vcl {

TEditForm* EditForm = nullptr;

const char* const VersionText = "Ver " VANTRO_VERSION_SHORT;
const char* const EditFormAboutNotice = "ﾀｰｹﾞｯﾄﾘｽﾄとｵﾌﾟｼｮﾝの設定\rSHIFT/CTRL ﾗｯﾁﾊﾟｯﾄﾞ";

std::string AboutApplicationText() {
    return std::string("Vantro Pad for Windows95 - Vantro  ") + VersionText + "#" + "Windows & Vantro";
}

TEditForm::TEditForm(TComponent* owner) : TForm(owner, "TEditForm") {
    ReadLayout([this] { ReadEditFormLayout(*this); });
}

void TEditForm::BringBack() {
    // The add-target dialog goes last, on top: it was opened from this one.
    for (TForm* form : {static_cast<TForm*>(this), static_cast<TForm*>(SetTitle)}) {
        if (!form || !form->Visible()) continue;
        if (IsIconic(form->Handle())) ShowWindow(form->Handle(), SW_RESTORE);
        platform::SetForeground(form->Handle());
    }
}

void TEditForm::FormShow(TObject*) {
    if (TargetEditList->Items().Count() > 0) TargetEditList->SetItemIndex(0);
}

void TEditForm::FormHide(TObject*) {
    // The add-target dialog appends to this dialog's list: once this dialog has
    // closed, the pad no longer reads that list, so an entry added later would
    // be lost. The add-target dialog closes with it.
    if (SetTitle && SetTitle->Visible()) SetTitle->Hide();
}

void TEditForm::DelBtnClick(TObject*) {
    const int index = TargetEditList->ItemIndex();
    if (index < 0) return;
    TargetEditList->Items().Delete(index);
}

void TEditForm::AddBtnClick(TObject*) {
    if (SetTitle) SetTitle->Show();
}

void TEditForm::EditBtnClick(TObject*) {
    const int index = TargetEditList->ItemIndex();
    if (index < 0) return;
    std::string text = TargetEditList->Items()[index];
    if (!InputQuery("Targetの変更", "対象ｱﾌﾟﾘｹｰｼｮﾝのﾀｲﾄﾙ名を変更して下さい。", text)) return;
    // A pasted line break would break the entry's line in the settings file.
    text = CleanTargetText(text);
    TargetEditList->Items().Delete(index);
    TargetEditList->Items().Insert(index, text);
}

void TEditForm::QuitClick(TObject*) {
    // Closing the pad (the main form) saves the settings in effect and ends
    // the program; this dialog's modal loop then ends with Cancel, so nothing
    // edited here is taken over.
    if (VTform) VTform->Close();
}

void TEditForm::ViewVersionClick(TObject*) {
    const std::string app = AboutApplicationText();
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), "MAINICON");
    platform::ShellAbout(Handle(), app.c_str(), EditFormAboutNotice, icon);
}

void TEditForm::ViewHelpClick(TObject*) {
    OpenHelp(VTform ? VTform->Handle() : nullptr);
}

void TEditForm::Opt_allClick(TObject*) {}

void TEditForm::NoBothClick(TObject*) {}

} // namespace vcl
