// The add-target dialog: offers the titles of the open windows and appends
// the chosen or typed title to the settings dialog's list.
#pragma once

#include <windows.h>

#include "controls/hslabel.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"

namespace vcl {

class TSetTitle : public TForm {
public:
    explicit TSetTitle(TComponent* owner);

    // Components, created by the layout.
    THSLabel* GetTitleLabel = nullptr;
    THSLabel* HSLabel1 = nullptr;
    THSLabel* HSLabel2 = nullptr;
    TEdit* TargetEditBox = nullptr;
    TListBox* TargetList = nullptr;
    TButton* CanBtn = nullptr;
    TButton* OKBtn = nullptr;

    void FormShow(TObject* sender);
    void TargetListClick(TObject* sender);
    void OKBtnClick(TObject* sender);
    void CanBtnClick(TObject* sender);

    // EnumWindows callback: offers the title of one top-level window. `param`
    // is the dialog. Always returns TRUE, so that the enumeration goes on.
    static BOOL CALLBACK EnumTitleProc(HWND wnd, LPARAM param);
};

extern TSetTitle* SetTitle;

// The fixed candidates, always offered first.
extern const char* const FixedCandidates[3];
// The hint of the candidate list: two lines joined by a carriage return.
extern const char* const TargetListHint;

} // namespace vcl
