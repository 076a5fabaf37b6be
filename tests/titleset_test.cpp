// The add-target dialog, driven with real clicks and keys: hint and focus,
// the candidate list against real windows, picking a candidate, OK, CANCEL
// and the close box, and showing it again while it is shown.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "dialogs/ListEdit.h"
#include "dialogs/TargetText.h"
#include "dialogs/TitleSet.h"
#include "tests/support/dialogkit.h"
#include "tests/support/testkit.h"

using namespace vcl;
using namespace dialogkit;
using testkit::Window;

namespace {

Strings Candidates() { return SetTitle->TargetList->Items().Items(); }

int Position(const std::string& title) {
    const Strings c = Candidates();
    auto it = std::find(c.begin(), c.end(), title);
    return it == c.end() ? -1 : static_cast<int>(it - c.begin());
}

bool Offered(const std::string& title) { return Position(title) >= 0; }

// Focusing the edit box selects its text, which is then typed over.
void EnterText(const std::string& text) {
    SetTitle->TargetEditBox->SetFocus();
    PumpApp();
    if (text.empty()) Press(VK_DELETE);
    Type(text);
}

const Strings kFixed = {"ｴｸｽﾌﾟﾛｰﾗ", "ﾌﾟﾛｸﾞﾗﾑ ﾏﾈｰｼﾞｬ", "ﾌｧｲﾙ ﾏﾈｰｼﾞｬ"};

class AddTargetDialog : public ::testing::Test {
protected:
    void SetUp() override { CreateDialogs(); }
    void TearDown() override { DestroyDialogs(); }

    // The plain show of the settings dialog's add button, without that dialog.
    static void ShowDialog() {
        SetTitle->Show();
        ASSERT_TRUE(BringToFront(SetTitle->Handle()));
    }

    // Runs `script` in the settings dialog, opened modally with `list`; returns
    // the list it closes with, by OK.
    static Strings InSettings(const Strings& list, const std::function<void()>& script) {
        const Outcome out = OpenSettings(list, false, false, script);
        EXPECT_EQ(out.result, mrOk);
        return out.list;
    }
};

TEST_F(AddTargetDialog, CaptionBorderClientAreaAndControls) {
    ShowDialog();
    HWND wnd = SetTitle->Handle();
    EXPECT_EQ(WindowText(wnd), "ﾀｰｹﾞｯﾄの追加");
    const LONG style = GetWindowLongA(wnd, GWL_STYLE);
    EXPECT_TRUE(style & WS_DLGFRAME);
    EXPECT_FALSE(style & WS_THICKFRAME); // a fixed border
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_TRUE(GetWindowLongA(wnd, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
    RECT client;
    GetClientRect(wnd, &client);
    EXPECT_EQ(client.right, 259);
    EXPECT_EQ(client.bottom, 198);
    const struct {
        TControl* control;
        RECT want; // left, top, right, bottom in the client area
    } rows[] = {
        {SetTitle->GetTitleLabel, {8, 8, 249, 20}},
        {SetTitle->HSLabel1, {19, 28, 237, 40}},
        {SetTitle->HSLabel2, {53, 44, 203, 56}},
        {SetTitle->TargetEditBox, {8, 60, 249, 80}},
        {SetTitle->TargetList, {8, 83, 249, 171}},
        {SetTitle->CanBtn, {140, 175, 193, 195}},
        {SetTitle->OKBtn, {196, 175, 249, 195}},
    };
    for (const auto& row : rows) {
        auto* windowed = dynamic_cast<TWinControl*>(row.control);
        const RECT got = windowed ? ChildRect(windowed->Handle()) : row.control->BoundsRect();
        EXPECT_TRUE(EqualRect(&got, &row.want)) << row.control->Name() << ": " << got.left << "," << got.top << ","
                                                 << got.right << "," << got.bottom;
    }
    SetTitle->Hide();
}

TEST_F(AddTargetDialog, HintAndFocus) {
    ShowDialog();
    // The hint: two lines joined by a lone carriage return, 98 bytes.
    const std::string hint = SetTitle->TargetList->Hint();
    EXPECT_EQ(hint.size(), 98u);
    EXPECT_EQ(std::count(hint.begin(), hint.end(), '\r'), 1);
    EXPECT_EQ(hint.find('\r'), 42u);
    EXPECT_EQ(hint.find('\n'), std::string::npos);

    // First activation: the first control in tab order; Tab walks the order.
    EXPECT_EQ(GetFocus(), SetTitle->CanBtn->Handle());
    for (TWinControl* c : {static_cast<TWinControl*>(SetTitle->OKBtn), static_cast<TWinControl*>(SetTitle->TargetEditBox),
                           static_cast<TWinControl*>(SetTitle->TargetList), static_cast<TWinControl*>(SetTitle->CanBtn)}) {
        Press(VK_TAB);
        EXPECT_EQ(GetFocus(), c->Handle()) << c->Name();
    }
    // Neither Enter nor Escape does anything here.
    SetTitle->TargetEditBox->SetFocus();
    Press(VK_RETURN);
    Press(VK_ESCAPE);
    EXPECT_TRUE(IsWindowVisible(SetTitle->Handle()));

    // The hint shows below the pointer resting on the list, and goes when it leaves.
    POINT p = Center(SetTitle->TargetList->Handle());
    // Off the list for three of the hint's 100 ms leave checks: it has seen
    // the pointer go.
    testkit::MoveMouse(POINT{5, 5});
    testkit::LetTimersRun(3);
    testkit::MoveMouse(POINT{p.x - 5, p.y});
    PumpApp();
    testkit::MoveMouse(p);
    HWND tip = nullptr;
    ASSERT_TRUE(WaitApp([&] { return (tip = FindWindowA("THintWindow", nullptr)) && IsWindowVisible(tip); },
                        "the hint shown"));
    EXPECT_EQ(WindowText(tip), hint.substr(0, 42) + "\r\n" + hint.substr(43));
    RECT r;
    GetWindowRect(tip, &r);
    EXPECT_GT(r.top, p.y);
    Hold("hint");
    testkit::MoveMouse(POINT{5, 5});
    EXPECT_TRUE(WaitApp([&] { return !IsWindowVisible(tip); }, "the hint gone"));

    // A later activation gives the focus back to the control that had it.
    SetTitle->Hide();
    PumpApp();
    ShowDialog();
    EXPECT_EQ(GetFocus(), SetTitle->TargetEditBox->Handle());
    SetTitle->Hide();
}

TEST_F(AddTargetDialog, CandidatesFollowTheExclusionRules) {
    ShowDialog();
    EXPECT_EQ(Candidates(), kFixed); // no other window qualifies yet
    SetTitle->Hide();

    const std::string fifty = "0123456789ABCDEFGHIJ0123456789abcdefghij0123456789";
    std::vector<std::unique_ptr<Window>> windows;
    auto open = [&](const std::string& title, DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE, HWND owner = nullptr) {
        windows.push_back(std::make_unique<Window>(title, style, RECT{50, 50, 350, 250}, 0, owner));
        return windows.back()->hwnd();
    };
    for (const char* title : {"Program Manager", "program manager", "C:\\ - ｴｸｽﾌﾟﾛｰﾗ", "ﾌﾟﾛｸﾞﾗﾑ ﾏﾈｰｼﾞｬ - Main",
                              "ﾌﾟﾛｸﾞﾗﾑ ﾏﾈｰｼﾞｬ", "ﾌﾟﾛｸﾞﾗﾑﾏﾈｰｼﾞｬ - Main", "Tools - ﾌｧｲﾙﾏﾈｰｼﾞｬ", ""})
        open(title);
    HWND lower = open("Case Test");
    HWND upper = open("CASE TEST");
    open(fifty);
    open("Hidden One", WS_OVERLAPPEDWINDOW);
    open("Owned One", WS_OVERLAPPEDWINDOW | WS_VISIBLE, open("Parent Window"));
    EditForm->Show(); // the program's forms are owned by the application's window

    ShowDialog();
    const Strings c = Candidates();
    ASSERT_GE(c.size(), 3u);
    EXPECT_EQ(Strings(c.begin(), c.begin() + 3), kFixed);
    EXPECT_EQ(std::count(c.begin(), c.end(), "ﾌﾟﾛｸﾞﾗﾑ ﾏﾈｰｼﾞｬ"), 1);
    for (const char* title : {"program manager", "ﾌﾟﾛｸﾞﾗﾑ ﾏﾈｰｼﾞｬ - Main", "Parent Window"})
        EXPECT_TRUE(Offered(title)) << title;
    for (const std::string& title : {std::string("Program Manager"), std::string("C:\\ - ｴｸｽﾌﾟﾛｰﾗ"),
                                     std::string("ﾌﾟﾛｸﾞﾗﾑﾏﾈｰｼﾞｬ - Main"), std::string("Tools - ﾌｧｲﾙﾏﾈｰｼﾞｬ"),
                                     std::string(""), fifty, std::string("Hidden One"), std::string("Owned One"),
                                     std::string(" 各種設定"), std::string("ﾀｰｹﾞｯﾄの追加")})
        EXPECT_FALSE(Offered(title)) << title;
    EXPECT_TRUE(Offered(fifty.substr(0, 39)));
    // Titles equal but for letter case give one candidate: the window that the
    // enumeration reports first. The candidates come in enumeration order.
    std::vector<HWND> order;
    EnumWindows(
        [](HWND w, LPARAM p) {
            reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&order));
    auto rank = [&](HWND w) { return std::find(order.begin(), order.end(), w) - order.begin(); };
    EXPECT_EQ(Offered("Case Test"), rank(lower) < rank(upper));
    EXPECT_EQ(Offered("CASE TEST"), rank(upper) < rank(lower));
    EXPECT_EQ(Position("program manager") < Position("ﾌﾟﾛｸﾞﾗﾑ ﾏﾈｰｼﾞｬ - Main"),
              rank(windows[1]->hwnd()) < rank(windows[3]->hwnd()));
    EXPECT_EQ(SetTitle->TargetEditBox->Text(), "ｴｸｽﾌﾟﾛｰﾗ");
    EXPECT_EQ(SetTitle->TargetList->ItemIndex(), 0);

    // Picking a candidate puts it into the edit box, over what was typed.
    EnterText("typed");
    ClickItem(SetTitle->TargetList, Position("Parent Window"));
    EXPECT_EQ(SetTitle->TargetEditBox->Text(), "Parent Window");
    Hold("candidates");
    SetTitle->Hide();
    EditForm->Hide();
}

TEST_F(AddTargetDialog, OkAppendsUnlessACaseBlindDuplicate) {
    Strings list = InSettings({"ABC", "Target"}, [] {
        auto add = [](const std::string& text) {
            OpenAddTargetBeside();
            EnterText(text);
            Click(SetTitle->OKBtn);
            EXPECT_FALSE(IsWindowVisible(SetTitle->Handle()));
        };
        add("new one");
        // Appended at the end; the selection in the settings dialog stays.
        EXPECT_EQ(EditForm->TargetEditList->Items().Items(), (Strings{"ABC", "Target", "new one"}));
        EXPECT_EQ(EditForm->TargetEditList->ItemIndex(), 0);
        add("abc");
        add("target");
        add("");
        add(""); // the second empty text is a duplicate
        OpenAddTargetBeside();
        ClickItem(SetTitle->TargetList, 2);
        Click(SetTitle->OKBtn);
        Click(EditForm->OKbtn);
    });
    EXPECT_EQ(list, (Strings{"ABC", "Target", "new one", "", "ﾌｧｲﾙ ﾏﾈｰｼﾞｬ"}));
}

TEST_F(AddTargetDialog, CancelCloseBoxAndShowingAgain) {
    std::unique_ptr<Window> late;
    Strings list = InSettings({"one"}, [&] {
        OpenAddTargetBeside();
        EnterText("zzz");
        Hold("both");
        Click(SetTitle->CanBtn);
        EXPECT_FALSE(IsWindowVisible(SetTitle->Handle()));
        // The next opening rebuilds the list and forgets the text, and keeps
        // the position the dialog was moved to.
        RECT before;
        GetWindowRect(SetTitle->Handle(), &before);
        // Opened away from the dialogs, so that it covers neither.
        late = std::make_unique<Window>("Opened Meanwhile", WS_OVERLAPPEDWINDOW | WS_VISIBLE, RECT{800, 600, 1000, 760});
        EXPECT_TRUE(BringToFront(EditForm->Handle()));
        Click(EditForm->AddBtn);
        ASSERT_TRUE(WaitApp([] { return IsWindowVisible(SetTitle->Handle()); }, "the add-target dialog shown"));
        RECT after;
        GetWindowRect(SetTitle->Handle(), &after);
        EXPECT_TRUE(EqualRect(&before, &after));
        EXPECT_EQ(SetTitle->TargetEditBox->Text(), "ｴｸｽﾌﾟﾛｰﾗ");
        EXPECT_TRUE(Offered("Opened Meanwhile"));
        // Pressing the add button again only brings it to the front.
        EnterText("kept");
        late.reset();
        EXPECT_TRUE(BringToFront(EditForm->Handle()));
        Click(EditForm->AddBtn);
        EXPECT_TRUE(WaitApp([] { return GetForegroundWindow() == SetTitle->Handle(); },
                            "the add-target dialog in front", testkit::Foreground));
        EXPECT_EQ(SetTitle->TargetEditBox->Text(), "kept");
        EXPECT_TRUE(Offered("Opened Meanwhile"));
        // The close box hides it, like CANCEL.
        ClickCloseBox(SetTitle->Handle());
        EXPECT_TRUE(WaitApp([] { return !IsWindowVisible(SetTitle->Handle()); }, "the add-target dialog hidden"));
        EXPECT_FALSE(SetTitle->Visible());
        EXPECT_TRUE(EditForm->Visible());
        Click(EditForm->OKbtn);
    });
    EXPECT_EQ(list, Strings{"one"});
}

// ----------------------------------- no line break and no half character enters

TEST_F(AddTargetDialog, ACandidateTitleIsOfferedOnOneLineAndUncut) {
    testkit::Window twoLines("two lines\r\n[Pad]\r\nNoBoth=1", WS_OVERLAPPEDWINDOW | WS_VISIBLE, RECT{50, 50, 300, 200});
    // 38 bytes and "あ": the 39-byte read cuts the character in two.
    const std::string a38(38, 'a');
    testkit::Window longTitle(a38 + "あ", WS_OVERLAPPEDWINDOW | WS_VISIBLE, RECT{60, 60, 300, 200});
    Strings list = InSettings({"ABC"}, [] {
        OpenAddTargetBeside();
        const int index = Position("two lines  [Pad]  NoBoth=1");
        ASSERT_GE(index, 0);
        EXPECT_GE(Position(std::string(38, 'a')), 0);
        for (const std::string& c : SetTitle->TargetList->Items().Items()) {
            EXPECT_EQ(c.find_first_of("\r\n"), std::string::npos) << c;
            EXPECT_EQ(DropCutLeadByte(c), c);
        }
        ClickItem(SetTitle->TargetList, index);
        Click(SetTitle->OKBtn);
        Click(EditForm->OKbtn);
    });
    EXPECT_EQ(list, (Strings{"ABC", "two lines  [Pad]  NoBoth=1"}));
}

TEST_F(AddTargetDialog, TypedAndChangedTextLoseTheirLineBreaks) {
    Strings list = InSettings({"ABC", "old"}, [] {
        // Text pasted into the add-target dialog's edit box.
        OpenAddTargetBeside();
        SetTitle->TargetEditBox->SetText("pasted\r\n[Pad]");
        Click(SetTitle->OKBtn);
        EXPECT_FALSE(IsWindowVisible(SetTitle->Handle()));
        // The same text again is a duplicate once cleaned.
        OpenAddTargetBeside();
        SetTitle->TargetEditBox->SetText("pasted  [Pad]");
        Click(SetTitle->OKBtn);

        // The change box of the settings dialog.
        ClickItem(EditForm->TargetEditList, 1);
        AnswerInputQuery("Targetの変更", [](HWND q) {
            SetWindowTextA(FindWindowExA(q, nullptr, "TEdit", nullptr), "new\ttext\nList.Count=0");
            Press(VK_RETURN);
        });
        Click(EditForm->EditBtn);
        Click(EditForm->OKbtn);
    });
    EXPECT_EQ(list, (Strings{"ABC", "new text List.Count=0", "pasted  [Pad]"}));
}

} // namespace
