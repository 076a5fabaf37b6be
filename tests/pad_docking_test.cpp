// The pad's start-up layout and its docking onto real target windows.
#include <gtest/gtest.h>

#include <memory>

#include "pad/VTform.h"
#include "tests/support/testkit.h"

using namespace vcl;
using testkit::Window;

namespace {

const char kFileManager[] = "C:\\WINDOWS - ﾌｧｲﾙ ﾏﾈｰｼﾞｬ";
const char kExplorer[] = "ﾏｲ ｺﾝﾋﾟｭｰﾀ - ｴｸｽﾌﾟﾛｰﾗ";

class PadDocking : public ::testing::Test {
protected:
    void SetUp() override {
        testkit::App();
        pad = new TVTform(&testkit::App());
        pad->DoCreate();
        // Polls are run by hand, so each step is seen exactly once.
        pad->Timer1->SetEnabled(false);
        testkit::Pump(20);
    }
    void TearDown() override {
        delete pad;
        testkit::ReleaseModifiers();
    }

    void Poll() {
        pad->Timer1Timer(pad->Timer1);
        testkit::Pump(20);
    }
    RECT PadRect() const {
        RECT r{};
        GetWindowRect(pad->Handle(), &r);
        return r;
    }
    int PadW() const {
        RECT r = PadRect();
        return r.right - r.left;
    }
    // The rectangle the pad must take on a target with window rectangle `t`.
    RECT Expected(const RECT& t) const {
        RECT r;
        r.left = t.right - pad->PadWidth - GetSystemMetrics(SM_CXFRAME) - 3 * GetSystemMetrics(SM_CXSIZE);
        r.top = t.top + GetSystemMetrics(SM_CYFRAME);
        r.right = r.left + pad->PadWidth;
        r.bottom = r.top + GetSystemMetrics(SM_CYCAPTION) - 1;
        return r;
    }
    void ExpectDockedOn(const Window& w) {
        EXPECT_TRUE(pad->PadShown);
        EXPECT_TRUE(IsWindowVisible(pad->Handle()));
        RECT want = Expected(w.Rect()), got = PadRect();
        EXPECT_EQ(got.left, want.left);
        EXPECT_EQ(got.top, want.top);
        EXPECT_EQ(got.right, want.right);
        EXPECT_EQ(got.bottom, want.bottom);
    }
    void ExpectHidden() {
        EXPECT_FALSE(pad->PadShown);
        EXPECT_EQ(PadW(), 0);
    }
    // Docks the pad on `w`, checked.
    void DockOn(Window& w) {
        w.Activate();
        ASSERT_EQ(GetForegroundWindow(), w.hwnd());
        Poll();
        ExpectDockedOn(w);
    }

    TVTform* pad = nullptr;
};

TEST_F(PadDocking, StartsInvisibleWithDefaultsUntilATargetAppears) {
    EXPECT_FALSE(pad->OptAll);
    EXPECT_FALSE(pad->OptNoBoth);
    ASSERT_EQ(pad->Targets->Count(), 3);
    EXPECT_EQ((*pad->Targets)[0], "ｴｸｽﾌﾟﾛｰﾗ");
    EXPECT_EQ((*pad->Targets)[1], "ﾌﾟﾛｸﾞﾗﾑ ﾏﾈｰｼﾞｬ");
    EXPECT_EQ((*pad->Targets)[2], "ﾌｧｲﾙ ﾏﾈｰｼﾞｬ");
    EXPECT_EQ(pad->TargetWnd, pad->OwnWnd);
    EXPECT_TRUE(pad->NeverDocked);
    EXPECT_FALSE(IsWindowVisible(pad->Handle()));
    EXPECT_FALSE(IsWindowVisible(testkit::App().Handle()));

    Window other("無題 - メモ帳");
    other.Activate();
    Poll();
    EXPECT_FALSE(IsWindowVisible(pad->Handle()));
    EXPECT_TRUE(pad->NeverDocked);

    Window target(kFileManager);
    DockOn(target);
    EXPECT_FALSE(pad->NeverDocked);
    EXPECT_EQ(pad->TargetWnd, target.hwnd());
    // The pad is a borderless, always-on-top strip without a task-bar button.
    LONG style = GetWindowLongA(pad->Handle(), GWL_STYLE);
    LONG exStyle = GetWindowLongA(pad->Handle(), GWL_EXSTYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & WS_CAPTION);
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
    EXPECT_EQ(GetWindow(pad->Handle(), GW_OWNER), testkit::App().Handle());
    EXPECT_FALSE(IsWindowVisible(testkit::App().Handle()));
}

TEST_F(PadDocking, LayoutFollowsCaptionHeightAndMeasuredName) {
    const int h = GetSystemMetrics(SM_CYCAPTION);
    const int b = h - 5;
    // Measure "Vantro" in the name label's font independently.
    HDC dc = GetDC(nullptr);
    HFONT font = CreateFontA(h - 2, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial");
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32A(dc, "Vantro", 6, &size);
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
    const int w = size.cx;

    EXPECT_EQ(pad->CaptionHeight, h);
    EXPECT_EQ(pad->PadWidth, w + 6 * b + 14);
    EXPECT_EQ(pad->ClientHeight(), h - 1);
    EXPECT_EQ(pad->VTpanel->Width(), pad->PadWidth);
    EXPECT_EQ(pad->VTpanel->Height(), h - 1);
    EXPECT_EQ(pad->NameLabel->Left(), 6);
    EXPECT_EQ(pad->NameLabel->Top(), 1);
    EXPECT_EQ(pad->NameLabel->Font().Height(), h - 2);
    EXPECT_EQ(pad->ShiftBtn->Left(), 6 + w + 4);
    EXPECT_EQ(pad->ShiftBtn->Width(), 3 * b);
    EXPECT_EQ(pad->CtrlBtn->Width(), 3 * b);
    EXPECT_EQ(pad->CtrlBtn->Left(), 6 + w + 4 + 3 * b + 1);
    EXPECT_EQ(pad->ShiftBtn->Height(), b);
    EXPECT_EQ(pad->ShiftBtn->Font().Height(), b);
    EXPECT_EQ(pad->ShiftBtn->Top(), 2);
    EXPECT_EQ(pad->CtrlBtn->GroupIndex(), 2);
    // The auto-sized label fitted itself to the new font before it was measured.
    EXPECT_EQ(pad->NameLabel->Width(), w);
}

TEST_F(PadDocking, FollowsTheTargetWhenItMoves) {
    Window target(kExplorer);
    DockOn(target);
    MoveWindow(target.hwnd(), 40, 60, 500, 300, TRUE);
    testkit::Pump(20);
    Poll();
    ExpectDockedOn(target);
    // A poll on an unmoved target keeps the pad where it is.
    RECT before = PadRect();
    Poll();
    RECT after = PadRect();
    EXPECT_TRUE(EqualRect(&before, &after));
}

TEST_F(PadDocking, HidesOnWindowsThatAreNoTargets) {
    Window target(kFileManager);
    struct Case {
        const char* what;
        std::unique_ptr<Window> window;
    };
    std::vector<Case> cases;
    cases.push_back({"non-target", std::make_unique<Window>("無題 - メモ帳")});
    cases.push_back({"program manager", std::make_unique<Window>("Program Manager")});
    cases.push_back({"untitled", std::make_unique<Window>("")});
    cases.push_back({"help window", std::make_unique<Window>("ﾍﾙﾌﾟ作成者")});
    cases.push_back(
        {"pop-up", std::make_unique<Window>(std::string("ﾌｧｲﾙ ﾏﾈｰｼﾞｬ popup"), WS_POPUP | WS_CAPTION | WS_VISIBLE)});
    auto frameless = std::make_unique<Window>("ﾌｧｲﾙ ﾏﾈｰｼﾞｬ frameless");
    SetWindowLongA(frameless->hwnd(), GWL_STYLE,
                   GetWindowLongA(frameless->hwnd(), GWL_STYLE) & ~(WS_CAPTION | WS_THICKFRAME));
    cases.push_back({"frameless", std::move(frameless)});
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        DockOn(target);
        testkit::KeyRecorder keys;
        c.window->Activate();
        ASSERT_EQ(GetForegroundWindow(), c.window->hwnd());
        Poll();
        ExpectHidden();
        // Nothing is latched: hiding sends no key-up (a key the user holds stays held).
        EXPECT_TRUE(keys.events.empty());
    }
}

TEST_F(PadDocking, HidesWhenTheTargetIsMinimizedDisabledOrClosed) {
    Window target(kExplorer);
    DockOn(target);
    ShowWindow(target.hwnd(), SW_MINIMIZE);
    testkit::Pump(50);
    Poll();
    ExpectHidden();

    ShowWindow(target.hwnd(), SW_RESTORE);
    DockOn(target);
    EnableWindow(target.hwnd(), FALSE);
    Poll();
    ExpectHidden();
    EnableWindow(target.hwnd(), TRUE);

    DockOn(target);
    target.Destroy();
    Poll();
    ExpectHidden();
}

TEST_F(PadDocking, HiddenForegroundTargetDoesNotDock) {
    Window target(kExplorer);
    target.Activate();
    // Clear the visible bit without letting the activation move elsewhere.
    SetWindowLongA(target.hwnd(), GWL_STYLE, GetWindowLongA(target.hwnd(), GWL_STYLE) & ~WS_VISIBLE);
    ASSERT_EQ(GetForegroundWindow(), target.hwnd());
    ASSERT_FALSE(IsWindowVisible(target.hwnd()));
    Poll();
    EXPECT_FALSE(pad->PadShown);
    EXPECT_FALSE(IsWindowVisible(pad->Handle()));
}

TEST_F(PadDocking, OwnWindowsLeaveThePadAsItIs) {
    Window target(kFileManager);
    for (const char* title : {"Vantro Pad のﾊﾞｰｼﾞｮﾝ情報", "Target Listの編集"}) {
        SCOPED_TRACE(title);
        DockOn(target);
        RECT before = PadRect();
        Window own(title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, RECT{300, 300, 500, 450});
        own.Activate();
        Poll();
        EXPECT_TRUE(pad->PadShown);
        RECT after = PadRect();
        EXPECT_TRUE(EqualRect(&before, &after));
        EXPECT_EQ(pad->TargetWnd, target.hwnd());
    }
}

TEST_F(PadDocking, MatchesOnlyTheFirst79BytesOfATitle) {
    // The entry ends exactly at byte 79: seen, so the pad docks.
    Window seen(std::string(71, 'a') + "ｴｸｽﾌﾟﾛｰﾗ");
    DockOn(seen);
    // One byte later the entry is cut: not a target.
    Window cut(std::string(72, 'a') + "ｴｸｽﾌﾟﾛｰﾗ");
    cut.Activate();
    Poll();
    ExpectHidden();
}

TEST_F(PadDocking, ListMatchingIsCaseSensitiveAndIgnoresEmptyEntries) {
    pad->Targets->Clear();
    pad->Targets->Add("");
    pad->Targets->Add("Editor");
    Window blank("anything at all");
    blank.Activate();
    Poll();
    EXPECT_TRUE(pad->NeverDocked);
    Window lower("my editor");
    lower.Activate();
    Poll();
    EXPECT_TRUE(pad->NeverDocked);
    Window match("My Editor - file.txt");
    DockOn(match);
}

TEST_F(PadDocking, OptAllDocksOnAnyCaptionedWindow) {
    pad->OptAll = true;
    Window any("無題 - メモ帳");
    DockOn(any);
    // The system windows still hide it.
    Window manager("Program Manager");
    manager.Activate();
    Poll();
    ExpectHidden();
}

TEST_F(PadDocking, ThePadInTheForegroundHandsItBack) {
    // The pad never takes the activation by itself; a pad made able to shows
    // what happens when it does reach the foreground anyway.
    delete pad;
    pad = new TVTform(&testkit::App());
    pad->SetExtraExStyle(0);
    pad->DoCreate();
    pad->Timer1->SetEnabled(false);
    Window target(kExplorer);
    DockOn(target);
    // Its activation handler hands the foreground straight back.
    SetForegroundWindow(pad->Handle());
    testkit::Pump(20);
    EXPECT_EQ(GetForegroundWindow(), target.hwnd());
    EXPECT_FALSE(IsWindowVisible(testkit::App().Handle()));
    // Without that handler the next poll does it, and hides the pad.
    auto onActivate = pad->OnActivate;
    pad->OnActivate = nullptr;
    SetForegroundWindow(pad->Handle());
    testkit::Pump(20);
    pad->OnActivate = onActivate;
    ASSERT_EQ(GetForegroundWindow(), pad->Handle());
    Poll();
    EXPECT_EQ(GetForegroundWindow(), target.hwnd());
    ExpectHidden();
    // The next poll docks it again in place.
    Poll();
    ExpectDockedOn(target);
}

TEST_F(PadDocking, TheTimerPollsEveryHundredMilliseconds) {
    EXPECT_EQ(pad->Timer1->Interval(), 100u);
    pad->Timer1->SetEnabled(true);
    Window target(kExplorer);
    target.Activate();
    EXPECT_TRUE(testkit::WaitFor([&] { return pad->PadShown; }, 2000));
    ExpectDockedOn(target);
    Window other("無題 - メモ帳");
    other.Activate();
    EXPECT_TRUE(testkit::WaitFor([&] { return PadW() == 0; }, 2000));
}

TEST_F(PadDocking, MinimizeHidesAndRestoreShowsAgain) {
    Window target(kExplorer);
    DockOn(target);
    testkit::App().Minimize();
    ExpectHidden();
    EXPECT_FALSE(IsWindowVisible(testkit::App().Handle()));
    testkit::App().Restore();
    EXPECT_TRUE(pad->PadShown);
    EXPECT_FALSE(IsWindowVisible(testkit::App().Handle()));
    Poll();
    ExpectDockedOn(target);
}

TEST_F(PadDocking, ReleasesBothModifiersOnResetHideAndDestroy) {
    using Ev = testkit::KeyRecorder::Event;
    const std::vector<Ev> bothUp{{VK_SHIFT, KEYEVENTF_KEYUP}, {VK_CONTROL, KEYEVENTF_KEYUP}};
    testkit::KeyRecorder keys;
    // Sent even when nothing is latched.
    pad->ResetBtn();
    EXPECT_EQ(keys.events, bothUp);
    // Hiding a pad that is not shown does nothing.
    keys.events.clear();
    pad->HideForm();
    EXPECT_TRUE(keys.events.empty());

    Window target(kExplorer);
    DockOn(target);
    pad->ShiftBtn->SetDown(true);
    pad->ShiftBtn->Font().SetColor(clRed);
    keys.events.clear();
    pad->HideForm();
    // Only the latched key is released.
    EXPECT_EQ(keys.events, (std::vector<Ev>{{VK_SHIFT, KEYEVENTF_KEYUP}}));
    EXPECT_FALSE(pad->ShiftBtn->Down());
    EXPECT_EQ(pad->ShiftBtn->Font().Color(), clBlack);

    keys.events.clear();
    delete pad;
    pad = nullptr;
    EXPECT_EQ(keys.events, bothUp);
}

} // namespace
