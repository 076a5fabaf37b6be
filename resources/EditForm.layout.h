// Layout of the settings dialog: the stored values only, in declaration order.
// Included by dialogs/ListEdit.cpp inside the form's constructor.
#pragma once

#include "dialogs/ListEdit.h"

namespace vcl {

inline void ReadEditFormLayout(TEditForm& f) {
    using std::placeholders::_1;

    f.SetName("EditForm");
    f.SetBorderStyle(bsSizeToolWin);
    f.SetBorderIcons(biSystemMenu);
    f.SetCaption(" 各種設定");
    f.SetClientSize(194, 207);
    f.Font().SetCharset(SHIFTJIS_CHARSET);
    f.Font().SetName("ＭＳ Ｐゴシック");
    f.Font().SetHeight(-12);
    f.SetImeMode(imClose);
    f.SetPosition(poScreenCenter);
    f.OnShow = std::bind(&TEditForm::FormShow, &f, _1);
    f.OnHide = std::bind(&TEditForm::FormHide, &f, _1);

    f.Bevel2 = new TBevel(&f);
    f.Bevel2->SetName("Bevel2");
    f.Bevel2->SetParent(&f);
    f.Bevel2->SetBounds(4, 0, 185, 2);

    f.HSLabel1 = new THSLabel(&f);
    f.HSLabel1->SetName("HSLabel1");
    f.HSLabel1->SetParent(&f);
    f.HSLabel1->SetBounds(29, 8, 67, 16);
    f.HSLabel1->SetCaption("Target List");
    f.HSLabel1->Font().SetCharset(DEFAULT_CHARSET);
    f.HSLabel1->Font().SetColor(clNavy);
    f.HSLabel1->Font().SetHeight(-13);
    f.HSLabel1->Font().SetName("Arial");
    f.HSLabel1->Font().SetStyle(fsBold);
    f.HSLabel1->SetParentFont(false);
    f.HSLabel1->SetShadow(true);

    f.TargetEditList = new TListBox(&f);
    f.TargetEditList->SetName("TargetEditList");
    f.TargetEditList->SetParent(&f);
    f.TargetEditList->SetBounds(4, 28, 117, 112);
    f.TargetEditList->SetImeMode(imClose);
    f.TargetEditList->SetItemHeight(12);
    f.TargetEditList->SetTabOrder(0);

    auto button = [&](const char* name, int top, const char* caption, int tabOrder) {
        auto* b = new TButton(&f);
        b->SetName(name);
        b->SetParent(&f);
        b->SetBounds(132, top, 57, 19);
        b->SetCaption(caption);
        b->SetTabOrder(tabOrder);
        return b;
    };
    f.DelBtn = button("DelBtn", 28, "削除", 1);
    f.DelBtn->OnClick = std::bind(&TEditForm::DelBtnClick, &f, _1);
    f.AddBtn = button("AddBtn", 51, "追加", 2);
    f.AddBtn->OnClick = std::bind(&TEditForm::AddBtnClick, &f, _1);
    f.EditBtn = button("EditBtn", 74, "変更", 3);
    f.EditBtn->OnClick = std::bind(&TEditForm::EditBtnClick, &f, _1);
    f.CanBtn = button("CanBtn", 97, "CANCEL", 4);
    f.CanBtn->SetModalResult(mrCancel);
    f.OKbtn = button("OKbtn", 120, "OK", 5);
    f.OKbtn->SetModalResult(mrOk);

    f.Bevel1 = new TBevel(&f);
    f.Bevel1->SetName("Bevel1");
    f.Bevel1->SetParent(&f);
    f.Bevel1->SetBounds(4, 148, 185, 3);

    f.Opt_all = new TCheckBox(&f);
    f.Opt_all->SetName("Opt_all");
    f.Opt_all->SetParent(&f);
    f.Opt_all->SetBounds(20, 160, 169, 17);
    f.Opt_all->SetCaption("ﾀｰｹﾞｯﾄを限定しない");
    f.Opt_all->SetTabOrder(6);
    f.Opt_all->OnClick = std::bind(&TEditForm::Opt_allClick, &f, _1);

    f.NoBoth = new TCheckBox(&f);
    f.NoBoth->SetName("NoBoth");
    f.NoBoth->SetParent(&f);
    f.NoBoth->SetBounds(20, 184, 169, 17);
    f.NoBoth->SetCaption("ﾎﾞﾀﾝを同時に使用しない");
    f.NoBoth->SetTabOrder(7);
    f.NoBoth->OnClick = std::bind(&TEditForm::NoBothClick, &f, _1);

    f.MainMenu1 = new TMainMenu(&f);
    f.MainMenu1->SetName("MainMenu1");
    auto item = [&](const char* name, const char* caption) {
        auto* m = new TMenuItem(&f);
        m->SetName(name);
        m->SetCaption(caption);
        f.MainMenu1->Add(m);
        return m;
    };
    f.Quit = item("Quit", "Vantroの終了");
    f.Quit->OnClick = std::bind(&TEditForm::QuitClick, &f, _1);
    f.ViewVersion = item("ViewVersion", "Version");
    f.ViewVersion->OnClick = std::bind(&TEditForm::ViewVersionClick, &f, _1);
    f.ViewHelp = item("ViewHelp", "Help");
    f.ViewHelp->OnClick = std::bind(&TEditForm::ViewHelpClick, &f, _1);
    f.SetMainMenu(f.MainMenu1);
}

} // namespace vcl
