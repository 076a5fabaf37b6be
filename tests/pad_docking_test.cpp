// The pad's layout (the pure calculation and the real pad) and its docking
// onto real target windows, at the places measured on the screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "pad/PadLayout.h"
#include "pad/VTform.h"
#include "framework/Platform.h"
#include "tests/support/padkit.h"
#include "tests/support/testkit.h"

using namespace vcl;
using testkit::Window;
using Ev = testkit::KeyRecorder::Event;

namespace {

const char kFileManager[] = "C:\\WINDOWS - ﾌｧｲﾙ ﾏﾈｰｼﾞｬ";
const char kExplorer[] = "ﾏｲ ｺﾝﾋﾟｭｰﾀ - ｴｸｽﾌﾟﾛｰﾗ";

// ------------------------------------------------------------- the layout

TEST(PadLayoutCalc, TheWorkedExample) {
    // Caption 18, name 40 pixels wide.
    const PadLayout l = LayOutPad(18, 40);
    EXPECT_EQ(l.buttonWidth, 39);
    EXPECT_EQ(l.buttonHeight, 13);
    EXPECT_EQ(l.buttonFontHeight, 13);
    EXPECT_EQ(l.width, 132);
    EXPECT_EQ(l.height, 17);
    EXPECT_EQ(l.shiftLeft, 50);
    EXPECT_EQ(l.ctrlLeft, 90);
    EXPECT_EQ(l.nameLeft, 6);
    EXPECT_EQ(l.nameTop, 1);
    EXPECT_EQ(l.nameFontHeight, 16);
    EXPECT_EQ(PadNameFontHeight(18), 16);
}

TEST(PadLayoutCalc, ALargerCaption) {
    // Caption 23, name 45 pixels wide: buttons 54 x 18, CTRL ends 3 pixels
    // before the strip's right edge.
    const PadLayout l = LayOutPad(23, 45);
    EXPECT_EQ(l.buttonWidth, 54);
    EXPECT_EQ(l.buttonHeight, 18);
    EXPECT_EQ(l.width, 167);
    EXPECT_EQ(l.height, 22);
    EXPECT_EQ(l.shiftLeft, 55);
    EXPECT_EQ(l.ctrlLeft, 110);
    EXPECT_EQ(l.nameTop, 1);
}

class PadDocking : public padkit::PadTest {
protected:
    // Docked on `w`: just left of its caption buttons, on its caption bar, as
    // the window itself reports them.
    void ExpectDockedOn(const Window& w) {
        EXPECT_TRUE(pad->PadShown);
        EXPECT_TRUE(IsWindowVisible(pad->Handle()));
        const testkit::CaptionBar bar = testkit::MeasureCaption(w.hwnd());
        const RECT got = PadRect();
        ASSERT_GE(bar.top, 0) << "no caption found";
        ASSERT_GE(bar.buttonsLeft, 0) << "no caption button found";
        EXPECT_EQ(got.top, bar.top);
        EXPECT_LE(got.bottom, bar.bottom);
        EXPECT_GE(got.bottom, bar.bottom - 2);
        EXPECT_LE(got.right, bar.buttonsLeft);
        EXPECT_GE(got.right, bar.buttonsLeft - 6) << "the caption buttons start at " << bar.buttonsLeft;
        EXPECT_EQ(got.right - got.left, pad->PadWidth);
    }
    void DockAndCheck(Window& w) {
        ASSERT_TRUE(DockOn(w));
        ExpectDockedOn(w);
    }
};

TEST_F(PadDocking, TheRealPadIsLaidOutForTheSystemsCaption) {
    const int h = GetSystemMetrics(SM_CYCAPTION);
    // "Vantro" measured independently in the name label's font (bold Arial).
    const SIZE size = testkit::MeasureText("Arial", h - 2, FW_BOLD, DEFAULT_CHARSET, "Vantro");
    // The auto-sized label fitted itself to its font before it was measured.
    EXPECT_EQ(pad->NameLabel->Width(), size.cx);

    const PadLayout l = LayOutPad(h, size.cx);
    EXPECT_EQ(pad->CaptionHeight, h);
    EXPECT_EQ(pad->PadWidth, l.width);
    // The pad stays at zero width until it docks (it takes its full width below).
    EXPECT_EQ(pad->ClientWidth(), 0);
    EXPECT_EQ(pad->ClientHeight(), l.height);
    EXPECT_EQ(pad->NameLabel->Top(), l.nameTop);
    EXPECT_EQ(pad->NameLabel->Font().Height(), l.nameFontHeight);
    for (TSpeedButton* b : {pad->ShiftBtn, pad->CtrlBtn}) {
        SCOPED_TRACE(b->Name());
        EXPECT_EQ(b->Width(), l.buttonWidth);
        EXPECT_EQ(b->Height(), l.buttonHeight);
        EXPECT_EQ(b->Font().Height(), l.buttonFontHeight);
        EXPECT_EQ(b->Top(), 2);
    }
    EXPECT_EQ(pad->CtrlBtn->GroupIndex(), 2);

    // On the screen: the name, SHIFT and CTRL side by side inside the strip
    // (the places the layout gives them).
    Window target(kExplorer);
    ASSERT_TRUE(DockOn(target));
    EXPECT_EQ(pad->ClientWidth(), l.width);
    const RECT strip = PadRect();
    const POINT name = pad->NameLabel->ClientToScreen(POINT{0, 0});
    const POINT shift = pad->ShiftBtn->ClientToScreen(POINT{0, 0});
    const POINT ctrl = pad->CtrlBtn->ClientToScreen(POINT{0, 0});
    EXPECT_EQ(name.x, strip.left + 6);
    EXPECT_LT(name.x + pad->NameLabel->Width(), shift.x);
    EXPECT_EQ(shift.x + pad->ShiftBtn->Width() + 1, ctrl.x);
    EXPECT_EQ(ctrl.x + pad->CtrlBtn->Width() + 3, strip.right);
    EXPECT_EQ(shift.y, strip.top + 2);
}

TEST_F(PadDocking, StartsInvisibleWithDefaultsUntilATargetAppears) {
    EXPECT_EQ(pad->TargetWnd, pad->OwnWnd);
    EXPECT_TRUE(pad->NeverDocked);
    EXPECT_FALSE(IsWindowVisible(pad->Handle()));
    EXPECT_FALSE(IsWindowVisible(testkit::App().Handle()));

    Window other("無題 - メモ帳");
    ASSERT_TRUE(other.Activate());
    Poll();
    EXPECT_FALSE(IsWindowVisible(pad->Handle()));
    EXPECT_TRUE(pad->NeverDocked);

    Window target(kFileManager);
    DockAndCheck(target);
    EXPECT_FALSE(pad->NeverDocked);
    // The pad is a borderless, always-on-top strip without a task-bar button.
    LONG style = GetWindowLongA(pad->Handle(), GWL_STYLE);
    LONG exStyle = GetWindowLongA(pad->Handle(), GWL_EXSTYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & WS_CAPTION);
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
    EXPECT_EQ(GetWindow(pad->Handle(), GW_OWNER), testkit::App().Handle());
    EXPECT_FALSE(IsWindowVisible(testkit::App().Handle()));
}

TEST_F(PadDocking, FollowsTheTargetWhenItMoves) {
    Window target(kExplorer);
    DockAndCheck(target);
    MoveWindow(target.hwnd(), 40, 60, 500, 300, TRUE);
    Poll();
    ExpectDockedOn(target);
    // A poll on an unmoved target keeps the pad where it is.
    RECT before = PadRect();
    Poll();
    RECT after = PadRect();
    EXPECT_TRUE(EqualRect(&before, &after));
}

// Window events place the pad as a poll would, at once: with the poll's timer
// running but no tick due, an event is all that moves it.
TEST_F(PadDocking, WindowEventsPlaceThePadAsAPollWould) {
    delete pad;
    struct Hook {
        DWORD min, max, pid;
        bool live;
    };
    std::vector<Hook> hooks;
    WINEVENTPROC proc = nullptr;
    auto set = testkit::MakeScopedHook(platform::hooks().setWinEventHook,
                                       [&](DWORD min, DWORD max, WINEVENTPROC p, DWORD pid) {
                                           proc = p;
                                           hooks.push_back({min, max, pid, true});
                                           return reinterpret_cast<HWINEVENTHOOK>(hooks.size());
                                       });
    auto unset = testkit::MakeScopedHook(platform::hooks().unhookWinEvent, [&](HWINEVENTHOOK h) {
        hooks.at(reinterpret_cast<std::size_t>(h) - 1).live = false;
        return TRUE;
    });
    pad = padkit::NewPad();
    ASSERT_NE(proc, nullptr);
    pad->Timer1->SetInterval(3600000);
    pad->Timer1->SetEnabled(true);
    const auto event = [&](DWORD e, HWND w, LONG object = OBJID_WINDOW) {
        proc(nullptr, e, w, object, CHILDID_SELF, 0, 0);
        testkit::Pump();
    };
    Window target(kExplorer);
    ASSERT_TRUE(target.Activate());
    event(EVENT_SYSTEM_FOREGROUND, target.hwnd());
    ExpectDockedOn(target);
    // The target's own process is watched for its moves.
    EXPECT_TRUE(std::any_of(hooks.begin(), hooks.end(), [](const Hook& h) {
        return h.live && h.pid == GetCurrentProcessId() && h.min <= EVENT_OBJECT_LOCATIONCHANGE &&
               EVENT_OBJECT_LOCATIONCHANGE <= h.max;
    }));
    // A caret moving in the target is no reason to look again; the window moving is.
    MoveWindow(target.hwnd(), 40, 60, 500, 300, TRUE);
    const RECT before = PadRect();
    event(EVENT_OBJECT_LOCATIONCHANGE, target.hwnd(), OBJID_CARET);
    const RECT unmoved = PadRect();
    EXPECT_TRUE(EqualRect(&before, &unmoved));
    event(EVENT_OBJECT_LOCATIONCHANGE, target.hwnd());
    ExpectDockedOn(target);
    // While the poll is stopped (a dialog or the menu is open), events change nothing.
    ShowWindow(target.hwnd(), SW_MINIMIZE);
    pad->Timer1->SetEnabled(false);
    event(EVENT_SYSTEM_MINIMIZESTART, target.hwnd());
    EXPECT_TRUE(pad->PadShown);
    pad->Timer1->SetEnabled(true);
    event(EVENT_SYSTEM_MINIMIZESTART, target.hwnd());
    ExpectHidden();
    // Every hook goes with the pad.
    delete pad;
    pad = nullptr;
    EXPECT_TRUE(std::none_of(hooks.begin(), hooks.end(), [](const Hook& h) { return h.live; }));
}

// Another program's window, followed by its window events alone where the
// system delivers them.
TEST_F(PadDocking, FollowsAnotherProgramsWindowOnItsEvents) {
    if (testkit::UnderWine()) {
        using VersionFn = const char* (*)();
        const auto version = reinterpret_cast<VersionFn>(
            reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version")));
        if (!version || std::atoi(version()) < 10)
            GTEST_SKIP() << "Wine before 10 delivers no window events from other programs";
    }
    pad->Timer1->SetInterval(3600000);
    pad->Timer1->SetEnabled(true);
    padkit::OtherProcessTarget target(kExplorer);
    ASSERT_NE(target.wnd, nullptr);
    ASSERT_TRUE(target.Activate());
    const auto dockedAt = [&](int left) {
        const testkit::CaptionBar bar = testkit::MeasureCaption(target.wnd);
        const RECT r = PadRect();
        return pad->PadShown && r.right - r.left == pad->PadWidth && r.top == bar.top &&
               r.right <= bar.buttonsLeft && r.right >= bar.buttonsLeft - 6 && bar.buttonsLeft > left;
    };
    EXPECT_TRUE(testkit::WaitFor([&] { return dockedAt(0); }, "the pad docked on the event"));
    SetWindowPos(target.wnd, nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(testkit::WaitFor([&] { return dockedAt(760); }, "the pad moved with its target"));
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
    cases.push_back({"help title", std::make_unique<Window>("Vantroとは")});
    cases.push_back(
        {"pop-up", std::make_unique<Window>(std::string("ﾌｧｲﾙ ﾏﾈｰｼﾞｬ popup"), WS_POPUP | WS_CAPTION | WS_VISIBLE)});
    auto frameless = std::make_unique<Window>("ﾌｧｲﾙ ﾏﾈｰｼﾞｬ frameless");
    SetWindowLongA(frameless->hwnd(), GWL_STYLE,
                   GetWindowLongA(frameless->hwnd(), GWL_STYLE) & ~(WS_CAPTION | WS_THICKFRAME));
    cases.push_back({"frameless", std::move(frameless)});
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(DockOn(target));
        ASSERT_TRUE(c.window->Activate());
        // Latched once the other window has the foreground: when the X focus
        // moves, Wine re-reads the modifiers from the X server, which knows
        // nothing of injected keys. Wine 8 drops a latched key silently;
        // Wine 10 reports the drop as the user's key-up, which raises the
        // button before the poll, and a hide then has nothing to release.
        pad->ShiftBtn->SetDown(true);
        pad->BtnOnOff(pad->ShiftBtn);
        testkit::KeyRecorder keys;
        Poll();
        ExpectHidden();
        // Hiding lets go of the latched key, and of no other (a key the user
        // holds stays held).
        EXPECT_FALSE(pad->ShiftBtn->Down());
        EXPECT_EQ(keys.events, (std::vector<Ev>{{VK_SHIFT, KEYEVENTF_KEYUP}}));
    }
}

TEST_F(PadDocking, HidesWhenTheTargetIsMinimizedDisabledOrClosed) {
    Window target(kExplorer);
    DockAndCheck(target);
    ShowWindow(target.hwnd(), SW_MINIMIZE);
    ASSERT_TRUE(testkit::WaitFor([&] { return IsIconic(target.hwnd()) != FALSE; }, "the target minimized"));
    Poll();
    ExpectHidden();

    ShowWindow(target.hwnd(), SW_RESTORE);
    DockAndCheck(target);
    EnableWindow(target.hwnd(), FALSE);
    Poll();
    ExpectHidden();
    EnableWindow(target.hwnd(), TRUE);

    DockAndCheck(target);
    target.Destroy();
    Poll();
    ExpectHidden();
}

TEST_F(PadDocking, ADisabledMatchingWindowInFrontHidesThePadAndIsNoTarget) {
    Window target(kExplorer);
    DockAndCheck(target);
    Window disabled(kFileManager, WS_OVERLAPPEDWINDOW | WS_VISIBLE, RECT{200, 200, 600, 450});
    ASSERT_TRUE(disabled.Activate());
    EnableWindow(disabled.hwnd(), FALSE);
    ASSERT_EQ(GetForegroundWindow(), disabled.hwnd());
    Poll();
    ExpectHidden();
    EXPECT_EQ(pad->TargetWnd, target.hwnd());
}

TEST_F(PadDocking, HiddenForegroundTargetDoesNotDock) {
    Window target(kExplorer);
    ASSERT_TRUE(target.Activate());
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
    // The about box's title starts with the application's title; the second
    // is a title no window of this program has, still on the list.
    for (const char* title : {"Vantro Pad のﾊﾞｰｼﾞｮﾝ情報", "Target Listの編集"}) {
        SCOPED_TRACE(title);
        DockAndCheck(target);
        RECT before = PadRect();
        Window own(title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, RECT{300, 300, 500, 450});
        ASSERT_TRUE(own.Activate());
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
    DockAndCheck(seen);
    // One byte later the entry is cut: not a target.
    Window cut(std::string(72, 'a') + "ｴｸｽﾌﾟﾛｰﾗ");
    ASSERT_TRUE(cut.Activate());
    Poll();
    ExpectHidden();
}

TEST_F(PadDocking, ListMatchingIsCaseSensitiveAndIgnoresEmptyEntries) {
    pad->Targets->Clear();
    pad->Targets->Add("");
    pad->Targets->Add("Editor");
    Window blank("anything at all");
    ASSERT_TRUE(blank.Activate());
    Poll();
    EXPECT_TRUE(pad->NeverDocked);
    Window lower("my editor");
    ASSERT_TRUE(lower.Activate());
    Poll();
    EXPECT_TRUE(pad->NeverDocked);
    Window match("My Editor - file.txt");
    DockAndCheck(match);
}

TEST_F(PadDocking, OptAllDocksOnAnyCaptionedWindowButKeepsTheRules) {
    pad->OptAll = true;
    Window any("無題 - メモ帳");
    DockAndCheck(any);
    // The system windows, the help titles and pop-ups still hide it.
    for (const char* title : {"Program Manager", "Vantroとは"}) {
        SCOPED_TRACE(title);
        Window hiding(title);
        ASSERT_TRUE(hiding.Activate());
        Poll();
        ExpectHidden();
        DockAndCheck(any);
    }
    {
        Window popup("無題 popup", WS_POPUP | WS_CAPTION | WS_VISIBLE, RECT{300, 300, 500, 450});
        ASSERT_TRUE(popup.Activate());
        Poll();
        ExpectHidden();
    }
    // The application's own title still leaves the pad alone.
    DockAndCheck(any);
    const RECT before = PadRect();
    Window own("Vantro Pad", WS_OVERLAPPEDWINDOW | WS_VISIBLE, RECT{300, 300, 500, 450});
    ASSERT_TRUE(own.Activate());
    Poll();
    EXPECT_TRUE(pad->PadShown);
    const RECT after = PadRect();
    EXPECT_TRUE(EqualRect(&before, &after));
    EXPECT_EQ(pad->TargetWnd, any.hwnd());
}

TEST_F(PadDocking, ThePadInTheForegroundHandsItBack) {
    // The pad never takes the activation by itself; a pad made able to shows
    // what happens when it does reach the foreground anyway.
    delete pad;
    pad = padkit::NewPad(true);
    Window target(kExplorer);
    DockAndCheck(target);
    // Its activation handler hands the foreground straight back.
    SetForegroundWindow(pad->Handle());
    EXPECT_TRUE(testkit::WaitFor([&] { return GetForegroundWindow() == target.hwnd(); },
                                 "the foreground back on the target", testkit::Foreground));
    EXPECT_FALSE(IsWindowVisible(testkit::App().Handle()));
    // Without that handler the next poll does it, and hides the pad.
    auto onActivate = pad->OnActivate;
    pad->OnActivate = nullptr;
    SetForegroundWindow(pad->Handle());
    const auto padInFront = testkit::WaitFor([&] { return GetForegroundWindow() == pad->Handle(); },
                                             "the pad in the foreground", testkit::Foreground);
    pad->OnActivate = onActivate;
    ASSERT_TRUE(padInFront);
    Poll();
    EXPECT_TRUE(testkit::WaitFor([&] { return GetForegroundWindow() == target.hwnd(); },
                                 "the foreground back on the target", testkit::Foreground));
    ExpectHidden();
    // The next poll docks it again in place.
    Poll();
    ExpectDockedOn(target);
}

TEST_F(PadDocking, TheTimerPollsEveryHundredMilliseconds) {
    EXPECT_EQ(pad->Timer1->Interval(), 100u);
    pad->Timer1->SetEnabled(true);
    Window target(kExplorer);
    ASSERT_TRUE(target.Activate());
    EXPECT_TRUE(testkit::WaitFor([&] { return pad->PadShown; }, "the pad docked by its own poll"));
    ExpectDockedOn(target);
    Window other("無題 - メモ帳");
    ASSERT_TRUE(other.Activate());
    EXPECT_TRUE(testkit::WaitFor([&] { return PadWidth() == 0; }, "the pad hidden by its own poll"));
}

TEST_F(PadDocking, MinimizeHidesAndRestoreShowsAgain) {
    Window target(kExplorer);
    DockAndCheck(target);
    testkit::App().Minimize();
    ExpectHidden();
    EXPECT_FALSE(IsWindowVisible(testkit::App().Handle()));
    testkit::App().Restore();
    EXPECT_TRUE(pad->PadShown);
    EXPECT_FALSE(IsWindowVisible(testkit::App().Handle()));
    Poll();
    ExpectDockedOn(target);
}

} // namespace
