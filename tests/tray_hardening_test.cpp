// The tray icon when the shell does not play along: adds refused while the
// owner's layout is read (a start before the notification area exists), a
// re-add refused after the shell's restart, an icon removed while a modify
// would be refused, and a mouse handler that frees the tray's owner.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <utility>
#include <string>
#include <vector>

#include "controls/TaskTray.h"
#include "controls/TrayRetry.h"
#include "framework/Forms.h"
#include "framework/Menus.h"
#include "tests/support/testkit.h"

using namespace vcl;
using Strings = std::vector<std::string>;

namespace {

// Stands in for the shell: notes each request as "op id icon?" ("icon" when the
// record carries an icon handle) and refuses it when `refuse` says so.
class Shell {
public:
    int Count(const std::string& request) const {
        int n = 0;
        for (const std::string& r : requests) n += r == request;
        return n;
    }
    Strings requests;
    std::function<bool(DWORD)> refuse;

private:
    testkit::ScopedHook<std::function<BOOL(DWORD, NOTIFYICONDATAA*)>> FHook{
        platform::hooks().shellNotifyIcon, [this](DWORD m, NOTIFYICONDATAA* d) {
            const char* op = m == NIM_ADD ? "add" : m == NIM_MODIFY ? "mod" : "del";
            requests.push_back(std::string(op) + " " + std::to_string(d->uID) + (d->hIcon ? " icon" : " none"));
            return (refuse && refuse(m)) ? FALSE : TRUE;
        }};
};

bool Adds(DWORD m) { return m == NIM_ADD; }

class LayoutForm : public TForm {
public:
    LayoutForm() : TForm(nullptr, "TrayHardeningForm") {}
    using TCustomForm::ReadLayout;
};


class TrayTrouble : public ::testing::Test {
protected:
    void SetUp() override {
        testkit::App();
        ASSERT_TRUE(TrayIDList().empty());
    }

    // A tray read from a layout, as a form loads its components.
    TTaskTray* Load(LayoutForm& owner) {
        TTaskTray* t = nullptr;
        owner.ReadLayout([&] {
            t = new TTaskTray(&owner);
            t->SetTipString("Vantro Pad");
            t->SetIconResource("TRAYICON");
            t->SetRegistered(true);
        });
        return t;
    }
    TTaskTray* Shown() {
        auto* t = new TTaskTray(&form);
        t->SetIconResource("TRAYICON");
        t->SetRegistered(true);
        return t;
    }
    static void ShellRestarts() {
        SendMessageA(NotifyWindow()->Handle(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    }

    testkit::ScopedHook<std::function<BOOL(HWND)>> noForeground{platform::hooks().setForegroundWindow,
                                                                [](HWND) { return TRUE; }};
    Shell shell;
    LayoutForm form;
    testkit::MessageBoxRecorder boxes;
};

TEST(TrayRetryPlan, RetriesForAFewMinutesThenWaitsForTheShell) {
    EXPECT_GE(TrayRetryIntervalMs, 1000u);
    EXPECT_LE(TrayRetryIntervalMs, 10000u);
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
    const int refusedAtLoad = shell.Count("add 1 icon");
    EXPECT_GE(refusedAtLoad, 1);

    // The next quiet attempt is refused as well: no message, still pending.
    // (Counted inside the retry's handling, which is over when the wait sees it.)
    ASSERT_TRUE(testkit::WaitFor([&] { return shell.Count("add 1 icon") > refusedAtLoad; }, "a quiet retry of the add"));
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
    testkit::LetTimersRun(2, TrayRetryIntervalMs);
    EXPECT_EQ(shell.requests.size(), sent);
    delete t;
    EXPECT_EQ(shell.requests.back(), "del 1 icon");
}

TEST_F(TrayTrouble, TheShellsBroadcastAddsAnIconPendingSinceLoading) {
    shell.refuse = Adds;
    TTaskTray* t = Load(form);
    ASSERT_FALSE(t->InTray());
    // Refused once more when the shell announces itself: still quiet, and no
    // modify of an icon the shell never had.
    shell.requests.clear();
    ShellRestarts();
    EXPECT_EQ(shell.requests, Strings{"add 1 icon"});
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
    EXPECT_EQ(shell.requests, (Strings{"add 1 icon", "mod 1 icon"}));
    EXPECT_TRUE(t->InTray());
    EXPECT_TRUE(boxes.boxes.empty());
    // Later updates are modifies, and the end deletes the icon.
    t->SetTipString("changed");
    delete t;
    EXPECT_EQ(shell.requests, (Strings{"add 1 icon", "mod 1 icon", "mod 1 icon", "del 1 icon"}));
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
    EXPECT_EQ(shell.requests, Strings{"add 1 icon"});
    delete t;
}

TEST(TrayOnThisSystem, LettingTheShellsBroadcastThroughIsAccepted) {
    testkit::Window w("tray message filter");
    const BOOL ok = platform::AllowMessageFromLowerLevels(w.hwnd(), RegisterWindowMessageA("TaskbarCreated"));
    printf("ChangeWindowMessageFilterEx here: %s, ChangeWindowMessageFilter: %s; the call %s (error %lu)\n",
           GetProcAddress(GetModuleHandleA("user32.dll"), "ChangeWindowMessageFilterEx") ? "present" : "absent",
           GetProcAddress(GetModuleHandleA("user32.dll"), "ChangeWindowMessageFilter") ? "present" : "absent",
           ok ? "succeeds" : "fails", GetLastError());
    EXPECT_TRUE(ok);
}

TEST_F(TrayTrouble, NoIconWhileShownDeletesWithoutAModifyFirst) {
    TTaskTray* t = Shown();
    shell.refuse = [](DWORD m) { return m == NIM_MODIFY; };
    shell.requests.clear();
    EXPECT_NO_THROW(t->SetIcon(nullptr));
    EXPECT_EQ(shell.requests, (Strings{"del 1 icon"}));
    EXPECT_TRUE(t->Icon()->Empty());
    EXPECT_FALSE(t->Registered() || t->InTray());
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
        auto* owner = new LayoutForm;
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
