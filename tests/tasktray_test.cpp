// The tray icon component: identifiers, the shell requests that property writes
// make, refusals, layout loading and design state, menus, callback dispatch
// with the shared busy guard, shell restarts, and one round trip through the
// real shell under Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/TaskTray.h"
#include "controls/TrayRetry.h"
#include "framework/Forms.h"
#include "framework/Menus.h"
#include "tests/support/blackbox.h"
#include "tests/support/testkit.h"

using namespace vcl;
using Strings = std::vector<std::string>;

namespace {

using testkit::FakeShell;

class TestForm : public TForm {
public:
    TestForm() : TForm(nullptr, "TaskTrayTestForm") {}
    using TCustomForm::ReadLayout;
};

Strings IDTexts() {
    Strings texts;
    for (const auto& e : TrayIDList()) texts.push_back(e.Text);
    return texts;
}

std::string Error(const std::function<void()>& f) {
    try {
        f();
    } catch (const EInvalidOperation& e) {
        return e.what();
    }
    return "";
}

const char* const Refused = "タスクトレイに登録できません";

class Tray : public ::testing::Test {
protected:
    void SetUp() override {
        testkit::App();
        ASSERT_TRUE(TrayIDList().empty());
        ASSERT_EQ(nullptr, NotifyWindow());
        platform::hooks().setForegroundWindow = [this](HWND w) {
            log.push_back(w == form.Handle() ? "foreground" : "foreground?");
            return TRUE;
        };
    }
    void TearDown() override { platform::hooks().setForegroundWindow = nullptr; }

    TTaskTray* NewTray(bool registered, const std::string& tip = "Vantro Pad") {
        auto* t = new TTaskTray(&form);
        t->SetTipString(tip);
        t->SetIconResource("TRAYICON");
        t->SetRegistered(registered);
        return t;
    }
    // Delivers a callback the way the shell does (posted), and handles it and
    // whatever its handling posts to this thread.
    void Notify(UINT id, LPARAM mouse) {
        PostMessageA(NotifyWindow()->Handle(), WM_TRAYNOTIFY, id, mouse);
        testkit::Pump();
    }
    void LogEvents(TTaskTray* t) {
        auto note = [this](const char* what, int b, unsigned s, int x, int y) {
            log.push_back(std::string(what) + " " + std::to_string(b) + " " + std::to_string(s) + " " +
                          std::to_string(x) + "," + std::to_string(y));
        };
        t->OnMouseDown = [=](TObject*, TMouseButton b, TShiftState s, int x, int y) { note("down", b, s, x, y); };
        t->OnMouseUp = [=](TObject*, TMouseButton b, TShiftState s, int x, int y) { note("up", b, s, x, y); };
        t->OnMouseMove = [=](TObject*, TShiftState s, int x, int y) { note("move", 0, s, x, y); };
        t->OnDblClick = [=](TObject* sender, TMouseButton b) { note("dbl", b, sender == t, 0, 0); };
    }

    FakeShell shell;
    TestForm form;
    Strings log;
};

TEST_F(Tray, IdentifiersFollowTheLastEntryAndRejectBadValues) {
    auto* a = new TTaskTray(&form);
    delete new TTaskTray(&form);
    auto* b = new TTaskTray(&form);
    EXPECT_EQ(1, a->IconID());
    EXPECT_EQ(2, b->IconID());
    // A rewrite keeps the entry's place; a new component skips an identifier in use.
    a->SetIconID(3);
    EXPECT_EQ(4, (new TTaskTray(&form))->IconID());
    EXPECT_EQ("0以下は指定できません", Error([&] { a->SetIconID(0); }));
    EXPECT_EQ("0以下は指定できません", Error([&] { a->SetIconID(-7); }));
    EXPECT_EQ("同じアイコン識別子が有ります", Error([&] { b->SetIconID(4); }));
    EXPECT_EQ("", Error([&] { a->SetIconID(3); }));
    EXPECT_EQ((Strings{"3", "2", "4"}), IDTexts());
    EXPECT_TRUE(shell.requests.empty());
}

TEST_F(Tray, WritesSendOnlyWhatChanged) {
    auto* t = new TTaskTray(&form);
    t->SetTipString("Vantro Pad");
    EXPECT_EQ("アイコンが指定されていません", Error([&] { t->SetRegistered(true); }));
    EXPECT_FALSE(t->Registered());
    t->SetIconResource("TRAYICON");
    t->SetRegistered(true);
    t->SetRegistered(true);
    EXPECT_EQ(t->Icon()->Handle(), shell.icon);
    t->SetTipString("Vantro Pad");
    t->SetTipString("");
    new TTaskTray(&form);
    t->SetIconID(9);
    t->SetRegistered(false);
    t->SetRegistered(false);
    EXPECT_EQ((Strings{"add 1 7 Vantro Pad", "mod 1 3 ", "del 1 3 ", "add 9 3 ", "del 9 3 "}), shell.requests);
    EXPECT_EQ((Strings{"9", "2"}), IDTexts());
}

TEST_F(Tray, LongTipIsCutWithoutSplittingACharacter) {
    ASSERT_EQ(932u, GetACP());
    auto* t = NewTray(true, std::string(62, 'a') + "あb");
    t->SetTipString(std::string(61, 'a') + "あ");
    t->SetTipString(std::string(70, 'z'));
    EXPECT_EQ((Strings{"add 1 7 " + std::string(62, 'a'), "mod 1 7 " + std::string(61, 'a') + "あ",
                       "mod 1 7 " + std::string(63, 'z')}),
              shell.requests);
    EXPECT_EQ(std::string(70, 'z'), t->TipString());
}

TEST_F(Tray, ANotificationGoesToTheShownIconAloneWithItsTextsCutWhole) {
    ASSERT_EQ(932u, GetACP());
    auto* t = NewTray(false);
    EXPECT_FALSE(t->ShowBalloon("title", "text")); // not in the tray: nothing asked
    t->SetRegistered(true);
    // Title and text fill their fields (63 and 255 bytes) but never split a character.
    EXPECT_TRUE(t->ShowBalloon(std::string(62, 't') + "あ", std::string(254, 'x') + "あ"));
    shell.refuse = [](DWORD) { return true; };
    EXPECT_FALSE(t->ShowBalloon("Vantro Pad", "ｱｲｺﾝ"));
    EXPECT_EQ((Strings{"add 1 7 Vantro Pad", "info 1 16 " + std::string(62, 't') + "|" + std::string(254, 'x'),
                       "info 1 16 Vantro Pad|ｱｲｺﾝ"}),
              shell.requests);
    // A refused notification is no error: the icon stays as it was.
    EXPECT_TRUE(t->InTray());
}

TEST_F(Tray, RefusalsRaiseAndLeaveTheStateForTheNextTry) {
    shell.refuse = [](DWORD m) { return m == NIM_ADD; };
    TTaskTray* t = nullptr;
    EXPECT_EQ(Refused, Error([&] { t = NewTray(true); }));
    t = dynamic_cast<TTaskTray*>(form.Components(0));
    EXPECT_TRUE(t->Registered() && !t->InTray());
    shell.refuse = [](DWORD m) { return m == NIM_MODIFY; };
    t->SetTipString("again");
    EXPECT_EQ(Refused, Error([&] { t->SetTipString("refused"); }));
    EXPECT_TRUE(t->InTray());
    shell.refuse = [](DWORD m) { return m == NIM_ADD; };
    EXPECT_EQ(Refused, Error([&] { t->SetIconID(5); }));
    EXPECT_TRUE(t->Registered() && !t->InTray());
    EXPECT_EQ((Strings{"add 1 7 Vantro Pad", "add 1 7 again", "mod 1 7 refused", "del 1 7 refused", "add 5 7 refused"}),
              shell.requests);
}

TEST_F(Tray, IconCopyUpdatesAndNoIconRemoves) {
    auto* t = NewTray(true);
    t->SetIcon(t->Icon());
    TIconImage other;
    other.LoadFromResourceName(GetModuleHandleA(nullptr), "MAINICON");
    t->SetIcon(&other);
    EXPECT_NE(other.Handle(), shell.icon);
    EXPECT_EQ(t->Icon()->Handle(), shell.icon);
    // No icon: deleted at once, without a modify first (which would be refused).
    shell.refuse = [](DWORD m) { return m == NIM_MODIFY; };
    shell.requests.clear();
    EXPECT_NO_THROW(t->SetIcon(nullptr));
    EXPECT_TRUE(t->Icon()->Empty());
    EXPECT_FALSE(t->Registered() || t->InTray());
    EXPECT_EQ(shell.requests, Strings{"del 1 7 Vantro Pad"});
}

TEST_F(Tray, DesignStateAsksNothingOfTheShellButStillChecks) {
    form.SetDesigning(true);
    auto* t = new TTaskTray(&form);
    EXPECT_EQ("アイコンが指定されていません", Error([&] { t->SetRegistered(true); }));
    t->SetIconResource("TRAYICON");
    t->SetRegistered(true);
    t->Loaded();
    EXPECT_EQ("0以下は指定できません", Error([&] { t->SetIconID(0); }));
    EXPECT_TRUE(t->Registered() && !t->InTray());
    EXPECT_TRUE(shell.requests.empty());
    EXPECT_EQ(nullptr, NotifyWindow());
}

TEST_F(Tray, LoadsFromALayoutAndRefreshesInTheLoadedStep) {
    TTaskTray* t = nullptr;
    form.ReadLayout([&] {
        t = new TTaskTray(&form);
        t->SetIconResource("TRAYICON");
        t->SetIconID(1);
        t->SetRegistered(true);
        EXPECT_TRUE(t->IsLoading());
    });
    EXPECT_FALSE(t->IsLoading());
    EXPECT_EQ((Strings{"add 1 3 ", "mod 1 3 "}), shell.requests);
}

TEST_F(Tray, OneMenuForBothButtonsIsClearedFromBoth) {
    auto* t = new TTaskTray(&form);
    auto* both = new TPopupMenu(&form);
    t->SetPopupMenuL(both);
    t->SetPopupMenuR(both);
    delete both;
    EXPECT_TRUE(t->PopupMenuL() == nullptr && t->PopupMenuR() == nullptr);
}

TEST_F(Tray, CallbacksBecomeEventsWithTheCursorAndTheButtonFlagOnly) {
    TTaskTray* t = NewTray(true);
    LogEvents(t);
    t->OnBalloonClick = [this, t](TObject* sender) { log.push_back(sender == t ? "balloon" : "balloon?"); };
    NewTray(true);
    SetCursorPos(123, 45);
    for (LPARAM m = WM_MOUSEMOVE; m <= WM_MBUTTONDBLCLK; ++m) Notify(1, m);
    Notify(1, WM_USER);
    // A click on the icon's notification: the owner comes to the front first, as for a press.
    Notify(1, NIN_BALLOONUSERCLICK);
    Notify(2, NIN_BALLOONUSERCLICK); // no handler
    Notify(2, WM_LBUTTONDOWN);  // another component, without handlers
    Notify(77, WM_LBUTTONDOWN); // nobody's
    EXPECT_EQ((Strings{"move 0 0 123,45", "foreground", "down 0 8 123,45", "up 0 8 123,45", "dbl 0 1 0,0",
                       "foreground", "down 1 16 123,45", "up 1 16 123,45", "dbl 1 1 0,0", "foreground",
                       "down 2 32 123,45", "up 2 32 123,45", "foreground", "balloon", "foreground", "foreground"}),
              log);
}

// Closes the popup menu as soon as it is open, noting where it appeared.
POINT gMenuAt{-1, -1};
DWORD gMenuWatchStart = 0;
void CloseMenuWhenOpen() {
    gMenuWatchStart = GetTickCount();
    SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR timer, DWORD) {
        HWND menu = FindWindowA("#32768", nullptr);
        if (menu && IsWindowVisible(menu)) {
            KillTimer(nullptr, timer);
            RECT r{};
            GetWindowRect(menu, &r);
            gMenuAt = POINT{r.left, r.top};
            EndMenu();
        } else if (static_cast<int>(GetTickCount() - gMenuWatchStart) > testkit::kLimitMs) {
            KillTimer(nullptr, timer);
            ADD_FAILURE() << "the popup menu did not open";
            EndMenu();
        }
    });
}

TEST_F(Tray, PressOpensTheButtonsMenuAfterTheEventAndDropsTheReleases) {
    auto* t = NewTray(true);
    LogEvents(t);
    auto menuFor = [&](const char* name) {
        auto* menu = new TPopupMenu(&form);
        auto* item = new TMenuItem(&form);
        item->SetCaption(name);
        menu->Add(item);
        menu->OnPopup = [=](TObject*) {
            log.push_back(name);
            // A release arriving while the menu is open is dropped as well.
            PostMessageA(NotifyWindow()->Handle(), WM_TRAYNOTIFY, 1, WM_LBUTTONUP);
            CloseMenuWhenOpen();
        };
        return menu;
    };
    t->SetPopupMenuL(menuFor("left menu"));
    t->SetPopupMenuR(menuFor("right menu"));
    SetCursorPos(200, 150);
    // This release is handled by the press's own message processing, and dropped.
    auto menuSeen = [] { return std::to_string(gMenuAt.x) + "," + std::to_string(gMenuAt.y); };
    gMenuAt = POINT{-1, -1};
    PostMessageA(NotifyWindow()->Handle(), WM_TRAYNOTIFY, 1, WM_LBUTTONDOWN);
    Notify(1, WM_LBUTTONUP);
    ASSERT_TRUE(testkit::WaitFor([] { return gMenuAt.x != -1; }, "the left menu opened and closed", menuSeen));
    EXPECT_TRUE(gMenuAt.x == 200 && gMenuAt.y == 150) << menuSeen();
    gMenuAt = POINT{-1, -1};
    Notify(1, WM_RBUTTONDOWN);
    ASSERT_TRUE(testkit::WaitFor([] { return gMenuAt.x != -1; }, "the right menu opened and closed", menuSeen));
    Notify(1, WM_MBUTTONDOWN);
    EXPECT_EQ((Strings{"foreground", "down 0 8 200,150", "left menu", "foreground", "down 1 16 200,150",
                       "right menu", "foreground", "down 2 32 200,150"}),
              log);
}

TEST_F(Tray, BusyGuardIsSharedSpansModalLoopsAndSurvivesErrors) {
    auto* a = NewTray(true);
    LogEvents(NewTray(true));
    a->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) {
        log.push_back("a down");
        Notify(2, WM_LBUTTONDOWN); // handled by this nested loop: dropped
        Notify(1, WM_LBUTTONUP);
    };
    Notify(1, WM_LBUTTONDOWN);
    testkit::MessageBoxRecorder boxes;
    a->OnMouseDown = [](TObject*, TMouseButton, TShiftState, int, int) { throw EInvalidOperation("失敗"); };
    Notify(1, WM_LBUTTONDOWN);
    ASSERT_EQ(1u, boxes.boxes.size());
    EXPECT_EQ("失敗.", boxes.boxes[0].text);
    Notify(2, WM_RBUTTONUP);
    ASSERT_EQ(4u, log.size());
    EXPECT_EQ((Strings{"foreground", "a down", "foreground"}), Strings(log.begin(), log.begin() + 3));
    EXPECT_EQ("up 1 16", log.back().substr(0, 7));
}

TEST_F(Tray, DestroyingAShownTrayRemovesItsIconAndEntryOnly) {
    auto* a = NewTray(true);
    auto* b = NewTray(true);
    delete a;
    EXPECT_EQ("del 1 7 Vantro Pad", shell.requests.back());
    EXPECT_EQ((Strings{"2"}), IDTexts());
    EXPECT_TRUE(b->InTray());
    delete b;
    EXPECT_EQ(nullptr, NotifyWindow());
}

TEST_F(Tray, TaskbarCreatedAddsEveryRegisteredIconAgain) {
    // The unregistered icon comes first: the adds of the two after it prove
    // that its turn has passed.
    NewTray(false, "idle");
    auto* shown = NewTray(true, "shown");
    shell.refuse = [](DWORD m) { return m == NIM_ADD; };
    EXPECT_EQ(Refused, Error([&] { NewTray(true, "pending"); }));
    shell.refuse = nullptr;
    shell.requests.clear();
    PostMessageA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(testkit::WaitFor([&] { return shell.requests.size() >= 2; }, "two icons added again",
                                 [&] { return std::to_string(shell.requests.size()) + " requests"; }));
    EXPECT_EQ((Strings{"add 2 7 shown", "add 3 7 pending"}), shell.requests);
    EXPECT_TRUE(shown->InTray());
}

// The real shell under Wine: the icon appears in Wine's own tray window, a real
// click on it reaches the component, and a delete takes it away (Wine 8 and
// Wine 10 show the icons in different tray windows, see WineTrayIconWindows).
TEST(RealShell, AddsClicksAndDeletesAnIcon) {
    if (!testkit::UnderWine()) GTEST_SKIP() << "the icon is looked for in Wine's own tray window";
    testkit::App();
    TestForm form;
    auto* t = new TTaskTray(&form);
    int presses = 0;
    t->OnMouseDown = [&](TObject*, TMouseButton b, TShiftState, int, int) { presses += b == mbLeft; };
    t->SetIconResource("TRAYICON");
    t->SetRegistered(true);
    HWND icon = nullptr;
    auto findIcon = [&] {
        const std::vector<HWND> icons = testkit::WineTrayIconWindows();
        icon = icons.empty() ? nullptr : icons.front();
        return icon != nullptr;
    };
    ASSERT_TRUE(testkit::WaitFor(findIcon, "the icon in Wine's tray window"));
    RECT r;
    GetWindowRect(icon, &r);
    testkit::ClickAt(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    EXPECT_TRUE(testkit::WaitFor([&] { return presses == 1; }, "the press on the icon",
                                 [&] { return std::to_string(presses) + " presses"; }));
    t->SetRegistered(false);
    EXPECT_TRUE(testkit::WaitFor([&] { return !findIcon(); }, "the icon gone from Wine's tray window"));
}

// ---------------------------------------------- when the shell does not play along

bool Adds(DWORD m) { return m == NIM_ADD; }

// Quiet retries every few milliseconds instead of seconds.
class TrayTrouble : public Tray {
protected:
    void SetUp() override {
        Tray::SetUp();
        platform::hooks().trayRetryInterval = kRetryMs;
    }
    void TearDown() override {
        platform::hooks().trayRetryInterval = 0;
        Tray::TearDown();
    }
    // A tray read from a layout, as a form loads its components.
    TTaskTray* Load(TestForm& owner) {
        TTaskTray* t = nullptr;
        owner.ReadLayout([&] { t = NewTray(true); });
        return t;
    }
    TTaskTray* Shown() { return NewTray(true, ""); }
    static void ShellRestarts() {
        SendMessageA(NotifyWindow()->Handle(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    }
    static constexpr int kRetryMs = 10;
    testkit::MessageBoxRecorder boxes;
};

TEST(TrayRetryPlan, RetriesForAFewMinutesThenWaitsForTheShell) {
    EXPECT_TRUE(TrayRetryDue(0));
    EXPECT_TRUE(TrayRetryDue(10 * 1000));
    EXPECT_TRUE(TrayRetryDue(2 * 60 * 1000));
    EXPECT_FALSE(TrayRetryDue(15 * 60 * 1000));
    EXPECT_FALSE(TrayRetryDue(24ul * 60 * 60 * 1000));
}

TEST_F(TrayTrouble, AnAddRefusedWhileLoadingIsRetriedQuietlyUntilTheShellTakesIt) {
    shell.refuse = Adds;
    TTaskTray* t = nullptr;
    ASSERT_NO_THROW(t = Load(form));
    EXPECT_TRUE(t->Registered());
    EXPECT_FALSE(t->InTray());
    EXPECT_TRUE(t->AddPending());
    const int refusedAtLoad = shell.Count("add 1");
    EXPECT_GE(refusedAtLoad, 1);

    // The next quiet attempt is refused as well: no message, still pending.
    // (Counted inside the retry's handling, which is over when the wait sees it.)
    ASSERT_TRUE(testkit::WaitFor([&] { return shell.Count("add 1") > refusedAtLoad; }, "a quiet retry of the add"));
    EXPECT_FALSE(t->InTray());
    EXPECT_TRUE(boxes.boxes.empty());

    // The shell is up: a later attempt adds the icon.
    shell.refuse = nullptr;
    EXPECT_TRUE(testkit::WaitFor([&] { return t->InTray(); }, "the icon added by a later retry"));
    EXPECT_FALSE(t->AddPending());
    EXPECT_TRUE(boxes.boxes.empty());
    // No more attempts once it is there: the loop ran, timers included, for
    // two retry intervals, in which a retry still planned would have come.
    const size_t sent = shell.requests.size();
    testkit::LetTimersRun(3, kRetryMs);
    EXPECT_EQ(shell.requests.size(), sent);
    delete t;
    EXPECT_EQ(shell.Ops().back(), "del 1");
}

TEST_F(TrayTrouble, TheShellsBroadcastAddsAnIconPendingSinceLoading) {
    shell.refuse = Adds;
    TTaskTray* t = Load(form);
    ASSERT_FALSE(t->InTray());
    // Refused once more when the shell announces itself: still quiet, and no
    // modify of an icon the shell never had.
    shell.requests.clear();
    ShellRestarts();
    EXPECT_EQ(shell.Ops(), Strings{"add 1"});
    EXPECT_FALSE(t->InTray());
    EXPECT_TRUE(boxes.boxes.empty());

    shell.refuse = nullptr;
    ShellRestarts();
    EXPECT_TRUE(t->InTray());
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(TrayTrouble, AReAddRefusedAfterTheShellRestartedFallsBackToAModify) {
    TTaskTray* t = Shown();
    // The restarted shell still holds the icon and refuses to add it again.
    shell.refuse = Adds;
    shell.requests.clear();
    ShellRestarts();
    EXPECT_EQ(shell.Ops(), (Strings{"add 1", "mod 1"}));
    EXPECT_TRUE(t->InTray());
    EXPECT_TRUE(boxes.boxes.empty());
    // Later updates are modifies, and the end deletes the icon.
    t->SetTipString("changed");
    delete t;
    EXPECT_EQ(shell.Ops(), (Strings{"add 1", "mod 1", "mod 1", "del 1"}));
}

// Run as administrator, the pad is above the shell: Windows keeps the shell's
// broadcast from it unless its notification window lets that message through.
TEST_F(TrayTrouble, TheShellsBroadcastIsLetThroughFromLowerLevels) {
    std::vector<std::pair<HWND, UINT>> allowed;
    const auto allow = testkit::MakeScopedHook(platform::hooks().allowMessage, [&](HWND wnd, UINT message) {
        allowed.emplace_back(wnd, message);
        return TRUE;
    });
    TTaskTray* t = Shown();
    ASSERT_NE(NotifyWindow(), nullptr);
    const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    ASSERT_NE(taskbarCreated, 0u);
    EXPECT_EQ(allowed, (std::vector<std::pair<HWND, UINT>>{{NotifyWindow()->Handle(), taskbarCreated}}));
    // The broadcast still brings the icon back.
    shell.requests.clear();
    ShellRestarts();
    EXPECT_EQ(shell.Ops(), Strings{"add 1"});
    delete t;
}

// A press whose handling frees the tray's owner: nothing of the tray is
// touched afterwards (its menu, kept alive elsewhere, does not open), and the
// notification window goes once the callback is over.
TEST_F(TrayTrouble, AMouseHandlerThatFreesTheTraysOwnerEndsTheDispatch) {
    Strings log;
    auto* menu = new TPopupMenu(&form);
    auto* item = new TMenuItem(&form);
    item->SetCaption("item");
    menu->Add(item);
    menu->OnPopup = [&](TObject*) {
        log.push_back("menu");
        // Never left open: the test would wait on it.
        SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR timer, DWORD) {
            KillTimer(nullptr, timer);
            EndMenu();
        });
    };
    for (UINT press : {WM_LBUTTONDOWN, WM_RBUTTONDOWN}) {
        auto* owner = new TestForm;
        auto* t = new TTaskTray(owner);
        t->SetIconResource("TRAYICON");
        t->SetRegistered(true);
        t->SetPopupMenuL(menu);
        t->SetPopupMenuR(menu);
        t->OnMouseDown = [&log, owner](TObject*, TMouseButton, TShiftState, int, int) {
            log.push_back("down");
            delete owner;
        };
        PostMessageA(NotifyWindow()->Handle(), WM_TRAYNOTIFY, 1, press);
        // The window goes once the dispatch is over, which is where a menu
        // would have been opened.
        EXPECT_TRUE(testkit::WaitFor([&] { return NotifyWindow() == nullptr; },
                                     "the notification window gone after the callback"));
        EXPECT_EQ(log, Strings{"down"}) << press;
        EXPECT_TRUE(TrayIDList().empty());
        log.clear();
    }
}

} // namespace
