// Layout of the pad form: the stored values only, in declaration order.
// Included by pad/VTform.cpp inside the form's constructor.
#pragma once

#include "pad/VTform.h"

namespace vcl {

inline void ReadVTformLayout(TVTform& f) {
    using std::placeholders::_1;
    using std::placeholders::_2;
    using std::placeholders::_3;
    using std::placeholders::_4;
    using std::placeholders::_5;

    f.SetName("VTform");
    f.SetBorderStyle(bsNone);
    f.SetBorderIcons(biSystemMenu);
    f.SetFormStyle(fsStayOnTop);
    f.SetCaption("Vantro");
    f.SetColor(clInactiveCaption);
    f.Font().SetCharset(SHIFTJIS_CHARSET);
    f.Font().SetName("ＭＳ Ｐゴシック");
    f.Font().SetHeight(-12);
    f.SetImeMode(imClose);
    f.SetIconResource("VTFORMICON");
    // The pad is laid out from the caption metrics, which follow the screen's
    // resolution already.
    f.SetScaled(false);
    f.SetClientSize(144, 129);
    f.SetBounds(84, 462, f.Width(), f.Height());
    f.OnActivate = std::bind(&TVTform::FormActivate, &f, _1);
    f.OnClose = std::bind(&TVTform::FormClose, &f, _1, _2);
    f.OnCreate = std::bind(&TVTform::FormCreate, &f, _1);
    f.OnDestroy = std::bind(&TVTform::FormDestroy, &f, _1);
    f.OnMouseDown = std::bind(&TVTform::FormMouseDown, &f, _1, _2, _3, _4, _5);

    auto* panel = f.VTpanel = new TPanel(&f);
    panel->SetName("VTpanel");
    panel->SetParent(&f);
    panel->SetBounds(0, 0, 144, 18);
    panel->SetBevelOuter(bvNone);
    panel->SetColor(clActiveCaption);
    panel->OnMouseDown = f.OnMouseDown;

    auto* label = f.NameLabel = new THSLabel(&f);
    label->SetName("NameLabel");
    label->SetParent(panel);
    label->SetBounds(6, 2, 41, 14);
    label->SetCaption("Vantro");
    label->Font().SetCharset(DEFAULT_CHARSET);
    label->Font().SetName("Arial");
    label->Font().SetHeight(-11);
    label->Font().SetStyle(fsBold);
    label->Font().SetColor(clYellow);
    label->SetParentFont(false);
    label->SetShadow(true);
    label->SetShadowdown(true);
    label->SetShadowColor(clBlack);
    label->OnMouseDown = f.OnMouseDown;

    auto makeButton = [&](const char* name, int left, const char* caption, int group) {
        auto* b = new TSpeedButton(&f);
        b->SetName(name);
        b->SetParent(panel);
        b->SetBounds(left, 2, 34, 14);
        b->SetCaption(caption);
        b->Font().SetCharset(DEFAULT_CHARSET);
        b->Font().SetName("Arial");
        b->Font().SetHeight(-11);
        b->Font().SetColor(clBlack);
        b->SetParentFont(false);
        b->SetGroupIndex(group);
        b->SetAllowAllUp(true);
        b->OnClick = std::bind(&TVTform::ShiftBtnClick, &f, _1);
        b->OnMouseDown = std::bind(&TVTform::ShiftBtnMouseDown, &f, _1, _2, _3, _4, _5);
        return b;
    };
    f.ShiftBtn = makeButton("ShiftBtn", 74, "SHIFT", 1);
    f.CtrlBtn = makeButton("CtrlBtn", 108, "CTRL", 2);

    f.Timer1 = new TTimer(&f);
    f.Timer1->SetName("Timer1");
    f.Timer1->SetEnabled(false);
    f.Timer1->SetInterval(100);
    f.Timer1->OnTimer = std::bind(&TVTform::Timer1Timer, &f, _1);

    f.PopupMenu1 = new TPopupMenu(&f);
    f.PopupMenu1->SetName("PopupMenu1");
    f.PopupMenu1->OnPopup = std::bind(&TVTform::PopupMenu1Popup, &f, _1);
    f.PopupMenu1->OnClose = std::bind(&TVTform::PopupMenu1Close, &f, _1);
    auto item = [&](TMenuItem*& field, const char* name, const char* caption, void (TVTform::*handler)(TObject*)) {
        field = new TMenuItem(&f);
        field->SetName(name);
        field->SetCaption(caption);
        if (handler) field->OnClick = std::bind(handler, &f, _1);
        f.PopupMenu1->Add(field);
    };
    item(f.Exit1, "Exit1", "終了", &TVTform::Exit1Click);
    item(f.N1, "N1", "-", nullptr);
    item(f.AddTarget, "AddTarget", "ﾀｰｹﾞｯﾄﾘｽﾄの変更", &TVTform::AddTargetClick);
    item(f.Opt_all2, "Opt_all2", "ﾀｰｹﾞｯﾄを限定しない", &TVTform::Opt_all2Click);
    item(f.NoBoth, "NoBoth", "ﾎﾞﾀﾝを同時に使用しない", &TVTform::NoBothClick);
    item(f.AutoStart1, "AutoStart1", "Windowsと同時に起動", &TVTform::AutoStart1Click);
    item(f.K1, "K1", "-", nullptr);
    item(f.Version1, "Version1", "Version", &TVTform::KVersion1Click);
    item(f.Help1, "Help1", "Help", &TVTform::Help1Click);
    label->SetPopupMenu(f.PopupMenu1);

    f.TaskTray1 = new TTaskTray(&f);
    f.TaskTray1->SetName("TaskTray1");
    f.TaskTray1->SetTipString("Vantro Pad");
    f.TaskTray1->SetIconResource("TRAYICON");
    f.TaskTray1->SetIconID(1);
    f.TaskTray1->SetRegistered(true);
    f.TaskTray1->OnMouseDown = std::bind(&TVTform::TaskTray1MouseDown, &f, _1, _2, _3, _4, _5);
    f.TaskTray1->OnBalloonClick = std::bind(&TVTform::TaskTray1BalloonClick, &f, _1);

    f.IniG = new TIniGT(&f);
    f.IniG->SetName("IniG");
    f.IniG->SetDefaultDir(ddApplication);
}

} // namespace vcl
