// Layout of the add-target dialog: the stored values only, in declaration
// order. Included by dialogs/TitleSet.cpp inside the form's constructor.
#pragma once

#include "dialogs/TitleSet.h"

namespace vcl {

inline void ReadSetTitleLayout(TSetTitle& f) {
    using std::placeholders::_1;

    f.SetName("SetTitle");
    f.SetBorderStyle(bsDialog);
    f.SetBorderIcons(biSystemMenu);
    f.SetCaption("ﾀｰｹﾞｯﾄの追加");
    f.SetClientSize(259, 198);
    f.Font().SetCharset(SHIFTJIS_CHARSET);
    f.Font().SetName("ＭＳ Ｐゴシック");
    f.Font().SetHeight(-12);
    f.SetPosition(poScreenCenter);
    f.OnShow = std::bind(&TSetTitle::FormShow, &f, _1);

    auto label = [&](const char* name, int left, int top, int width, const char* caption, TColor color) {
        auto* l = new THSLabel(&f);
        l->SetName(name);
        l->SetParent(&f);
        l->SetBounds(left, top, width, 12);
        l->SetCaption(caption);
        l->Font().SetCharset(SHIFTJIS_CHARSET);
        l->Font().SetColor(color);
        l->Font().SetHeight(-12);
        l->Font().SetName("ＭＳ Ｐゴシック");
        l->Font().SetStyle(fsBold);
        l->SetParentFont(false);
        l->SetShadow(true);
        return l;
    };
    f.GetTitleLabel = label("GetTitleLabel", 8, 8, 241, "追加するﾀｰｹﾞｯﾄのﾀｲﾄﾙを入力して下さい。", clNavy);
    f.HSLabel1 = label("HSLabel1", 19, 28, 218, "ﾌｧｲﾙ名やﾃﾞｨﾚｸﾄﾘ名、[-]などは削除し", clRed);
    f.HSLabel2 = label("HSLabel2", 53, 44, 150, "ﾀｲﾄﾙのみ指定して下さい。", clRed);

    f.TargetEditBox = new TEdit(&f);
    f.TargetEditBox->SetName("TargetEditBox");
    f.TargetEditBox->SetParent(&f);
    f.TargetEditBox->SetBounds(8, 60, 241, 20);
    f.TargetEditBox->SetTabOrder(2);

    f.TargetList = new TListBox(&f);
    f.TargetList->SetName("TargetList");
    f.TargetList->SetParent(&f);
    f.TargetList->SetBounds(8, 83, 241, 88);
    f.TargetList->SetItemHeight(12);
    f.TargetList->SetShowHint(true);
    f.TargetList->SetTabOrder(3);
    f.TargetList->OnClick = std::bind(&TSetTitle::TargetListClick, &f, _1);

    auto button = [&](const char* name, int left, const char* caption, TModalResult result, int tabOrder) {
        auto* b = new TButton(&f);
        b->SetName(name);
        b->SetParent(&f);
        b->SetBounds(left, 175, 53, 20);
        b->SetCaption(caption);
        b->SetModalResult(result);
        b->SetTabOrder(tabOrder);
        return b;
    };
    f.CanBtn = button("CanBtn", 140, "CANCEL", mrCancel, 0);
    f.CanBtn->OnClick = std::bind(&TSetTitle::CanBtnClick, &f, _1);
    f.OKBtn = button("OKBtn", 196, "OK", mrOk, 1);
    f.OKBtn->OnClick = std::bind(&TSetTitle::OKBtnClick, &f, _1);
}

} // namespace vcl
