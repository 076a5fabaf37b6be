// The settings dialog: edits a copy of the target list and the two options.
//
// The pad fills TargetEditList (Items().Assign), sets the check boxes Opt_all
// and NoBoth, calls ShowModal and, when it returns mrOk, takes the entries
// (Items().ToStringList()) and the check boxes' states back.
#pragma once

#include <string>

#include "controls/hslabel.h"
#include "framework/Forms.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"

namespace vcl {

// The program's version text, shown in both about boxes.
extern const char* const VersionText;
// The about box's application text: the part before "#" becomes the box's
// title, the part after it the box's first line.
std::string AboutApplicationText();
// The settings dialog's own notice in its about box (two lines).
extern const char* const EditFormAboutNotice;

class TEditForm : public TForm {
public:
    explicit TEditForm(TComponent* owner);

    // Components, created by the layout.
    TBevel* Bevel2 = nullptr;
    THSLabel* HSLabel1 = nullptr;
    TListBox* TargetEditList = nullptr;
    TButton* DelBtn = nullptr;
    TButton* AddBtn = nullptr;
    TButton* EditBtn = nullptr;
    TButton* CanBtn = nullptr;
    TButton* OKbtn = nullptr;
    TBevel* Bevel1 = nullptr;
    TCheckBox* Opt_all = nullptr;
    TCheckBox* NoBoth = nullptr;
    TMainMenu* MainMenu1 = nullptr;
    TMenuItem* Quit = nullptr;
    TMenuItem* ViewVersion = nullptr;
    TMenuItem* ViewHelp = nullptr;

    // The open dialog went behind other windows (it has no taskbar button):
    // it comes back to the front, restored if minimized, and so does the
    // add-target dialog beside it when that is open.
    void BringBack();

    void FormShow(TObject* sender);
    void FormHide(TObject* sender);
    void DelBtnClick(TObject* sender);
    void AddBtnClick(TObject* sender);
    void EditBtnClick(TObject* sender);
    void QuitClick(TObject* sender);
    void ViewVersionClick(TObject* sender);
    void ViewHelpClick(TObject* sender);
    void Opt_allClick(TObject* sender);
    void NoBothClick(TObject* sender);
};

extern TEditForm* EditForm;

} // namespace vcl
