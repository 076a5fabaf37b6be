// The settings dialog and the text input query, driven with real clicks and
// keys: geometry, selection and focus, delete and change, results, the menu
// bar, position, closing with the add-target dialog open and the quit item.
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
#include "settings/IniRules.h"
#include "settings/WideProfile.h"
#include "tests/support/blackbox.h"
#include "tests/support/dialogkit.h"
#include "tests/support/padkit.h"
#include "tests/support/testkit.h"

using namespace vcl;
using namespace dialogkit;

namespace {

void AnswerChange(const std::function<void(HWND)>& answer) { AnswerInputQuery("Targetの変更", answer); }

// Clicks the change button with nothing selected: its click is handled (the
// handler returned, which an open query would have kept it from) and no query
// is there.
void ClickChangeWithoutQuery() {
    auto clicks = CountClicks(EditForm->EditBtn);
    Click(EditForm->EditBtn);
    EXPECT_TRUE(WaitApp([&] { return *clicks == 1; }, "the change button's click handled"));
    EXPECT_EQ(FindWindowA(InputQueryClassName, nullptr), nullptr);
}

const Strings kThree = {"ｴｸｽﾌﾟﾛｰﾗ", "ﾌﾟﾛｸﾞﾗﾑ ﾏﾈｰｼﾞｬ", "ﾌｧｲﾙ ﾏﾈｰｼﾞｬ"};

class SettingsDialog : public ::testing::Test {
protected:
    void SetUp() override { CreateDialogs(); }
    void TearDown() override {
        platform::hooks().shellAbout = nullptr;
        platform::hooks().winHelp = nullptr;
        platform::hooks().shellOpen = nullptr;
        delete VTform;
        VTform = nullptr;
        DestroyDialogs();
    }
};

TEST_F(SettingsDialog, ClientAreaKeepsItsSizeUnderTheMenuBar) {
    OpenSettings(kThree, false, false, [] {
        HWND wnd = EditForm->Handle();
        EXPECT_EQ(WindowText(wnd), " 各種設定");
        EXPECT_TRUE(GetWindowLongA(wnd, GWL_STYLE) & WS_THICKFRAME);
        EXPECT_FALSE(GetWindowLongA(wnd, GWL_STYLE) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
        EXPECT_TRUE(GetWindowLongA(wnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
        // (Its client area and controls: the scaled dialogs' test, at both resolutions.)
        HMENU menu = GetMenu(wnd);
        ASSERT_EQ(GetMenuItemCount(menu), 3);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(GetSubMenu(menu, i), nullptr);
        Hold("settings");
    });
}

TEST_F(SettingsDialog, BevelsAreSunkenRules) {
    const COLORREF marker = RGB(255, 0, 255), shadow = GetSysColor(COLOR_BTNSHADOW),
                   light = GetSysColor(COLOR_BTNHIGHLIGHT);
    testkit::Bitmap bmp(194, 207, marker);
    EditForm->PaintControls(bmp.dc());
    // Bevel2 (4,0 185x2): shadow above and left, highlight below and right.
    const struct {
        int x, y;
        COLORREF color;
    } pixels[] = {{4, 0, shadow},    {100, 0, shadow},   {188, 0, light},    {4, 1, shadow},
                  {100, 1, light},   {3, 0, marker},     {189, 0, marker},   {100, 2, marker},
                  // Bevel1 (4,148 185x3): the middle row stays open.
                  {100, 148, shadow}, {4, 149, shadow}, {100, 149, marker}, {188, 149, light},
                  {100, 150, light},  {100, 151, marker}};
    for (const auto& p : pixels) EXPECT_EQ(bmp.At(p.x, p.y), p.color) << p.x << "," << p.y;
}

TEST_F(SettingsDialog, FirstEntrySelectedAndFocusFollowsTheRules) {
    OpenSettings(kThree, false, false, [] {
        EXPECT_EQ(EditForm->TargetEditList->ItemIndex(), 0);
        // First activation: the first control in tab order; Tab walks the order.
        EXPECT_EQ(GetFocus(), EditForm->TargetEditList->Handle());
        Press(VK_TAB);
        Press(VK_TAB);
        EXPECT_EQ(GetFocus(), EditForm->AddBtn->Handle());
        // Enter clicks the focused button; Escape does nothing here.
        Press(VK_RETURN);
        EXPECT_TRUE(WaitApp([] { return SetTitle->Visible(); }, "the add-target dialog shown"));
        SetTitle->Hide();
        EXPECT_TRUE(BringToFront(EditForm->Handle()));
        Press(VK_ESCAPE);
        EXPECT_EQ(EditForm->ModalResult(), mrNone);
        Click(EditForm->CanBtn);
    });
    // Later openings select the first entry again and give the focus back to
    // the control that had it last.
    OpenSettings({"b", "a"}, false, false, [] {
        EXPECT_EQ(EditForm->TargetEditList->ItemIndex(), 0);
        EXPECT_EQ(GetFocus(), EditForm->CanBtn->Handle());
    });
}

TEST_F(SettingsDialog, DeleteAndChangeNeedASelectionAndLeaveNone) {
    Outcome empty = OpenSettings({}, false, false, [] {
        EXPECT_EQ(EditForm->TargetEditList->ItemIndex(), -1);
        Click(EditForm->DelBtn);
        ClickChangeWithoutQuery();
        Click(EditForm->AddBtn);
        EXPECT_TRUE(WaitApp([] { return IsWindowVisible(SetTitle->Handle()); }, "the add-target dialog shown"));
        Click(SetTitle->OKBtn);
        Click(EditForm->OKbtn);
    });
    EXPECT_EQ(empty.list, Strings{"ｴｸｽﾌﾟﾛｰﾗ"});

    Outcome out = OpenSettings({"one", "two", "three", "four"}, false, false, [] {
        TListBox* list = EditForm->TargetEditList;
        ClickItem(list, 1);
        Click(EditForm->DelBtn);
        EXPECT_EQ(list->ItemIndex(), -1);
        Click(EditForm->DelBtn); // nothing selected: nothing happens
        ClickChangeWithoutQuery();
        ClickItem(list, 2);
        Click(EditForm->DelBtn); // the last entry: the one above is not selected instead
        EXPECT_EQ(list->ItemIndex(), -1);
        Click(EditForm->OKbtn);
    });
    EXPECT_EQ(out.result, mrOk);
    EXPECT_EQ(out.list, (Strings{"one", "three"}));
}

TEST_F(SettingsDialog, ChangeGoesThroughTheInputQuery) {
    Outcome out = OpenSettings({"alpha", "beta", "gamma"}, false, false, [] {
        TListBox* list = EditForm->TargetEditList;
        auto change = [list](int index, const std::function<void(HWND)>& answer) {
            ClickItem(list, index);
            AnswerChange(answer);
            Click(EditForm->EditBtn);
        };
        change(1, [](HWND q) {
            EXPECT_EQ(WindowText(FindWindowExA(q, nullptr, "TEdit", nullptr)), "beta");
            Type("delta");
            Press(VK_RETURN);
        });
        EXPECT_EQ(list->Items().Items(), (Strings{"alpha", "delta", "gamma"}));
        EXPECT_EQ(list->ItemIndex(), -1);
        change(0, [](HWND) {
            Type("zzz");
            Press(VK_ESCAPE);
        });
        EXPECT_EQ(list->Items().Items(), (Strings{"alpha", "delta", "gamma"}));
        change(0, [](HWND) {
            Press(VK_DELETE);
            Press(VK_RETURN);
        });
        change(2, [](HWND) {
            Type("delta");
            Press(VK_RETURN);
        });
        // The focus is back on the button that opened the query.
        EXPECT_TRUE(WaitApp([] { return GetFocus() == EditForm->EditBtn->Handle(); }, "the focus on the change button"));
        Click(EditForm->OKbtn);
    });
    EXPECT_EQ(out.list, (Strings{"", "delta", "delta"}));
}

TEST_F(SettingsDialog, ButtonsAndCloseBoxGiveTheirResults) {
    Outcome ok = OpenSettings(kThree, false, true, [] {
        Click(EditForm->Opt_all);
        Click(EditForm->NoBoth);
        Click(EditForm->OKbtn);
    });
    EXPECT_EQ(ok.result, mrOk);
    EXPECT_TRUE(ok.optAll);
    EXPECT_FALSE(ok.noBoth);
    EXPECT_FALSE(IsWindowVisible(EditForm->Handle()));
    EXPECT_EQ(OpenSettings(kThree, true, false, [] { Click(EditForm->CanBtn); }).result, mrCancel);
    EXPECT_EQ(OpenSettings(kThree, false, false, [] { ClickCloseBox(EditForm->Handle()); }).result, mrCancel);
}

TEST_F(SettingsDialog, VersionAndHelpItems) {
    VTform = padkit::NewPad(); // the help owner; it names the help file
    std::vector<std::string> calls;
    platform::hooks().shellAbout = [&](HWND owner, const char* app, const char* other, HICON icon) {
        EXPECT_EQ(owner, EditForm->Handle());
        EXPECT_TRUE(icon);
        calls.push_back(std::string(app) + "|" + other);
        return 1;
    };
    platform::hooks().winHelp = [&](HWND owner, const char* file, UINT command, ULONG_PTR data) {
        EXPECT_EQ(owner, VTform->Handle());
        calls.push_back(std::string(file) + "|" + std::to_string(command) + "|" + std::to_string(data));
        return TRUE;
    };
    // Help without a help file beside the program opens the guide instead
    // (the pad's own Help shows that); here there is one.
    platform::hooks().shellOpen = [&](HWND, const wchar_t*) {
        calls.push_back("guide");
        return true;
    };
    const std::wstring helpFile = ini::DirectoryPart(ini::ModuleFileName()) + L"Vantro.HLP";
    ASSERT_TRUE(testkit::WriteFileBytes(helpFile, "?_"));
    OpenSettings(kThree, false, false, [] {
        testkit::ClickAt(MenuPoint(EditForm, 1));
        testkit::ClickAt(MenuPoint(EditForm, 2));
        EXPECT_EQ(EditForm->ModalResult(), mrNone);
    });
    DeleteFileW(helpFile.c_str());
    // Two lines joined by a lone carriage return.
    const std::string notice = "ﾀｰｹﾞｯﾄﾘｽﾄとｵﾌﾟｼｮﾝの設定\rSHIFT/CTRL ﾗｯﾁﾊﾟｯﾄﾞ";
    EXPECT_EQ(calls, (Strings{"Vantro Pad for Windows95 - Vantro  Ver 2.1#Windows & Vantro|" + notice,
                              "Vantro.HLP|" + std::to_string(HELP_CONTEXT) + "|1"}));
}

TEST_F(SettingsDialog, RealAboutBoxShowsTheTexts) {
    std::string texts;
    OpenSettings(kThree, false, false, [&] {
        auto box = [] {
            HWND w = GetForegroundWindow();
            return w != EditForm->Handle() && GetWindow(w, GW_OWNER) == EditForm->Handle() ? w : nullptr;
        };
        WhenReady([=] { return box() != nullptr; }, [&, box] {
            HWND b = box();
            PumpApp();
            texts = WindowText(b);
            EnumChildWindows(
                b,
                [](HWND child, LPARAM p) {
                    *reinterpret_cast<std::string*>(p) += "\n" + WindowText(child);
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(&texts));
            Hold("about");
            PostMessageA(b, WM_COMMAND, IDOK, 0);
        });
        testkit::ClickAt(MenuPoint(EditForm, 1));
    });
    for (const std::string& part : {std::string("Vantro Pad for Windows95 - Vantro  Ver 2.1"),
                                    std::string("Windows & Vantro"), std::string("ﾀｰｹﾞｯﾄﾘｽﾄとｵﾌﾟｼｮﾝの設定"),
                                    std::string("SHIFT/CTRL ﾗｯﾁﾊﾟｯﾄﾞ")})
        EXPECT_NE(texts.find(part), std::string::npos) << part << " not in " << texts;
}

TEST_F(SettingsDialog, FirstShowCentredLaterOpeningsKeepPositionAndSize) {
    RECT moved{};
    OpenSettings(kThree, false, false, [&] {
        RECT r;
        GetWindowRect(EditForm->Handle(), &r);
        const int w = r.right - r.left, h = r.bottom - r.top;
        EXPECT_EQ(r.left, std::max(0, (GetSystemMetrics(SM_CXSCREEN) - w) / 2));
        EXPECT_EQ(r.top, std::max(0, (GetSystemMetrics(SM_CYSCREEN) - h) / 2));
        // The user moves and enlarges the frame: no control moves or grows.
        const RECT ok = ChildRect(EditForm->OKbtn->Handle());
        SetWindowPos(EditForm->Handle(), nullptr, 40, 30, w + 60, h + 50, SWP_NOZORDER);
        PumpApp();
        GetWindowRect(EditForm->Handle(), &moved);
        const RECT okAfter = ChildRect(EditForm->OKbtn->Handle());
        EXPECT_TRUE(EqualRect(&ok, &okAfter));
    });
    OpenSettings(kThree, false, false, [&] {
        RECT again;
        GetWindowRect(EditForm->Handle(), &again);
        EXPECT_TRUE(EqualRect(&again, &moved));
    });
}

TEST_F(SettingsDialog, ClosingAlsoClosesTheAddTargetDialog) {
    OpenSettings({"one"}, false, false, [&] {
        OpenAddTargetBeside();
        Click(EditForm->CanBtn);
    });
    // Its OK can no longer append to a list that the pad does not read.
    EXPECT_FALSE(SetTitle->Visible());
    EXPECT_FALSE(IsWindowVisible(SetTitle->Handle()));
    Outcome out = OpenSettings({"one"}, false, false, [&] {
        OpenAddTargetBeside();
        Click(SetTitle->OKBtn);
        Click(EditForm->OKbtn);
    });
    EXPECT_EQ(out.list, (Strings{"one", "ｴｸｽﾌﾟﾛｰﾗ"}));
}

TEST_F(SettingsDialog, InputMethodIsSwitchedOffOnTheList) {
    HMODULE imm = LoadLibraryA("imm32.dll");
    auto proc = [&](const char* name) { return reinterpret_cast<void (*)()>(GetProcAddress(imm, name)); };
    auto getContext = reinterpret_cast<HANDLE(WINAPI*)(HWND)>(proc("ImmGetContext"));
    auto release = reinterpret_cast<BOOL(WINAPI*)(HWND, HANDLE)>(proc("ImmReleaseContext"));
    auto getOpen = reinterpret_cast<BOOL(WINAPI*)(HANDLE)>(proc("ImmGetOpenStatus"));
    auto setOpen = reinterpret_cast<BOOL(WINAPI*)(HANDLE, BOOL)>(proc("ImmSetOpenStatus"));
    ASSERT_TRUE(getContext && release && getOpen && setOpen);
    // Opens (1), or only reads (-1), the input method of `w`'s context.
    auto open = [&](HWND w, int set) {
        HANDLE ctx = getContext(w);
        if (set >= 0) setOpen(ctx, set);
        const int state = getOpen(ctx) ? 1 : 0;
        release(w, ctx);
        return state;
    };
    OpenSettings(kThree, false, false, [&] {
        HWND list = EditForm->TargetEditList->Handle();
        Click(EditForm->DelBtn);
        ASSERT_EQ(open(list, 1), 1);
        ClickItem(EditForm->TargetEditList, 0);
        EXPECT_EQ(open(list, -1), 0);
        open(list, 1);
        Click(EditForm->DelBtn); // a button leaves it as it is
        EXPECT_EQ(open(list, -1), 1);
        open(list, 0);
    });
}

// ------------------------------------------------------- the input query

bool RunQuery(std::string& value, const std::function<void(HWND)>& answer) {
    testkit::App();
    AnswerInputQuery("Title", answer);
    return InputQuery("Title", "対象ｱﾌﾟﾘｹｰｼｮﾝのﾀｲﾄﾙ名を変更して下さい。", value);
}

TEST(InputQueryDialog, IsLaidOutInDialogUnitsWithTheTextSelected) {
    testkit::App();
    // The dialog's font (ＭＳ Ｐゴシック, 12 pixels) has base units of 7 x 13
    // pixels here: a dialog unit is 7/4 pixels across and 13/8 down, rounded. The sizes
    // below are the dialog's (180 x 63 units, the edit at 8,19 and 164 wide,
    // the buttons 50 x 14 at 38,41 and 92,41) in those pixels.
    const SIZE s = testkit::MeasureText("ＭＳ Ｐゴシック", -12, FW_NORMAL, SHIFTJIS_CHARSET,
                                        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    ASSERT_EQ(s.cx / 52, 7) << "another font: the pixel sizes below do not apply";
    ASSERT_EQ(s.cy, 13) << "another font: the pixel sizes below do not apply";
    std::string value = "some text";
    HWND seen = nullptr;
    EXPECT_FALSE(RunQuery(value, [&](HWND q) {
        seen = q;
        RECT c, w;
        GetClientRect(q, &c);
        GetWindowRect(q, &w);
        EXPECT_EQ(c.right, 315);
        EXPECT_EQ(c.bottom, 102);
        EXPECT_EQ(w.left, std::max(0L, (GetSystemMetrics(SM_CXSCREEN) - (w.right - w.left)) / 2));
        HWND edit = FindWindowExA(q, nullptr, "TEdit", nullptr);
        HWND ok = FindWindowExA(q, nullptr, "TButton", "OK");
        HWND cancel = FindWindowExA(q, nullptr, "TButton", "ｷｬﾝｾﾙ");
        ASSERT_TRUE(edit && ok && cancel);
        const RECT e = ChildRect(edit), o = ChildRect(ok), k = ChildRect(cancel);
        EXPECT_EQ((std::vector<LONG>{e.left, e.top, e.right - e.left}), (std::vector<LONG>{14, 31, 287}));
        EXPECT_EQ((std::vector<LONG>{o.left, o.top, o.right - o.left, o.bottom - o.top, k.left, k.top}),
                  (std::vector<LONG>{67, 67, 88, 23, 161, 67}));
        EXPECT_EQ(GetWindowLongA(ok, GWL_STYLE) & 0xF, BS_DEFPUSHBUTTON);
        EXPECT_EQ(SendMessageA(edit, EM_GETLIMITTEXT, 0, 0), 255);
        // The edit has the focus with the whole text selected.
        DWORD from = 1, to = 0;
        auto selection = [&] {
            SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
            return to - from;
        };
        EXPECT_EQ(GetFocus(), edit);
        EXPECT_EQ(selection(), 9u);
        // Tab order: edit, OK, Cancel; entered again, the text is selected again.
        for (HWND next : {ok, cancel, edit}) {
            Press(VK_TAB);
            EXPECT_EQ(GetFocus(), next);
        }
        EXPECT_EQ(selection(), 9u);
        Hold("query");
        Press(VK_ESCAPE);
    }));
    EXPECT_EQ(value, "some text");
    EXPECT_FALSE(IsWindow(seen)); // built for one use
}

TEST(InputQueryDialog, AnswersOkCancelAndCloseBox) {
    std::string value = "old";
    EXPECT_TRUE(RunQuery(value, [](HWND) {
        Type("new text");
        Press(VK_RETURN); // the default button
    }));
    EXPECT_EQ(value, "new text");
    EXPECT_FALSE(RunQuery(value, [](HWND q) {
        Type("x");
        testkit::ClickAt(Center(FindWindowExA(q, nullptr, "TButton", "ｷｬﾝｾﾙ")));
    }));
    EXPECT_FALSE(RunQuery(value, [](HWND q) {
        Type("x");
        ClickCloseBox(q);
    }));
    EXPECT_FALSE(RunQuery(value, [](HWND) {
        Type("x");
        Press(VK_TAB);
        Press(VK_TAB);
        Press(VK_RETURN); // the focused cancel button, not the default one
    }));
    EXPECT_EQ(value, "new text");
    value = std::string(254, 'a');
    EXPECT_TRUE(RunQuery(value, [](HWND) {
        Press(VK_END);
        Type("bcd");
        Press(VK_RETURN);
    }));
    EXPECT_EQ(value, std::string(254, 'a') + "b");
}

// ------------------------------------------------------ framework pieces

TEST(DialogFramework, ListBoxHeightAndSelectionRules) {
    testkit::App();
    TForm form(nullptr, "ListBoxHeightForm");
    form.SetBorderStyle(bsNone);
    auto* list = new TListBox(&form);
    list->SetParent(&form);
    list->SetBounds(0, 0, 100, 105);
    list->SetItemHeight(12);
    form.HandleNeeded();
    RECT c;
    EXPECT_EQ((GetClientRect(list->Handle(), &c), c.bottom), 96);
    list->SetItemHeight(10);
    list->SetBounds(0, 0, 100, 205);
    EXPECT_EQ((GetClientRect(list->Handle(), &c), c.bottom), 200);
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
    RECT r;
    GetWindowRect(form.Handle(), &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2);
    form.Hide();
}

} // namespace
