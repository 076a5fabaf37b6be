// The settings dialog and the text input query, driven with real clicks and
// keys: layout, selection and focus rules, delete and change, results and
// options, the menu bar, position, closing with the add-target dialog open,
// and the quit item ending the program. Also the framework pieces the two
// dialogs stand on (tab order, list box height, centring).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "dialogs/ListEdit.h"
#include "dialogs/TitleSet.h"
#include "framework/Dialogs.h"
#include "pad/VTform.h"
#include "tests/support/testkit.h"

using namespace vcl;

namespace {

// ---------------------------------------------------------------- helpers

std::map<UINT_PTR, std::function<void()>>& LaterQueue() {
    static std::map<UINT_PTR, std::function<void()>> queue;
    return queue;
}

void CALLBACK LaterProc(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    auto it = LaterQueue().find(id);
    if (it == LaterQueue().end()) return;
    std::function<void()> fn = std::move(it->second);
    LaterQueue().erase(it);
    fn();
}

// Runs `fn` once, `ms` milliseconds from now, from whatever message loop is
// running then (a modal dialog's included).
void Later(int ms, std::function<void()> fn) {
    UINT_PTR id = SetTimer(nullptr, 0, static_cast<UINT>(ms), &LaterProc);
    LaterQueue()[id] = std::move(fn);
}

// Pumps through the application's own message handling, which gives Tab,
// Enter and Escape to the forms.
void PumpApp(int ms) {
    DWORD end = GetTickCount() + static_cast<DWORD>(ms);
    do {
        while (testkit::App().ProcessMessage()) {
        }
        Sleep(5);
    } while (static_cast<int>(end - GetTickCount()) > 0);
}

// Runs `fn` from the message loop as soon as `ready` holds (checked every
// 30 ms, for up to 6 s). It never waits inside a callback, so a modal loop
// that opens meanwhile does not hold it up.
void WhenReady(const std::function<bool()>& ready, const std::function<void()>& fn, int tries = 200) {
    Later(30, [=] {
        if (ready()) fn();
        else if (tries > 0) WhenReady(ready, fn, tries - 1);
        else ADD_FAILURE() << "the awaited window did not come";
    });
}

bool WaitApp(const std::function<bool()>& done, int ms = 3000) {
    DWORD end = GetTickCount() + static_cast<DWORD>(ms);
    while (!done()) {
        if (static_cast<int>(end - GetTickCount()) <= 0) return false;
        PumpApp(10);
    }
    return true;
}

void SendKey(WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &in, sizeof in);
}

void Press(WORD vk) {
    SendKey(vk, false);
    SendKey(vk, true);
    PumpApp(80);
}

// Types lower-case letters, digits and blanks.
void Type(const std::string& text) {
    for (char ch : text) Press(static_cast<WORD>(LOBYTE(VkKeyScanA(ch))));
}

POINT Center(HWND wnd) {
    RECT r;
    GetWindowRect(wnd, &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

void Click(TWinControl* control) { testkit::ClickAt(Center(control->Handle())); }

void ClickItem(TListBox* list, int index) {
    RECT r{};
    SendMessageA(list->Handle(), LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
    POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ClientToScreen(list->Handle(), &p);
    testkit::ClickAt(p);
}

void ClickMenu(TCustomForm* form, int index) {
    RECT r{};
    GetMenuItemRect(form->Handle(), GetMenu(form->Handle()), static_cast<UINT>(index), &r);
    testkit::ClickAt(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
}

// A real click that leaves every message to the running loop.
void ClickNoPump(POINT screen) {
    const int cx = GetSystemMetrics(SM_CXSCREEN) - 1, cy = GetSystemMetrics(SM_CYSCREEN) - 1;
    INPUT in[3]{};
    for (INPUT& i : in) {
        i.type = INPUT_MOUSE;
        i.mi.dx = (screen.x * 65535 + cx / 2) / cx;
        i.mi.dy = (screen.y * 65535 + cy / 2) / cy;
    }
    in[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
    in[2].mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
    SendInput(3, in, sizeof(INPUT));
}

// The close box of a captioned window: the rightmost caption button.
void ClickCloseBox(HWND wnd) {
    RECT w;
    GetWindowRect(wnd, &w);
    const bool tool = (GetWindowLongA(wnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0;
    const int caption = GetSystemMetrics(tool ? SM_CYSMCAPTION : SM_CYCAPTION);
    const bool sizeable = (GetWindowLongA(wnd, GWL_STYLE) & WS_THICKFRAME) != 0;
    const int frame = GetSystemMetrics(sizeable ? SM_CXFRAME : SM_CXDLGFRAME);
    testkit::ClickAt(POINT{w.right - frame - caption / 2, w.top + frame + caption / 2});
}

// Client rectangle of a child window in its parent's client coordinates.
RECT ChildRect(HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::string WindowText(HWND wnd) {
    char buffer[512] = "";
    GetWindowTextA(wnd, buffer, sizeof buffer);
    return buffer;
}

HWND FindQuery(const char* caption) { return FindWindowA(InputQueryClassName, caption); }

// Pauses with the dialogs on the screen when VANTRO_HOLD_MS is set, so that a
// screenshot can be taken from outside.
void Hold(const char* what) {
    const char* ms = std::getenv("VANTRO_HOLD_MS");
    if (!ms) return;
    std::printf("HOLD %s\n", what);
    std::fflush(stdout);
    PumpApp(std::atoi(ms));
}

struct Outcome {
    TModalResult result = mrNone;
    std::vector<std::string> list;
    bool optAll = false;
    bool noBoth = false;
};

// Opens the settings dialog the way the pad does (list and options in, modal
// show, results out) and runs `script` inside its modal loop. A script that
// leaves the dialog open ends it with Cancel.
Outcome OpenSettings(const std::vector<std::string>& list, bool optAll, bool noBoth,
                     const std::function<void()>& script) {
    TStringList targets;
    for (const std::string& s : list) targets.Add(s);
    EditForm->TargetEditList->Items().Assign(targets);
    EditForm->Opt_all->SetChecked(optAll);
    EditForm->NoBoth->SetChecked(noBoth);
    WhenReady([] { return EditForm->IsModal() && GetForegroundWindow() == EditForm->Handle(); }, [script] {
        PumpApp(50);
        script();
        if (EditForm->IsModal() && EditForm->ModalResult() == mrNone) EditForm->SetModalResult(mrCancel);
    });
    Outcome out;
    out.result = EditForm->ShowModal();
    out.list = EditForm->TargetEditList->Items().Items();
    out.optAll = EditForm->Opt_all->Checked();
    out.noBoth = EditForm->NoBoth->Checked();
    return out;
}

// Answers the next input query: waits for it, then runs `answer` on it.
void AnswerQuery(const std::function<void(HWND query)>& answer) {
    WhenReady([] { HWND q = FindQuery("Targetの変更"); return q && GetForegroundWindow() == q; }, [answer] {
        HWND query = FindQuery("Targetの変更");
        PumpApp(50);
        answer(query);
        // A failed step must not leave the query open.
        if (IsWindow(query)) PostMessageA(query, WM_CLOSE, 0, 0);
    });
}

const std::vector<std::string> kThree = {"ｴｸｽﾌﾟﾛｰﾗ", "ﾌﾟﾛｸﾞﾗﾑ ﾏﾈｰｼﾞｬ", "ﾌｧｲﾙ ﾏﾈｰｼﾞｬ"};

class SettingsDialog : public ::testing::Test {
protected:
    void SetUp() override {
        testkit::App();
        EditForm = new TEditForm(&testkit::App());
        EditForm->DoCreate();
        SetTitle = new TSetTitle(&testkit::App());
        SetTitle->DoCreate();
    }
    void TearDown() override {
        platform::hooks().shellAbout = nullptr;
        platform::hooks().winHelp = nullptr;
        delete SetTitle;
        SetTitle = nullptr;
        delete EditForm;
        EditForm = nullptr;
        if (VTform) {
            delete VTform;
            VTform = nullptr;
        }
        testkit::Pump(20);
    }
};

// ------------------------------------------------------------------ layout

TEST_F(SettingsDialog, WindowAndControlsAreLaidOutAsDesigned) {
    OpenSettings(kThree, false, false, [] {
        HWND wnd = EditForm->Handle();
        EXPECT_EQ(WindowText(wnd), " 各種設定");
        const LONG style = GetWindowLongA(wnd, GWL_STYLE), ex = GetWindowLongA(wnd, GWL_EXSTYLE);
        EXPECT_TRUE(style & WS_THICKFRAME);
        EXPECT_TRUE(style & WS_SYSMENU);
        EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
        EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
        EXPECT_EQ(GetWindow(wnd, GW_OWNER), testkit::App().Handle());
        RECT client;
        GetClientRect(wnd, &client);
        EXPECT_EQ(client.right, 194);
        EXPECT_EQ(client.bottom, 207);

        struct Expect {
            TWinControl* control;
            RECT rect;
            const char* text;
            int tabOrder;
        };
        const Expect expected[] = {
            {EditForm->TargetEditList, {4, 28, 121, 140}, "", 0},
            {EditForm->DelBtn, {132, 28, 189, 47}, "削除", 1},
            {EditForm->AddBtn, {132, 51, 189, 70}, "追加", 2},
            {EditForm->EditBtn, {132, 74, 189, 93}, "変更", 3},
            {EditForm->CanBtn, {132, 97, 189, 116}, "CANCEL", 4},
            {EditForm->OKbtn, {132, 120, 189, 139}, "OK", 5},
            {EditForm->Opt_all, {20, 160, 189, 177}, "ﾀｰｹﾞｯﾄを限定しない", 6},
            {EditForm->NoBoth, {20, 184, 189, 201}, "ﾎﾞﾀﾝを同時に使用しない", 7},
        };
        for (const Expect& e : expected) {
            SCOPED_TRACE(e.control->Name());
            RECT r = ChildRect(e.control->Handle());
            EXPECT_EQ(r.left, e.rect.left);
            EXPECT_EQ(r.top, e.rect.top);
            EXPECT_EQ(r.right, e.rect.right);
            EXPECT_EQ(r.bottom, e.rect.bottom);
            EXPECT_EQ(WindowText(e.control->Handle()), e.text);
            EXPECT_EQ(e.control->TabOrder(), e.tabOrder);
            EXPECT_TRUE(e.control->TabStop());
            // Every control has the dialog's font.
            LOGFONTA lf{};
            auto font = reinterpret_cast<HFONT>(SendMessageA(e.control->Handle(), WM_GETFONT, 0, 0));
            ASSERT_TRUE(font);
            GetObjectA(font, sizeof lf, &lf);
            EXPECT_STREQ(lf.lfFaceName, "ＭＳ Ｐゴシック");
            EXPECT_EQ(lf.lfHeight, -12);
        }
        // Only the two modal-result buttons end the dialog; none is default or cancel.
        EXPECT_EQ(EditForm->CanBtn->ModalResult(), mrCancel);
        EXPECT_EQ(EditForm->OKbtn->ModalResult(), mrOk);
        for (TButton* b : {EditForm->DelBtn, EditForm->AddBtn, EditForm->EditBtn, EditForm->CanBtn, EditForm->OKbtn}) {
            EXPECT_FALSE(b->Default());
            EXPECT_FALSE(b->Cancel());
        }
        EXPECT_EQ(SendMessageA(EditForm->TargetEditList->Handle(), LB_GETITEMHEIGHT, 0, 0), 12);

        const THSLabel* label = EditForm->HSLabel1;
        EXPECT_EQ(label->Left(), 29);
        EXPECT_EQ(label->Top(), 8);
        EXPECT_EQ(label->Caption(), "Target List");
        EXPECT_EQ(label->Font().Name(), "Arial");
        EXPECT_EQ(label->Font().Height(), -13);
        EXPECT_EQ(label->Font().Style(), static_cast<unsigned>(fsBold));
        EXPECT_EQ(label->Font().Color(), clNavy);
        EXPECT_TRUE(label->Shadow());

        HMENU menu = GetMenu(wnd);
        ASSERT_TRUE(menu);
        ASSERT_EQ(GetMenuItemCount(menu), 3);
        const char* captions[] = {"Vantroの終了", "Version", "Help"};
        for (int i = 0; i < 3; ++i) {
            char text[64] = "";
            GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
            EXPECT_STREQ(text, captions[i]);
            EXPECT_EQ(GetSubMenu(menu, i), nullptr);
        }
        Hold("settings");
    });
}

TEST_F(SettingsDialog, BevelsAreSunkenRules) {
    // Paint the windowless controls into a bitmap filled with a marker colour.
    const int w = 194, h = 207;
    const COLORREF marker = RGB(255, 0, 255);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bmp);
    HBRUSH brush = CreateSolidBrush(marker);
    RECT all{0, 0, w, h};
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    EditForm->PaintControls(dc);
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW), light = GetSysColor(COLOR_BTNHIGHLIGHT);
    // Bevel2: 4,0 185 x 2.
    EXPECT_EQ(GetPixel(dc, 4, 0), shadow);
    EXPECT_EQ(GetPixel(dc, 100, 0), shadow);
    EXPECT_EQ(GetPixel(dc, 188, 0), light);
    EXPECT_EQ(GetPixel(dc, 4, 1), shadow);
    EXPECT_EQ(GetPixel(dc, 100, 1), light);
    EXPECT_EQ(GetPixel(dc, 3, 0), marker);
    EXPECT_EQ(GetPixel(dc, 189, 0), marker);
    EXPECT_EQ(GetPixel(dc, 100, 2), marker);
    // Bevel1: 4,148 185 x 3, the middle row open.
    EXPECT_EQ(GetPixel(dc, 100, 148), shadow);
    EXPECT_EQ(GetPixel(dc, 4, 149), shadow);
    EXPECT_EQ(GetPixel(dc, 100, 149), marker);
    EXPECT_EQ(GetPixel(dc, 188, 149), light);
    EXPECT_EQ(GetPixel(dc, 100, 150), light);
    EXPECT_EQ(GetPixel(dc, 100, 147), marker);
    EXPECT_EQ(GetPixel(dc, 100, 151), marker);
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
}

// ----------------------------------------------------- selection and focus

TEST_F(SettingsDialog, FirstEntrySelectedAndFocusFollowsTheRules) {
    OpenSettings(kThree, false, false, [] {
        EXPECT_EQ(EditForm->TargetEditList->ItemIndex(), 0);
        // The first activation focuses the first control in tab order.
        EXPECT_EQ(GetFocus(), EditForm->TargetEditList->Handle());
        // Tab walks the tab order.
        Press(VK_TAB);
        EXPECT_EQ(GetFocus(), EditForm->DelBtn->Handle());
        Press(VK_TAB);
        EXPECT_EQ(GetFocus(), EditForm->AddBtn->Handle());
        // Enter on a focused button clicks it: the add-target dialog opens.
        Press(VK_RETURN);
        EXPECT_TRUE(WaitApp([] { return SetTitle->Visible(); }));
        SetTitle->Hide();
        WaitApp([] { return GetForegroundWindow() == EditForm->Handle(); }, 1000);
        Click(EditForm->NoBoth);
        Click(EditForm->CanBtn);
    });
    // The next opening selects the first entry again and gives the focus back
    // to the control that had it last.
    Outcome out = OpenSettings({"b", "a"}, false, false, [] {
        EXPECT_EQ(EditForm->TargetEditList->ItemIndex(), 0);
        EXPECT_EQ(GetFocus(), EditForm->CanBtn->Handle());
        // Escape has no special effect in this dialog.
        Press(VK_ESCAPE);
        EXPECT_TRUE(EditForm->Visible());
        EXPECT_EQ(EditForm->ModalResult(), mrNone);
        EditForm->SetModalResult(mrOk);
    });
    EXPECT_EQ(out.result, mrOk);
}

TEST_F(SettingsDialog, EmptyListSelectsNothingAndOnlyAddWorks) {
    Outcome out = OpenSettings({}, false, false, [] {
        EXPECT_EQ(EditForm->TargetEditList->ItemIndex(), -1);
        Click(EditForm->DelBtn);
        Click(EditForm->EditBtn);
        PumpApp(200);
        EXPECT_EQ(FindQuery("Targetの変更"), nullptr);
        EXPECT_EQ(EditForm->TargetEditList->Items().Count(), 0);
        Click(EditForm->AddBtn);
        EXPECT_TRUE(WaitApp([] { return IsWindowVisible(SetTitle->Handle()); }));
        Click(SetTitle->OKBtn);
        EXPECT_TRUE(WaitApp([] { return EditForm->TargetEditList->Items().Count() == 1; }));
        Click(EditForm->OKbtn);
    });
    EXPECT_EQ(out.result, mrOk);
    EXPECT_EQ(out.list, std::vector<std::string>{"ｴｸｽﾌﾟﾛｰﾗ"});
}

// ------------------------------------------------------ delete and change

TEST_F(SettingsDialog, DeleteRemovesTheSelectedEntryAndSelectsNothing) {
    Outcome out = OpenSettings({"one", "two", "three", "four"}, false, false, [] {
        ClickItem(EditForm->TargetEditList, 1);
        EXPECT_EQ(EditForm->TargetEditList->ItemIndex(), 1);
        Click(EditForm->DelBtn);
        EXPECT_EQ(EditForm->TargetEditList->Items().Items(), (std::vector<std::string>{"one", "three", "four"}));
        EXPECT_EQ(EditForm->TargetEditList->ItemIndex(), -1);
        // Without a selection another press does nothing.
        Click(EditForm->DelBtn);
        EXPECT_EQ(EditForm->TargetEditList->Items().Count(), 3);
        // The last entry goes too; the one above it is not selected instead.
        ClickItem(EditForm->TargetEditList, 2);
        Click(EditForm->DelBtn);
        EXPECT_EQ(EditForm->TargetEditList->ItemIndex(), -1);
        Click(EditForm->OKbtn);
    });
    EXPECT_EQ(out.result, mrOk);
    EXPECT_EQ(out.list, (std::vector<std::string>{"one", "three"}));
}

TEST_F(SettingsDialog, ChangeGoesThroughTheInputQuery) {
    Outcome out = OpenSettings({"alpha", "beta", "gamma"}, false, false, [] {
        TListBox* list = EditForm->TargetEditList;
        // OK with a new text: replaced in place, nothing selected afterwards.
        ClickItem(list, 1);
        AnswerQuery([](HWND query) {
            auto* edit = dynamic_cast<TEdit*>(TWinControl::FromHandle(FindWindowExA(query, nullptr, "TEdit", nullptr)));
            ASSERT_TRUE(edit);
            EXPECT_EQ(edit->Text(), "beta");
            Type("delta");
            Press(VK_RETURN);
        });
        Click(EditForm->EditBtn);
        EXPECT_EQ(list->Items().Items(), (std::vector<std::string>{"alpha", "delta", "gamma"}));
        EXPECT_EQ(list->ItemIndex(), -1);
        // Without a selection the button does nothing.
        Click(EditForm->EditBtn);
        PumpApp(200);
        EXPECT_EQ(FindQuery("Targetの変更"), nullptr);

        // Cancelled with Escape: nothing changes.
        ClickItem(list, 0);
        AnswerQuery([](HWND) {
            Type("zzz");
            Press(VK_ESCAPE);
        });
        Click(EditForm->EditBtn);
        EXPECT_EQ(list->Items().Items(), (std::vector<std::string>{"alpha", "delta", "gamma"}));

        // An empty text and a copy of another entry are both kept.
        ClickItem(list, 0);
        AnswerQuery([](HWND) {
            Press(VK_DELETE);
            Press(VK_RETURN);
        });
        Click(EditForm->EditBtn);
        ClickItem(list, 2);
        AnswerQuery([](HWND) {
            Type("delta");
            Press(VK_RETURN);
        });
        Click(EditForm->EditBtn);
        EXPECT_EQ(list->Items().Items(), (std::vector<std::string>{"", "delta", "delta"}));
        // The focus is back in the dialog, on the button that opened the query.
        EXPECT_TRUE(WaitApp([] { return GetFocus() == EditForm->EditBtn->Handle(); }, 1000));
        Click(EditForm->OKbtn);
    });
    EXPECT_EQ(out.result, mrOk);
    EXPECT_EQ(out.list, (std::vector<std::string>{"", "delta", "delta"}));
}

// ------------------------------------------------------ results and options

TEST_F(SettingsDialog, ButtonsAndCloseBoxGiveTheirResults) {
    Outcome ok = OpenSettings(kThree, false, true, [] {
        Click(EditForm->Opt_all);
        Click(EditForm->NoBoth);
        Click(EditForm->OKbtn);
    });
    EXPECT_EQ(ok.result, mrOk);
    EXPECT_TRUE(ok.optAll);
    EXPECT_FALSE(ok.noBoth);
    EXPECT_EQ(ok.list, kThree);
    EXPECT_FALSE(IsWindowVisible(EditForm->Handle()));

    Outcome cancel = OpenSettings(kThree, true, false, [] {
        ClickItem(EditForm->TargetEditList, 0);
        Click(EditForm->DelBtn);
        Click(EditForm->CanBtn);
    });
    EXPECT_EQ(cancel.result, mrCancel);
    EXPECT_TRUE(cancel.optAll);
    // The dialog leaves its controls as they were; the pad ignores them on Cancel.
    EXPECT_EQ(cancel.list.size(), 2u);

    Outcome closed = OpenSettings(kThree, false, false, [] { ClickCloseBox(EditForm->Handle()); });
    EXPECT_EQ(closed.result, mrCancel);
    EXPECT_FALSE(IsWindowVisible(EditForm->Handle()));
}

// ------------------------------------------------------------------ menu

TEST_F(SettingsDialog, VersionAndHelpItems) {
    // The pad form is the help owner and sets the help file at start-up.
    VTform = new TVTform(&testkit::App());
    VTform->DoCreate();
    VTform->Timer1->SetEnabled(false);
    struct About {
        HWND owner;
        std::string app, other;
        HICON icon;
    };
    std::vector<About> abouts;
    platform::hooks().shellAbout = [&](HWND owner, const char* app, const char* other, HICON icon) {
        abouts.push_back(About{owner, app, other, icon});
        return 1;
    };
    struct Help {
        HWND owner;
        std::string file;
        UINT command;
        ULONG_PTR data;
    };
    std::vector<Help> helps;
    platform::hooks().winHelp = [&](HWND owner, const char* file, UINT command, ULONG_PTR data) {
        helps.push_back(Help{owner, file, command, data});
        return TRUE;
    };
    Outcome out = OpenSettings(kThree, false, false, [] {
        ClickMenu(EditForm, 1);
        ClickMenu(EditForm, 2);
        // Neither item closes the dialog.
        EXPECT_TRUE(EditForm->Visible());
        EXPECT_EQ(EditForm->ModalResult(), mrNone);
        Click(EditForm->OKbtn);
    });
    EXPECT_EQ(out.result, mrOk);
    ASSERT_EQ(abouts.size(), 1u);
    EXPECT_EQ(abouts[0].owner, EditForm->Handle());
    EXPECT_EQ(abouts[0].app, "Vantro Pad for Windows95 - Vantro  Ver 2.1#Windows & Vantro");
    // The dialog's own notice: two lines joined by a carriage return.
    const std::string& notice = abouts[0].other;
    EXPECT_EQ(notice, EditFormAboutNotice);
    ASSERT_NE(notice.find('\r'), std::string::npos);
    EXPECT_EQ(notice.find('\r'), notice.rfind('\r'));
    EXPECT_EQ(notice.find('\n'), std::string::npos);
    EXPECT_TRUE(abouts[0].icon);
    ASSERT_EQ(helps.size(), 1u);
    EXPECT_EQ(helps[0].owner, VTform->Handle());
    EXPECT_EQ(helps[0].file, "Vantro.HLP");
    EXPECT_EQ(helps[0].command, static_cast<UINT>(HELP_CONTEXT));
    EXPECT_EQ(helps[0].data, 1u);
}

TEST_F(SettingsDialog, RealAboutBoxShowsTheTexts) {
    std::string title;
    std::vector<std::string> texts;
    Outcome out = OpenSettings(kThree, false, false, [&] {
        auto aboutBox = [] {
            HWND w = GetForegroundWindow();
            return w && w != EditForm->Handle() && GetWindow(w, GW_OWNER) == EditForm->Handle() ? w : nullptr;
        };
        WhenReady([=] { return aboutBox() != nullptr; }, [&, aboutBox] {
            HWND box = aboutBox();
            PumpApp(100);
            title = WindowText(box);
            EnumChildWindows(
                box,
                [](HWND child, LPARAM p) -> BOOL {
                    reinterpret_cast<std::vector<std::string>*>(p)->push_back(WindowText(child));
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(&texts));
            Hold("about");
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        });
        ClickMenu(EditForm, 1);
        Click(EditForm->CanBtn);
    });
    EXPECT_EQ(out.result, mrCancel);
    EXPECT_NE(title.find("Vantro Pad for Windows95 - Vantro  Ver 2.1"), std::string::npos) << title;
    auto shows = [&](const std::string& text) {
        for (const std::string& t : texts)
            if (t.find(text) != std::string::npos) return true;
        return false;
    };
    EXPECT_TRUE(shows("Windows & Vantro"));
    const std::string notice = EditFormAboutNotice;
    EXPECT_TRUE(shows(notice.substr(0, notice.find('\r'))));
    EXPECT_TRUE(shows(notice.substr(notice.find('\r') + 1)));
}

// -------------------------------------------------------- position and size

TEST_F(SettingsDialog, FirstShowCentredLaterOpeningsKeepPositionAndSize) {
    RECT first{}, moved{};
    OpenSettings(kThree, false, false, [&] {
        GetWindowRect(EditForm->Handle(), &first);
        const int w = first.right - first.left, h = first.bottom - first.top;
        EXPECT_EQ(first.left, std::max(0, (GetSystemMetrics(SM_CXSCREEN) - w) / 2));
        EXPECT_EQ(first.top, std::max(0, (GetSystemMetrics(SM_CYSCREEN) - h) / 2));
        // The user moves and enlarges the frame: no control moves or grows.
        const RECT list = ChildRect(EditForm->TargetEditList->Handle());
        const RECT ok = ChildRect(EditForm->OKbtn->Handle());
        SetWindowPos(EditForm->Handle(), nullptr, 40, 30, w + 60, h + 50, SWP_NOZORDER);
        PumpApp(50);
        GetWindowRect(EditForm->Handle(), &moved);
        const RECT listAfter = ChildRect(EditForm->TargetEditList->Handle());
        const RECT okAfter = ChildRect(EditForm->OKbtn->Handle());
        EXPECT_TRUE(EqualRect(&list, &listAfter));
        EXPECT_TRUE(EqualRect(&ok, &okAfter));
        EXPECT_EQ(EditForm->Left(), 40);
        EXPECT_EQ(EditForm->Width(), w + 60);
    });
    OpenSettings(kThree, false, false, [&] {
        RECT again;
        GetWindowRect(EditForm->Handle(), &again);
        EXPECT_TRUE(EqualRect(&again, &moved));
    });
}

// ------------------------------------- closing with the add-target dialog open

TEST_F(SettingsDialog, ClosingAlsoClosesTheAddTargetDialog) {
    Outcome out = OpenSettings({"one"}, false, false, [] {
        Click(EditForm->AddBtn);
        ASSERT_TRUE(WaitApp([] { return IsWindowVisible(SetTitle->Handle()); }));
        // The user moves it beside the settings dialog, then cancels there.
        RECT e;
        GetWindowRect(EditForm->Handle(), &e);
        SetWindowPos(SetTitle->Handle(), nullptr, e.right + 10, e.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        PumpApp(50);
        Click(EditForm->CanBtn);
    });
    EXPECT_EQ(out.result, mrCancel);
    EXPECT_FALSE(SetTitle->Visible());
    EXPECT_FALSE(IsWindowVisible(SetTitle->Handle()));

    // An OK that would have come after the settings dialog closed cannot come;
    // the next opening starts clean and an OK there appends as usual.
    out = OpenSettings({"one"}, false, false, [] {
        Click(EditForm->AddBtn);
        ASSERT_TRUE(WaitApp([] { return IsWindowVisible(SetTitle->Handle()); }));
        Click(SetTitle->OKBtn);
        EXPECT_TRUE(WaitApp([] { return EditForm->TargetEditList->Items().Count() == 2; }));
        Click(EditForm->OKbtn);
    });
    EXPECT_EQ(out.list, (std::vector<std::string>{"one", "ｴｸｽﾌﾟﾛｰﾗ"}));
}

// ------------------------------------------------------ input method mode

TEST_F(SettingsDialog, InputMethodIsSwitchedOffOnTheList) {
    HMODULE imm = LoadLibraryA("imm32.dll");
    ASSERT_TRUE(imm);
    using GetContext = HANDLE(WINAPI*)(HWND);
    using Release = BOOL(WINAPI*)(HWND, HANDLE);
    using GetOpen = BOOL(WINAPI*)(HANDLE);
    using SetOpen = BOOL(WINAPI*)(HANDLE, BOOL);
    auto proc = [&](const char* name) { return reinterpret_cast<void (*)()>(GetProcAddress(imm, name)); };
    auto getContext = reinterpret_cast<GetContext>(proc("ImmGetContext"));
    auto release = reinterpret_cast<Release>(proc("ImmReleaseContext"));
    auto getOpen = reinterpret_cast<GetOpen>(proc("ImmGetOpenStatus"));
    auto setOpen = reinterpret_cast<SetOpen>(proc("ImmSetOpenStatus"));
    auto open = [&](HWND w, int set) {
        HANDLE ctx = getContext(w);
        if (!ctx) return -1;
        if (set >= 0) setOpen(ctx, set);
        int state = getOpen(ctx) ? 1 : 0;
        release(w, ctx);
        return state;
    };
    OpenSettings(kThree, false, false, [&] {
        HWND list = EditForm->TargetEditList->Handle();
        Click(EditForm->DelBtn);
        if (open(list, 1) != 1) {
            ADD_FAILURE() << "the input method cannot be opened here";
            return;
        }
        ClickItem(EditForm->TargetEditList, 0);
        EXPECT_EQ(GetFocus(), list);
        EXPECT_EQ(open(list, -1), 0);
        // A button leaves the input method as it is.
        open(list, 1);
        Click(EditForm->DelBtn);
        EXPECT_EQ(open(EditForm->DelBtn->Handle(), -1), 1);
        open(list, 0);
    });
}

// ------------------------------------------------------------ quitting

// The child half of the quit test: it runs as the program does (pad form as
// main form, message loop) in a process of its own, since ending the program
// is final. Started by SettingsDialogQuit below.
TEST(QuitChild, DISABLED_QuitEndsTheProgramWithThePreviousSettings) {
    TApplication& app = testkit::App();
    app.CreateForm(&VTform);
    app.CreateForm(&EditForm);
    app.CreateForm(&SetTitle);
    app.SetShowMainForm(false);
    VTform->Timer1->SetEnabled(false);
    const std::vector<std::string> before = VTform->Targets->Items();
    const bool optBefore = VTform->OptAll;

    // What the pad's close handler (which saves the settings) sees.
    int closes = 0;
    std::vector<std::string> savedTargets;
    bool savedOpt = !optBefore;
    TCloseEvent original = VTform->OnClose;
    VTform->OnClose = [&](TObject* sender, TCloseAction& action) {
        ++closes;
        savedTargets = VTform->Targets->Items();
        savedOpt = VTform->OptAll;
        if (original) original(sender, action);
    };

    TModalResult result = mrNone;
    bool editorOpenAtQuit = false;
    Later(100, [&] {
        EditForm->TargetEditList->Items().Assign(*VTform->Targets);
        EditForm->Opt_all->SetChecked(VTform->OptAll);
        WhenReady([] { return EditForm->IsModal() && GetForegroundWindow() == EditForm->Handle(); }, [&] {
            // Edits that must not survive: an entry deleted, an option ticked,
            // and the add-target dialog left open.
            ClickItem(EditForm->TargetEditList, 0);
            Click(EditForm->DelBtn);
            Click(EditForm->Opt_all);
            Click(EditForm->AddBtn);
            WaitApp([] { return SetTitle->Visible(); });
            RECT e;
            GetWindowRect(EditForm->Handle(), &e);
            SetWindowPos(SetTitle->Handle(), nullptr, e.right + 10, e.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
            testkit::Pump(50);
            editorOpenAtQuit = EditForm->Visible();
            // Clicked without pumping here: the quit message must reach the
            // dialog's own loop.
            RECT r{};
            GetMenuItemRect(EditForm->Handle(), GetMenu(EditForm->Handle()), 0, &r);
            ClickNoPump(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
        });
        result = EditForm->ShowModal();
    });
    // A safety net: the loop must have ended long before this.
    Later(20000, [] { PostQuitMessage(3); });
    app.Run();

    EXPECT_TRUE(editorOpenAtQuit);
    EXPECT_TRUE(app.Terminated());
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(savedTargets, before);
    EXPECT_EQ(savedOpt, optBefore);
    EXPECT_EQ(result, mrCancel);
    EXPECT_FALSE(EditForm->Visible());
    EXPECT_FALSE(SetTitle->Visible());
}

TEST(SettingsDialogQuit, QuitItemEndsTheProgramWithThePreviousSettings) {
    char exe[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string command = std::string("\"") + exe +
                          "\" --gtest_also_run_disabled_tests --gtest_filter=QuitChild.*";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    ASSERT_EQ(WaitForSingleObject(pi.hProcess, 60000), WAIT_OBJECT_0);
    DWORD code = 99;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    EXPECT_EQ(code, 0u) << "the child test failed; see its output above";
}

// ------------------------------------------------------- the input query

class InputQueryDialog : public ::testing::Test {
protected:
    void SetUp() override { testkit::App(); }

    // Runs the query with `answer` applied to it once it is up.
    bool Run(std::string& value, const std::function<void(HWND)>& answer) {
        WhenReady([] { HWND q = FindQuery("Title"); return q && GetForegroundWindow() == q; }, [answer] {
            HWND query = FindQuery("Title");
            PumpApp(50);
            answer(query);
            if (IsWindow(query)) PostMessageA(query, WM_CLOSE, 0, 0);
        });
        return InputQuery("Title", "対象ｱﾌﾟﾘｹｰｼｮﾝのﾀｲﾄﾙ名を変更して下さい。", value);
    }
};

TEST_F(InputQueryDialog, IsLaidOutInDialogUnitsWithTheTextSelected) {
    // Dialog units measured independently from the dialog's font.
    HDC dc = GetDC(nullptr);
    HFONT font = CreateFontA(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0, 0, 0, "ＭＳ Ｐゴシック");
    HGDIOBJ old = SelectObject(dc, font);
    SIZE s{};
    GetTextExtentPoint32A(dc, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &s);
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
    const int ux = s.cx / 52, uy = s.cy;
    auto X = [&](int n) { return MulDiv(n, ux, 4); };
    auto Y = [&](int n) { return MulDiv(n, uy, 8); };

    std::string value = "some text";
    HWND seen = nullptr;
    bool ok = Run(value, [&](HWND q) {
        seen = q;
        EXPECT_EQ(WindowText(q), "Title");
        EXPECT_EQ(GetWindow(q, GW_OWNER), testkit::App().Handle());
        const LONG style = GetWindowLongA(q, GWL_STYLE);
        EXPECT_TRUE(style & WS_SYSMENU);
        EXPECT_FALSE(style & WS_THICKFRAME);
        RECT c, w;
        GetClientRect(q, &c);
        GetWindowRect(q, &w);
        EXPECT_EQ(c.right, X(180));
        EXPECT_EQ(c.bottom, Y(63));
        EXPECT_EQ(w.left, std::max(0L, (GetSystemMetrics(SM_CXSCREEN) - (w.right - w.left)) / 2));
        EXPECT_EQ(w.top, std::max(0L, (GetSystemMetrics(SM_CYSCREEN) - (w.bottom - w.top)) / 2));

        HWND editWnd = FindWindowExA(q, nullptr, "TEdit", nullptr);
        auto* edit = dynamic_cast<TEdit*>(TWinControl::FromHandle(editWnd));
        ASSERT_TRUE(edit);
        RECT e = ChildRect(editWnd);
        EXPECT_EQ(e.left, X(8));
        EXPECT_EQ(e.top, Y(19));
        EXPECT_EQ(e.right - e.left, X(164));
        EXPECT_EQ(GetFocus(), editWnd);
        EXPECT_EQ(edit->SelStart(), 0);
        EXPECT_EQ(edit->SelLength(), 9);
        EXPECT_EQ(SendMessageA(editWnd, EM_GETLIMITTEXT, 0, 0), 255);

        HWND okWnd = FindWindowExA(q, nullptr, "TButton", "OK");
        HWND cancelWnd = FindWindowExA(q, nullptr, "TButton", "ｷｬﾝｾﾙ");
        ASSERT_TRUE(okWnd && cancelWnd);
        RECT o = ChildRect(okWnd), k = ChildRect(cancelWnd);
        EXPECT_EQ(o.left, X(38));
        EXPECT_EQ(k.left, X(92));
        EXPECT_EQ(o.top, Y(41));
        EXPECT_EQ(k.top, Y(41));
        EXPECT_EQ(o.right - o.left, X(50));
        EXPECT_EQ(o.bottom - o.top, Y(14));
        EXPECT_EQ(GetWindowLongA(okWnd, GWL_STYLE) & 0xF, BS_DEFPUSHBUTTON);

        // Tab order: edit, OK, Cancel.
        Press(VK_TAB);
        EXPECT_EQ(GetFocus(), okWnd);
        Press(VK_TAB);
        EXPECT_EQ(GetFocus(), cancelWnd);
        Press(VK_TAB);
        EXPECT_EQ(GetFocus(), editWnd);
        // Entered again from the keyboard, the text is all selected again.
        EXPECT_EQ(edit->SelLength(), 9);
        Hold("query");
        Press(VK_ESCAPE);
    });
    EXPECT_FALSE(ok);
    EXPECT_EQ(value, "some text");
    // Built for one use: the window is gone.
    EXPECT_FALSE(IsWindow(seen));
}

TEST_F(InputQueryDialog, AnswersOkCancelAndCloseBox) {
    std::string value = "old";
    // Enter presses the default button, whatever has the focus but a button.
    EXPECT_TRUE(Run(value, [](HWND) {
        Type("new text");
        Press(VK_RETURN);
    }));
    EXPECT_EQ(value, "new text");

    // A real click on OK with the text unchanged.
    EXPECT_TRUE(Run(value, [](HWND q) { testkit::ClickAt(Center(FindWindowExA(q, nullptr, "TButton", "OK"))); }));
    EXPECT_EQ(value, "new text");

    // Cancel, Escape and the close box leave the value alone.
    EXPECT_FALSE(Run(value, [](HWND q) {
        Type("x");
        testkit::ClickAt(Center(FindWindowExA(q, nullptr, "TButton", "ｷｬﾝｾﾙ")));
    }));
    EXPECT_FALSE(Run(value, [](HWND q) {
        Type("x");
        ClickCloseBox(q);
    }));
    // Enter on the focused cancel button presses it, not the default button.
    EXPECT_FALSE(Run(value, [](HWND) {
        Type("x");
        Press(VK_TAB);
        Press(VK_TAB);
        Press(VK_RETURN);
    }));
    EXPECT_EQ(value, "new text");

    // The user can type no more than 255 characters.
    value = std::string(254, 'a');
    EXPECT_TRUE(Run(value, [](HWND) {
        Press(VK_END);
        Type("bcd");
        Press(VK_RETURN);
    }));
    EXPECT_EQ(value, std::string(254, 'a') + "b");
}

// ------------------------------------------------------ framework pieces

TEST(DialogFramework, ListBoxHeightIsRoundedToWholeItems) {
    testkit::App();
    TForm form(nullptr, "ListBoxHeightForm");
    form.SetBorderStyle(bsNone);
    form.SetBounds(0, 0, 200, 300);
    auto* list = new TListBox(&form);
    list->SetParent(&form);
    list->SetBounds(0, 0, 100, 105);
    list->SetItemHeight(12);
    form.HandleNeeded();
    RECT w, c;
    GetWindowRect(list->Handle(), &w);
    GetClientRect(list->Handle(), &c);
    EXPECT_EQ(c.bottom % 12, 0);
    EXPECT_EQ(c.bottom, 96);
    EXPECT_EQ(list->Height(), w.bottom - w.top);
    list->SetItemHeight(10);
    GetClientRect(list->Handle(), &c);
    EXPECT_EQ(c.bottom, 90);
    list->SetBounds(0, 0, 100, 200);
    GetClientRect(list->Handle(), &c);
    EXPECT_EQ(c.bottom, 190);
    // The selection follows deletes and inserts above it.
    for (const char* s : {"a", "b", "c", "d"}) list->Items().Add(s);
    list->SetItemIndex(2);
    list->Items().Delete(0);
    EXPECT_EQ(list->ItemIndex(), 1);
    list->Items().Insert(0, "z");
    EXPECT_EQ(list->ItemIndex(), 2);
    EXPECT_EQ(list->Items().IndexOf("C"), 2);
    EXPECT_EQ(list->Items().IndexOf(""), -1);
    list->Items().Add("");
    EXPECT_EQ(list->Items().IndexOf(""), 4);
}

TEST(DialogFramework, CentringNeverGoesOffTheTopLeft) {
    testkit::App();
    TForm form(nullptr, "CentringForm");
    form.SetBorderStyle(bsDialog);
    form.SetPosition(poScreenCenter);
    form.SetClientSize(GetSystemMetrics(SM_CXSCREEN) + 200, 100);
    form.Show();
    testkit::Pump(50);
    RECT r;
    GetWindowRect(form.Handle(), &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2);
    form.Hide();
}

} // namespace
