// The latches tell the truth: the user's own Shift and Ctrl keys (real X key
// events, which Wine passes on as hardware input), a hide that leaves keys the
// user holds alone, a locked session, and a target that cannot receive keys.
#include <gtest/gtest.h>

#include <windows.h>
#include <wtsapi32.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "dialogs/ListEdit.h"
#include "pad/Elevation.h"
#include "pad/KeyRelease.h"
#include "pad/KeyWatch.h"
#include "pad/SessionWatch.h"
#include "pad/VTform.h"
#include "tests/support/dialogkit.h"
#include "tests/support/padkit.h"
#include "tests/support/testkit.h"

using namespace vcl;
using testkit::Window;
using Ev = testkit::KeyRecorder::Event;
using padkit::Centre;

namespace {

const Ev ShiftDown{VK_SHIFT, 0}, ShiftUp{VK_SHIFT, KEYEVENTF_KEYUP};
const Ev CtrlDown{VK_CONTROL, 0}, CtrlUp{VK_CONTROL, KEYEVENTF_KEYUP};
const char kExplorer[] = "C:\\ - ｴｸｽﾌﾟﾛｰﾗ";
// The user's own keys come from the X server (xdotool), which Wine passes on
// as hardware input; elsewhere there is no such source of real keys.
const char kNeedsX[] = "real keys are pressed through the X server with xdotool, which only a run under Wine has";

// ------------------------------------------------------------ the decisions

TEST(LatchDecisions, OnlyTheUsersOwnReleaseEndsALatch) {
    EXPECT_EQ(LatchEndedByKey(WM_KEYUP, VK_LSHIFT, LLKHF_UP, false), Latch::Shift);
    EXPECT_EQ(LatchEndedByKey(WM_KEYUP, VK_RSHIFT, LLKHF_UP | LLKHF_EXTENDED, false), Latch::Shift);
    EXPECT_EQ(LatchEndedByKey(WM_KEYUP, VK_LCONTROL, LLKHF_UP, false), Latch::Ctrl);
    EXPECT_EQ(LatchEndedByKey(WM_KEYUP, VK_RCONTROL, LLKHF_UP | LLKHF_EXTENDED, false), Latch::Ctrl);
    // With Alt held the release comes as a system key.
    EXPECT_EQ(LatchEndedByKey(WM_SYSKEYUP, VK_LCONTROL, LLKHF_UP | LLKHF_ALTDOWN, false), Latch::Ctrl);
    // The pad's own (injected) key-up, a press, another key: nothing ends.
    EXPECT_EQ(LatchEndedByKey(WM_KEYUP, VK_SHIFT, LLKHF_UP | LLKHF_INJECTED, false), Latch::None);
    EXPECT_EQ(LatchEndedByKey(WM_KEYUP, VK_LSHIFT, LLKHF_UP | LLKHF_INJECTED | LLKHF_LOWER_IL_INJECTED, false),
              Latch::None);
    EXPECT_EQ(LatchEndedByKey(WM_KEYDOWN, VK_LSHIFT, 0, false), Latch::None);
    EXPECT_EQ(LatchEndedByKey(WM_KEYUP, VK_LMENU, LLKHF_UP, false), Latch::None);
    EXPECT_EQ(LatchEndedByKey(WM_KEYUP, 'A', LLKHF_UP, false), Latch::None);
    // The right Shift let go while the left one is still down: Shift is still held.
    EXPECT_EQ(LatchEndedByKey(WM_KEYUP, VK_RSHIFT, LLKHF_UP, true), Latch::None);
}

TEST(LatchDecisions, ALatchGoesUpOnlyAfterItsKeyStaysGone) {
    int misses = 0;
    // The key-down just sent may not have reached the key state: one miss is not enough.
    EXPECT_FALSE(LatchLostItsKey(true, false, true, misses));
    EXPECT_TRUE(LatchLostItsKey(true, false, true, misses));
    // A key seen held again starts the count afresh.
    EXPECT_FALSE(LatchLostItsKey(true, false, true, misses));
    EXPECT_FALSE(LatchLostItsKey(true, true, true, misses));
    EXPECT_FALSE(LatchLostItsKey(true, false, true, misses));
    // A raised button never goes up "again".
    misses = 0;
    EXPECT_FALSE(LatchLostItsKey(false, false, true, misses));
    EXPECT_FALSE(LatchLostItsKey(false, false, true, misses));
    // While the pad's own key-down is still on its way, no number of polls
    // raises the button; once it has arrived, two do.
    misses = 0;
    for (int i = 0; i < 10; ++i) EXPECT_FALSE(LatchLostItsKey(true, false, false, misses)) << i;
    EXPECT_FALSE(LatchLostItsKey(true, false, true, misses));
    EXPECT_TRUE(LatchLostItsKey(true, false, true, misses));
}

TEST(LatchDecisions, OnlyThePadsOwnMarkedKeyDownArrives) {
    const ULONG_PTR mark = platform::kPadKeyMark;
    EXPECT_EQ(PadKeyDownArrived(WM_KEYDOWN, VK_LSHIFT, LLKHF_INJECTED, mark), Latch::Shift);
    EXPECT_EQ(PadKeyDownArrived(WM_KEYDOWN, VK_SHIFT, LLKHF_INJECTED, mark), Latch::Shift);
    EXPECT_EQ(PadKeyDownArrived(WM_KEYDOWN, VK_LCONTROL, LLKHF_INJECTED, mark), Latch::Ctrl);
    EXPECT_EQ(PadKeyDownArrived(WM_SYSKEYDOWN, VK_CONTROL, LLKHF_INJECTED | LLKHF_ALTDOWN, mark), Latch::Ctrl);
    // Another program's injected key, the user's own key, a key-up, another key.
    EXPECT_EQ(PadKeyDownArrived(WM_KEYDOWN, VK_LSHIFT, LLKHF_INJECTED, 0), Latch::None);
    EXPECT_EQ(PadKeyDownArrived(WM_KEYDOWN, VK_LSHIFT, 0, mark), Latch::None);
    EXPECT_EQ(PadKeyDownArrived(WM_KEYUP, VK_LSHIFT, LLKHF_INJECTED | LLKHF_UP, mark), Latch::None);
    EXPECT_EQ(PadKeyDownArrived(WM_KEYDOWN, 'A', LLKHF_INJECTED, mark), Latch::None);
}

TEST(KeyAccount, AKeyUpThatMayNotHaveArrivedIsOwedUntilTheKeyIsUp) {
    KeyLedger keys;
    // Taken, with the input on a window that can take it: nothing owed.
    keys.DownSent(kShiftKey, 1);
    keys.UpSent(kShiftKey, 1, true);
    EXPECT_FALSE(keys.Owed(kShiftKey));
    EXPECT_FALSE(keys.ResendOwed(kShiftKey, true, true));
    // Refused by the system, or sent while a higher window had the input: owed.
    keys.UpSent(kShiftKey, 0, true);
    EXPECT_TRUE(keys.Owed(kShiftKey));
    keys.UpSent(kCtrlKey, 1, false);
    EXPECT_TRUE(keys.Owed(kCtrlKey));
    // Not sent again while the input still goes where it cannot arrive, or
    // to no window (the lock screen, the secure desktop); nor settled there
    // by the key reading up, which the system reports across that barrier
    // whatever it holds.
    EXPECT_FALSE(keys.ResendOwed(kCtrlKey, true, false));
    EXPECT_FALSE(keys.ResendOwed(kCtrlKey, false, false));
    EXPECT_TRUE(keys.Owed(kCtrlKey));
    EXPECT_FALSE(InputTakesPadKeys(nullptr));
    // Sent again on every poll once the input can arrive, as long as the key is down.
    EXPECT_TRUE(keys.ResendOwed(kCtrlKey, true, true));
    EXPECT_TRUE(keys.ResendOwed(kCtrlKey, true, true));
    // The key read up where the input can arrive ends the debt.
    EXPECT_FALSE(keys.ResendOwed(kCtrlKey, false, true));
    EXPECT_FALSE(keys.Owed(kCtrlKey));
    EXPECT_FALSE(keys.ResendOwed(kCtrlKey, true, true));
    // A new latch holds the key on purpose: the debt is gone with it.
    keys.DownSent(kShiftKey, 1);
    EXPECT_FALSE(keys.Owed(kShiftKey));
}

TEST(KeyAccount, AKeyDownThatLandsAfterItsButtonWentUpIsLetGo) {
    KeyLedger keys;
    // On its way: the key state says nothing yet, unless nobody watches.
    keys.DownSent(kShiftKey, 1);
    EXPECT_FALSE(keys.DownSettled(kShiftKey, true));
    EXPECT_TRUE(keys.DownSettled(kShiftKey, false));
    // Arriving under a down button: settled, nothing to send.
    EXPECT_FALSE(keys.DownArrived(kShiftKey, true));
    EXPECT_TRUE(keys.DownSettled(kShiftKey, true));
    // A second report of the same key-down changes nothing.
    EXPECT_FALSE(keys.DownArrived(kShiftKey, false));

    // The user raised the button (their own key-up) before the key-down landed.
    keys.DownSent(kCtrlKey, 1);
    keys.RaisedWithoutKey(kCtrlKey);
    EXPECT_TRUE(keys.DownArrived(kCtrlKey, false)) << "its key-up must follow";
    keys.UpSent(kCtrlKey, 1, true);
    EXPECT_FALSE(keys.DownArrived(kCtrlKey, false));

    // A key-up sent by the pad comes after the key-down in the input: nothing more to do.
    keys.DownSent(kCtrlKey, 1);
    keys.UpSent(kCtrlKey, 1, true);
    EXPECT_FALSE(keys.DownArrived(kCtrlKey, false));
    // A refused key-down never lands: the key state is the truth at once.
    keys.DownSent(kCtrlKey, 0);
    EXPECT_TRUE(keys.DownSettled(kCtrlKey, true));
    EXPECT_FALSE(keys.DownArrived(kCtrlKey, false));
    // One sent toward a window that cannot take it is never overdue: its
    // silence says nothing about the watch.
    keys.DownSent(kCtrlKey, 1, false);
    for (int i = 0; i < 30; ++i) EXPECT_FALSE(keys.DownOverdue(kCtrlKey)) << i;
}

TEST(LatchDecisions, WhichTargetsCannotReceiveTheKeys) {
    using platform::ProcessIntegrity;
    const ProcessIntegrity low{true, SECURITY_MANDATORY_LOW_RID}, medium{true, SECURITY_MANDATORY_MEDIUM_RID},
        mediumPlus{true, SECURITY_MANDATORY_MEDIUM_RID + 0x100}, high{true, SECURITY_MANDATORY_HIGH_RID},
        system{true, SECURITY_MANDATORY_SYSTEM_RID}, unknown{false, 0};
    // An ordinary pad: a window above medium refuses, whether it runs as
    // administrator or above medium in another way; at or below, none does.
    EXPECT_FALSE(TargetRefusesKeys(medium, medium));
    EXPECT_FALSE(TargetRefusesKeys(low, medium));
    EXPECT_TRUE(TargetRefusesKeys(mediumPlus, medium));
    EXPECT_TRUE(TargetRefusesKeys(high, medium));
    EXPECT_TRUE(TargetRefusesKeys(unknown, medium));
    // Its own level unknown: it counts as medium.
    EXPECT_TRUE(TargetRefusesKeys(high, unknown));
    EXPECT_FALSE(TargetRefusesKeys(medium, unknown));
    EXPECT_TRUE(TargetRefusesKeys(unknown, unknown));
    // A pad at low level reaches nothing above it.
    EXPECT_TRUE(TargetRefusesKeys(medium, low));
    // A pad run as administrator reaches high and every process it cannot
    // open, but not one above its own level.
    EXPECT_FALSE(TargetRefusesKeys(high, high));
    EXPECT_FALSE(TargetRefusesKeys(unknown, high));
    EXPECT_TRUE(TargetRefusesKeys(system, high));
}

// ------------------------------------------------------------ helpers

// Starts xdotool on the X display the test runs on. Wine starts a Unix
// program given by its Unix path, but hands back no process handle to wait
// on: callers wait for the effect instead.
bool Xdotool(const std::string& args) {
    std::string cmd = "/usr/bin/xdotool " + args;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    if (pi.hThread) CloseHandle(pi.hThread);
    if (pi.hProcess) CloseHandle(pi.hProcess);
    return true;
}

// A real key pressed or released through the X server, which Wine takes as
// hardware input; waits until `log` has seen it (as the key `vk`).
::testing::AssertionResult XKey(testkit::KeyHook& log, const char* action, const char* key, DWORD vk) {
    const size_t from = log.events.size();
    const std::string what = std::string(action) + " " + key;
    const bool up = std::string(action) == "keyup";
    if (!Xdotool(what)) return ::testing::AssertionFailure() << "could not start xdotool " << what;
    return testkit::WaitFor([&] { return log.Saw(vk, up, false, from); }, "the real " + what + " seen by the hook");
}

// Moves the X pointer (X sends keys to the window under it) and waits until it is there.
::testing::AssertionResult XPointer(POINT p) {
    const std::string to = std::to_string(p.x) + " " + std::to_string(p.y);
    if (!Xdotool("mousemove " + to)) return ::testing::AssertionFailure() << "could not start xdotool mousemove";
    return testkit::WaitFor(
        [&] {
            POINT c;
            GetCursorPos(&c);
            return c.x == p.x && c.y == p.y;
        },
        "the X pointer at " + to);
}

class LatchTruth : public ::testing::Test {
protected:
    static void SetUpTestSuite() { dialogkit::CreateDialogs(); }
    static void TearDownTestSuite() { dialogkit::DestroyDialogs(); }
    void SetUp() override { testkit::ReleaseModifiers(); }
    void TearDown() override {
        // Whatever a failed test left held on the X side.
        if (usedX) {
            Xdotool("keyup shift ctrl Shift_R");
            EXPECT_TRUE(testkit::WaitFor([] { return !testkit::KeyHeld(VK_SHIFT) && !testkit::KeyHeld(VK_CONTROL); },
                                         "the real Shift and Ctrl let go"));
        }
        keys.reset();
        delete pad;
        pad = nullptr;
        target.reset();
        testkit::ReleaseModifiers();
    }
    // A pad made as the program makes it, its timer off: each test polls by hand.
    void MakePad() { pad = padkit::NewPad(); }
    void DockOnExplorer() {
        MakePad();
        target = std::make_unique<Window>(kExplorer);
        ASSERT_TRUE(padkit::DockOn(pad, *target));
        keys = std::make_unique<testkit::KeyRecorder>();
    }
    void Poll() { padkit::Poll(pad); }
    // Polls as the pad's timer does until the pad is docked.
    ::testing::AssertionResult PollUntilDocked() {
        return testkit::WaitFor(
            [&] {
                Poll();
                return pad->PadShown;
            },
            "the pad docked", [] { return "the foreground " + testkit::Foreground(); });
    }
    // A left click on the button, after which the system holds its key. The
    // pointer is brought to rest on the button first (real keys from X go to
    // the window under it), and that move is taken in; the click itself is
    // handed to the button by its parent as the system hands a real one (its
    // press, release and click handlers run), with no pointer input: Wine
    // re-reads the modifiers from the X server on pointer reports, which can
    // drop the key just latched. Real clicks on the latches are tested
    // elsewhere; these tests are about what follows a latch.
    // `movePointer` false leaves the pointer where it is: Wine re-reads the
    // modifiers from the X server when it moves, which can drop a key already
    // latched (Wine 10 reports that as a key-up the watch takes for the
    // user's, and the latch goes up).
    void Latch(TSpeedButton* b, int vk, bool movePointer = true) {
        if (movePointer) {
            testkit::MoveMouse(Centre(b));
            testkit::XRoundTrip();
            testkit::Pump();
        }
        const LPARAM at = MAKELPARAM(b->Left() + b->Width() / 2, b->Top() + b->Height() / 2);
        SendMessageA(b->Parent()->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(b->Parent()->Handle(), WM_LBUTTONUP, 0, at);
        ASSERT_TRUE(b->Down());
        ASSERT_TRUE(testkit::WaitFor([vk] { return testkit::KeyHeld(vk); }, "the latched key held", [this] {
            std::ostringstream sent;
            if (keys)
                for (const Ev& e : keys->events) testkit::PrintTo(e, &sent);
            return "the keys sent " + sent.str();
        }));
    }

    // Session notifications are recorded (and refused when `refuseSessions`
    // is set before the pad is made) for every test.
    testkit::ScopedHook<std::function<BOOL(HWND, DWORD)>> registerHook{
        platform::hooks().registerSessionNotification, [this](HWND wnd, DWORD flags) {
            registered.push_back(wnd);
            registerFlags = flags;
            return refuseSessions ? FALSE : TRUE;
        }};
    testkit::ScopedHook<std::function<BOOL(HWND)>> unregisterHook{platform::hooks().unregisterSessionNotification,
                                                                  [this](HWND wnd) {
                                                                      unregistered.push_back(wnd);
                                                                      return TRUE;
                                                                  }};
    TVTform* pad = nullptr;
    std::unique_ptr<Window> target;
    std::unique_ptr<testkit::KeyRecorder> keys;
    std::vector<HWND> registered, unregistered;
    DWORD registerFlags = 0;
    bool refuseSessions = false;
    bool usedX = false;
    testkit::KeyHook log;
};

// ------------------------------------------------------------ the real keys

TEST_F(LatchTruth, TheUsersOwnKeyUpRaisesTheButtonAndSendsNothing) {
    if (!testkit::UnderWine()) GTEST_SKIP() << kNeedsX;
    DockOnExplorer();
    struct Case {
        TSpeedButton* button;
        int vk;
        const char* xkey;
        DWORD xvk;
        Ev down;
    };
    for (const Case& c : {Case{pad->ShiftBtn, VK_SHIFT, "shift", VK_LSHIFT, ShiftDown},
                          Case{pad->CtrlBtn, VK_CONTROL, "ctrl", VK_LCONTROL, CtrlDown}}) {
        SCOPED_TRACE(c.xkey);
        Latch(c.button, c.vk);
        ASSERT_EQ(c.button->Font().Color(), clRed);
        keys->events.clear();
        // The pointer rests on the pad, a window of this process: X sends the
        // keys there, and Wine passes them on as hardware input.
        usedX = true;
        ASSERT_TRUE(XKey(log, "keydown", c.xkey, c.xvk));
        ASSERT_TRUE(XKey(log, "keyup", c.xkey, c.xvk));
        // The button going up shows the program handled the key-up.
        EXPECT_TRUE(testkit::WaitFor([&] { return !c.button->Down(); }, "the button raised by the real key-up"));
        EXPECT_EQ(c.button->Font().Color(), clBlack);
        EXPECT_TRUE(keys->events.empty());
        EXPECT_FALSE(testkit::KeyHeld(c.vk));
        // The next click latches again instead of releasing a key that is up.
        testkit::ClickAt(Centre(c.button));
        EXPECT_EQ(keys->events, std::vector<Ev>{c.down});
        EXPECT_TRUE(c.button->Down());
        testkit::ClickAt(Centre(c.button));
    }
}

TEST_F(LatchTruth, TheOtherSidesReleaseLeavesALatchWhoseKeyIsStillHeld) {
    // The keyboard watch's own procedure, handed releases of the user's own keys.
    HOOKPROC watch = nullptr;
    auto hook = testkit::MakeScopedHook(platform::hooks().setKeyboardHook, [&](HOOKPROC proc) {
        watch = proc;
        return SetWindowsHookExA(WH_KEYBOARD_LL, proc, GetModuleHandleA(nullptr), 0);
    });
    DockOnExplorer();
    ASSERT_TRUE(watch);
    Latch(pad->ShiftBtn, VK_SHIFT);
    const DWORD held = testkit::KeyHeld(VK_LSHIFT) ? VK_LSHIFT : VK_RSHIFT;
    ASSERT_TRUE(testkit::KeyHeld(static_cast<int>(held)));
    keys->events.clear();
    auto release = [&](DWORD vk) {
        KBDLLHOOKSTRUCT key{vk, 0, LLKHF_UP, 0, 0};
        watch(HC_ACTION, WM_KEYUP, reinterpret_cast<LPARAM>(&key));
        testkit::Pump();
    };
    // The other Shift let go while the latched one is held: Shift is still down.
    release(held == VK_LSHIFT ? VK_RSHIFT : VK_LSHIFT);
    EXPECT_TRUE(pad->ShiftBtn->Down());
    // The held one let go: the latch ends.
    release(held);
    EXPECT_FALSE(pad->ShiftBtn->Down());
    EXPECT_TRUE(keys->events.empty()) << "the user's own release sends nothing";
}

TEST_F(LatchTruth, AHideLeavesACtrlTheUserHoldsAlone) {
    if (!testkit::UnderWine()) GTEST_SKIP() << kNeedsX;
    DockOnExplorer();
    // X sends keys to the window under the pointer: the target's middle.
    const RECT t = target->Rect();
    usedX = true;
    ASSERT_TRUE(XPointer(POINT{(t.left + t.right) / 2, (t.top + t.bottom) / 2}));
    // The hook sees the real key as hardware input.
    ASSERT_TRUE(XKey(log, "keydown", "ctrl", VK_LCONTROL));
    ASSERT_TRUE(testkit::WaitFor([] { return testkit::KeyHeld(VK_CONTROL); }, "the real Ctrl held"));
    const size_t from = log.events.size();
    Window other("無題 - メモ帳");
    ASSERT_TRUE(other.Activate());
    Poll();
    EXPECT_FALSE(pad->PadShown);
    ASSERT_TRUE(log.Flush());
    EXPECT_TRUE(keys->events.empty());
    EXPECT_FALSE(log.Saw(VK_CONTROL, true, true, from));
    EXPECT_TRUE(testkit::KeyHeld(VK_CONTROL));
    EXPECT_TRUE(XKey(log, "keyup", "ctrl", VK_LCONTROL));
    EXPECT_TRUE(testkit::WaitFor([] { return !testkit::KeyHeld(VK_CONTROL); }, "the real Ctrl let go"));
}

TEST_F(LatchTruth, AHideReleasesOnlyWhatThePadHolds) {
    DockOnExplorer();
    Latch(pad->CtrlBtn, VK_CONTROL);
    keys->events.clear();
    // The target's title changes so that it is no target any more: a hide
    // with no other window brought to the front. A window that takes the X
    // focus makes Wine re-read the modifiers from the X server: Wine 8 drops
    // the latched Ctrl silently (the button stays down and the hide sends its
    // key-up), Wine 10 reports the drop as a key-up of the user's, which
    // raises the button before the hide; either way no key stays held.
    SetWindowTextA(target->hwnd(), "無題 - メモ帳");
    Poll();
    EXPECT_FALSE(pad->PadShown);
    EXPECT_EQ(keys->events, std::vector<Ev>{CtrlUp});
    EXPECT_FALSE(pad->CtrlBtn->Down());
    EXPECT_EQ(pad->CtrlBtn->Font().Color(), clBlack);
    EXPECT_FALSE(testkit::KeyHeld(VK_CONTROL));
    // Hiding a pad that is not shown does nothing.
    keys->events.clear();
    pad->HideForm();
    EXPECT_TRUE(keys->events.empty());
}

TEST_F(LatchTruth, EveryEndStillReleasesBothKeys) {
    const std::vector<Ev> bothUp{ShiftUp, CtrlUp};
    // A reset and the end of the session, with nothing latched; a session
    // that does not end after all changes nothing.
    DockOnExplorer();
    pad->ResetBtn();
    EXPECT_EQ(keys->events, bothUp);
    keys->events.clear();
    SendMessageA(pad->Handle(), WM_ENDSESSION, FALSE, 0);
    EXPECT_TRUE(keys->events.empty());
    SendMessageA(pad->Handle(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_EQ(keys->events, bothUp);
    // Leaving the message loop.
    keys->events.clear();
    keybd_event(VK_CONTROL, 0, 0, 0);
    ASSERT_TRUE(testkit::WaitFor([] { return testkit::KeyHeld(VK_CONTROL); }, "Ctrl held"));
    ASSERT_TRUE(testkit::App().OnTerminate);
    testkit::App().OnTerminate();
    EXPECT_TRUE(testkit::WaitFor([] { return !testkit::KeyHeld(VK_CONTROL); }, "Ctrl let go when the loop ends"));
    // The pad's destruction, with nothing latched.
    keys->events.clear();
    delete pad;
    pad = nullptr;
    EXPECT_EQ(keys->events, bothUp);
}

TEST_F(LatchTruth, AKeyTheSystemLetGoOfSilentlyRaisesItsButton) {
    DockOnExplorer();
    Latch(pad->ShiftBtn, VK_SHIFT);
    keys->events.clear();
    // Shift is gone without a key event (Wine does this when it re-reads the
    // modifiers from the X server); the polls see it.
    const auto keyDown = testkit::MakeScopedHook(
        platform::hooks().keyDown, [](int vk) { return vk == VK_SHIFT ? false : testkit::KeyHeld(vk); });
    int polls = 0;
    EXPECT_TRUE(testkit::WaitFor(
        [&] {
            ++polls;
            Poll();
            return !pad->ShiftBtn->Down();
        },
        "SHIFT raised by the polls", [&] { return std::to_string(polls) + " polls"; }));
    EXPECT_GE(polls, 2) << "one poll right after a latch does not raise it";
    EXPECT_EQ(pad->ShiftBtn->Font().Color(), clBlack);
    EXPECT_TRUE(keys->events.empty());
    EXPECT_TRUE(pad->PadShown);
}

// ------------------------------------------------------------ the session

TEST_F(LatchTruth, LockOrDisconnectReleasesWhatThePadHolds) {
    DockOnExplorer();
    ASSERT_EQ(registered, std::vector<HWND>{pad->Handle()});
    EXPECT_EQ(registerFlags, static_cast<DWORD>(NOTIFY_FOR_THIS_SESSION));

    struct Case {
        const char* what;
        WPARAM event;
    };
    for (const Case& c : {Case{"lock", WTS_SESSION_LOCK}, Case{"console disconnect", WTS_CONSOLE_DISCONNECT},
                          Case{"remote disconnect", WTS_REMOTE_DISCONNECT}}) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(target->Activate());
        Latch(pad->ShiftBtn, VK_SHIFT);
        // The pointer stays on SHIFT: moving it would let Wine drop Shift.
        Latch(pad->CtrlBtn, VK_CONTROL, false);
        keys->events.clear();
        SendMessageA(pad->Handle(), WM_WTSSESSION_CHANGE, c.event, 1);
        EXPECT_EQ(keys->events, (std::vector<Ev>{ShiftUp, CtrlUp}));
        EXPECT_FALSE(pad->ShiftBtn->Down());
        EXPECT_FALSE(pad->CtrlBtn->Down());
        EXPECT_EQ(pad->ShiftBtn->Font().Color(), clBlack);
        EXPECT_EQ(pad->CtrlBtn->Font().Color(), clBlack);
        EXPECT_TRUE(testkit::WaitFor([] { return !testkit::KeyHeld(VK_SHIFT) && !testkit::KeyHeld(VK_CONTROL); },
                                     "Shift and Ctrl let go"));
    }

    // Unlocking changes nothing; a lock with nothing latched sends nothing
    // (each message is handled before SendMessageA returns).
    ASSERT_TRUE(target->Activate());
    Latch(pad->CtrlBtn, VK_CONTROL);
    keys->events.clear();
    SendMessageA(pad->Handle(), WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, 1);
    EXPECT_TRUE(keys->events.empty());
    EXPECT_TRUE(pad->CtrlBtn->Down());
    testkit::ClickAt(Centre(pad->CtrlBtn));
    keys->events.clear();
    SendMessageA(pad->Handle(), WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 1);
    EXPECT_TRUE(keys->events.empty());

    HWND wnd = pad->Handle();
    delete pad;
    pad = nullptr;
    EXPECT_EQ(unregistered, std::vector<HWND>{wnd});
}

TEST_F(LatchTruth, WithoutTheKeyboardWatchOrSessionNotificationsThePadWorksAsBefore) {
    refuseSessions = true;
    int unhooks = 0;
    const auto setHook =
        testkit::MakeScopedHook(platform::hooks().setKeyboardHook, [](HOOKPROC) -> HHOOK { return nullptr; });
    const auto unhook = testkit::MakeScopedHook(platform::hooks().unhookKeyboard, [&](HHOOK) {
        ++unhooks;
        return TRUE;
    });
    DockOnExplorer();
    EXPECT_EQ(registered.size(), 1u);
    Latch(pad->ShiftBtn, VK_SHIFT);
    testkit::ClickAt(Centre(pad->ShiftBtn));
    EXPECT_EQ(keys->events, (std::vector<Ev>{ShiftDown, ShiftUp}));
    delete pad;
    pad = nullptr;
    EXPECT_EQ(unhooks, 0);
    EXPECT_TRUE(unregistered.empty());
}

// ------------------------------------------------------------ elevated targets

using padkit::OtherProcessTarget;

TEST_F(LatchTruth, AnElevatedTargetGetsUnavailableButtonsAndAHint) {
    OtherProcessTarget admin("C:\\ - ｴｸｽﾌﾟﾛｰﾗ (admin)");
    ASSERT_NE(admin.wnd, nullptr);
    std::vector<DWORD> asked;
    const DWORD adminPid = admin.pid();
    const auto elevation = testkit::MakeScopedHook(platform::hooks().processIntegrity, [&](DWORD pid) {
        asked.push_back(pid);
        return platform::ProcessIntegrity{
            true, static_cast<DWORD>(pid == adminPid ? SECURITY_MANDATORY_HIGH_RID : SECURITY_MANDATORY_MEDIUM_RID)};
    });
    DockOnExplorer();
    // A latch held on the ordinary target.
    Latch(pad->ShiftBtn, VK_SHIFT);
    keys->events.clear();

    // Straight on to the elevated target: the pad docks, lets go of Shift and
    // shows its latches unavailable.
    ASSERT_TRUE(admin.Activate());
    ASSERT_TRUE(testkit::WaitFor(
        [&] {
            Poll();
            return pad->PadShown && pad->TargetWnd == admin.wnd;
        },
        "the pad docked on the elevated window", [] { return "the foreground " + testkit::Foreground(); }));
    EXPECT_NE(std::find(asked.begin(), asked.end(), adminPid), asked.end());
    EXPECT_EQ(keys->events, std::vector<Ev>{ShiftUp});
    EXPECT_TRUE(testkit::WaitFor([] { return !testkit::KeyHeld(VK_SHIFT); }, "Shift let go"));
    EXPECT_FALSE(pad->ShiftBtn->Down());
    EXPECT_FALSE(pad->ShiftBtn->Enabled());
    EXPECT_FALSE(pad->CtrlBtn->Enabled());
    // The hint, in Japanese: the window runs with administrator rights and
    // cannot receive the keys.
    const std::string hint = pad->VTpanel->Hint();
    EXPECT_TRUE(pad->VTpanel->ShowHint());
    EXPECT_NE(hint.find("管理者"), std::string::npos) << hint;
    EXPECT_NE(hint.find("受け取れません"), std::string::npos) << hint;

    // Clicks on the latches do nothing: no key, no latch, no settings dialog
    // (which a click on the strip itself opens), no message box. Each click is
    // handled before ClickAt returns, a modal dialog or box it opened included;
    // a dialog opened is closed again by the watch below, which is ended once
    // the clicks are over.
    keys->events.clear();
    testkit::MessageBoxRecorder boxes;
    struct Watch {
        bool opened = false, over = false;
    };
    const auto watch = std::make_shared<Watch>();
    dialogkit::WhenReady([watch] { return watch->over || EditForm->Visible(); },
                         [watch] {
                             if (watch->over) return;
                             watch->opened = true;
                             EditForm->SetModalResult(mrCancel);
                         },
                         "the end of the watch for a settings dialog");
    for (TSpeedButton* b : {pad->ShiftBtn, pad->CtrlBtn}) {
        testkit::ClickAt(Centre(b));
        EXPECT_FALSE(b->Down());
    }
    Poll();
    watch->over = true;
    EXPECT_FALSE(watch->opened);
    EXPECT_TRUE(keys->events.empty());
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_TRUE(pad->PadShown);
    EXPECT_EQ(GetForegroundWindow(), admin.wnd);

    // The next ordinary target gets working latches and no hint.
    ASSERT_TRUE(target->Activate());
    Poll();
    EXPECT_TRUE(pad->ShiftBtn->Enabled());
    EXPECT_TRUE(pad->CtrlBtn->Enabled());
    EXPECT_FALSE(pad->VTpanel->ShowHint());
    EXPECT_TRUE(pad->VTpanel->Hint().empty());
    keys->events.clear();
    Latch(pad->CtrlBtn, VK_CONTROL);
    EXPECT_EQ(keys->events, std::vector<Ev>{CtrlDown});
}

TEST_F(LatchTruth, ATargetThatCannotBeOpenedCountsAsElevatedOnlyForAPlainPad) {
    OtherProcessTarget closed("C:\\ - ｴｸｽﾌﾟﾛｰﾗ (closed)");
    ASSERT_NE(closed.wnd, nullptr);
    const DWORD closedPid = closed.pid();
    bool padElevated = false;
    const auto elevation = testkit::MakeScopedHook(platform::hooks().processIntegrity, [&](DWORD pid) {
        if (pid == closedPid) return platform::ProcessIntegrity{false, 0};
        return platform::ProcessIntegrity{
            true, static_cast<DWORD>(padElevated ? SECURITY_MANDATORY_HIGH_RID : SECURITY_MANDATORY_MEDIUM_RID)};
    });
    MakePad();
    ASSERT_TRUE(closed.Activate());
    ASSERT_TRUE(PollUntilDocked());
    EXPECT_FALSE(pad->ShiftBtn->Enabled());

    // An elevated pad docking on it afresh keeps its latches.
    delete pad;
    pad = nullptr;
    padElevated = true;
    MakePad();
    ASSERT_TRUE(closed.Activate());
    ASSERT_TRUE(PollUntilDocked());
    EXPECT_TRUE(pad->ShiftBtn->Enabled());
    EXPECT_TRUE(pad->VTpanel->Hint().empty());
}

TEST_F(LatchTruth, UnderThisSystemNoTargetIsElevated) {
    // The real question, unanswered by the seam: Wine runs nothing elevated
    // apart from the rest, so every window here receives the keys.
    OtherProcessTarget other("C:\\ - ｴｸｽﾌﾟﾛｰﾗ (other)");
    ASSERT_NE(other.wnd, nullptr);
    const platform::ProcessIntegrity self = platform::QueryProcessIntegrity(GetCurrentProcessId());
    const platform::ProcessIntegrity them = platform::QueryProcessIntegrity(other.pid());
    printf("TokenIntegrityLevel here: self opened=%d level=%#lx, other opened=%d level=%#lx\n", self.opened,
           self.level, them.opened, them.level);
    EXPECT_TRUE(them.opened);
    EXPECT_FALSE(WindowRefusesKeys(other.wnd));
}

// ------------------------------------------------------------ keys on their way

// The system as the seam shows it to the pad: it takes or refuses each key
// event, drops a key-up while a window of a higher level has the input, and
// reports Shift and Ctrl as those events left them. Nothing reaches the real
// keyboard, so Wine's own re-reads of it cannot interfere.
class SimulatedKeys {
public:
    explicit SimulatedKeys(HWND higher = nullptr)
        : FHigher(higher),
          FSend(platform::hooks().sendKey,
                [this](WORD vk, DWORD flags) -> UINT {
                    const bool up = (flags & KEYEVENTF_KEYUP) != 0;
                    sent.push_back(Ev{static_cast<BYTE>(vk), flags});
                    if (!up && holdBackDowns) return 1; // taken, still on its way
                    if (refuse) return 0;
                    if (!(up && FHigher && GetForegroundWindow() == FHigher)) held[vk == VK_SHIFT ? 0 : 1] = !up;
                    return 1;
                }),
          FKeyDown(platform::hooks().keyDown, [this](int vk) {
              return vk == VK_SHIFT ? held[0] : vk == VK_CONTROL ? held[1] : testkit::KeyHeld(vk);
          }) {}
    std::vector<Ev> sent;
    bool held[2] = {false, false};
    bool refuse = false;
    bool holdBackDowns = false;

private:
    HWND FHigher;
    testkit::ScopedHook<std::function<UINT(WORD, DWORD)>> FSend;
    testkit::ScopedHook<std::function<bool(int)>> FKeyDown;
};

// A click on a latch as its button reports it (the button's own click handler).
void ClickLatch(TVTform* pad, TSpeedButton* b) {
    b->SetDown(!b->Down());
    pad->ShiftBtnClick(b);
}

TEST_F(LatchTruth, AKeyUpThatMayNotHaveArrivedIsSentAgainUntilTheKeyIsUp) {
    OtherProcessTarget admin("C:\\ - ｴｸｽﾌﾟﾛｰﾗ (admin)");
    ASSERT_NE(admin.wnd, nullptr);
    const DWORD adminPid = admin.pid();
    const auto integrity = testkit::MakeScopedHook(platform::hooks().processIntegrity, [&](DWORD pid) {
        return platform::ProcessIntegrity{
            true, static_cast<DWORD>(pid == adminPid ? SECURITY_MANDATORY_HIGH_RID : SECURITY_MANDATORY_MEDIUM_RID)};
    });
    DockOnExplorer();
    keys.reset();
    SimulatedKeys sys(admin.wnd);
    const auto polls = [&](int n) {
        for (int i = 0; i < n; ++i) Poll();
    };

    // A refused key-up is sent again on each poll while Shift is still down,
    // and no more once it is up.
    ClickLatch(pad, pad->ShiftBtn);
    sys.refuse = true;
    ClickLatch(pad, pad->ShiftBtn);
    EXPECT_TRUE(sys.held[0]);
    sys.sent.clear();
    polls(2);
    EXPECT_EQ(sys.sent, (std::vector<Ev>{ShiftUp, ShiftUp}));
    sys.refuse = false;
    polls(3);
    EXPECT_EQ(sys.sent, (std::vector<Ev>{ShiftUp, ShiftUp, ShiftUp}));
    EXPECT_FALSE(sys.held[0]);
    EXPECT_FALSE(pad->Keys().Owed(kShiftKey));

    // Ctrl let go while a window of a higher level has the input (the pad
    // docks on it and shows its latches unavailable): the key-up is lost
    // there, and is not sent again until the input goes to a window that can
    // take it; then once, since it arrives.
    ClickLatch(pad, pad->CtrlBtn);
    ASSERT_TRUE(sys.held[1]);
    sys.sent.clear();
    ASSERT_TRUE(admin.Activate());
    ASSERT_TRUE(testkit::WaitFor(
        [&] {
            Poll();
            return pad->PadShown && pad->TargetWnd == admin.wnd;
        },
        "the pad docked on the window of a higher level"));
    EXPECT_FALSE(pad->CtrlBtn->Down());
    polls(3);
    EXPECT_EQ(sys.sent, std::vector<Ev>{CtrlUp});
    EXPECT_TRUE(sys.held[1]);
    EXPECT_TRUE(pad->Keys().Owed(kCtrlKey));
    ASSERT_TRUE(target->Activate());
    polls(3);
    EXPECT_EQ(sys.sent, (std::vector<Ev>{CtrlUp, CtrlUp}));
    EXPECT_FALSE(sys.held[1]);
    EXPECT_FALSE(pad->Keys().Owed(kCtrlKey));
}

TEST_F(LatchTruth, AKeyDownOnItsWayIsNeverLeftUnderARaisedButton) {
    DockOnExplorer();
    keys.reset();
    SimulatedKeys sys;
    sys.holdBackDowns = true;

    // SHIFT latched, its key-down held up on its way: however many polls see
    // Shift up, the button stays down.
    ClickLatch(pad, pad->ShiftBtn);
    for (int i = 0; i < 5; ++i) Poll();
    EXPECT_TRUE(pad->ShiftBtn->Down());
    // The key-down lands (sent here as the pad sends it). From then on the
    // polls judge by the key state: Shift is not held, so SHIFT goes up.
    platform::SendKeyToSystem(VK_SHIFT, 0);
    EXPECT_TRUE(testkit::WaitFor([&] { return pad->Keys().DownSettled(kShiftKey, true); },
                                 "the pad's key-down seen by its keyboard watch"));
    int polls = 0;
    EXPECT_TRUE(testkit::WaitFor(
        [&] {
            ++polls;
            Poll();
            return !pad->ShiftBtn->Down();
        },
        "SHIFT raised by the polls"));
    EXPECT_LE(polls, 3);

    // CTRL latched, and the user's own key-up raises it before its key-down
    // lands: when it lands, the pad lets go of Ctrl at once.
    sys.sent.clear();
    ClickLatch(pad, pad->CtrlBtn);
    SendMessageA(pad->Handle(), WM_KEYWATCH, kLatchEndedByUser, static_cast<LPARAM>(Latch::Ctrl));
    ASSERT_FALSE(pad->CtrlBtn->Down());
    EXPECT_EQ(sys.sent, std::vector<Ev>{CtrlDown});
    platform::SendKeyToSystem(VK_CONTROL, 0);
    EXPECT_TRUE(testkit::WaitFor([&] { return sys.sent.size() == 2; }, "the pad's answer to the late key-down"));
    EXPECT_EQ(sys.sent, (std::vector<Ev>{CtrlDown, CtrlUp}));
}

// A start lets go only of keys that a pad of its settings file left held
// (killed, so that it could not): not of a key the user holds while starting.
TEST_F(LatchTruth, AtStartOnlyKeysAPadLeftHeldAreLetGoOf) {
    {
        SimulatedKeys sys;
        sys.held[0] = true;
        MakePad();
        EXPECT_TRUE(sys.sent.empty()) << "a Shift the pad did not press is left alone";
        delete pad;
        pad = nullptr;
    }
    DockOnExplorer();
    keys.reset();
    SimulatedKeys sys;
    ClickLatch(pad, pad->ShiftBtn);
    ASSERT_TRUE(sys.held[0]);
    {
        // Killed: none of its handlers gets to remove its mark (the seam keeps
        // it), and its key stays held.
        const auto killed = testkit::MakeScopedHook(platform::hooks().deleteRegistryValue,
                                                    [](HKEY, const wchar_t*, const wchar_t*) { return false; });
        delete pad;
        pad = nullptr;
    }
    sys.held[0] = true;
    sys.sent.clear();
    MakePad();
    EXPECT_EQ(sys.sent, std::vector<Ev>{ShiftUp});
    EXPECT_FALSE(sys.held[0]);
    // The mark is gone with it: the start after that leaves keys alone again.
    delete pad;
    sys.held[0] = true;
    sys.sent.clear();
    MakePad();
    EXPECT_TRUE(sys.sent.empty());
}

// The system removes a low-level hook that overran its time-out without a
// word. Here the seam hands out hooks that never report anything: the pad
// must notice after about a second of polls, not wait for ever.
TEST_F(LatchTruth, AWatchTheSystemRemovedIsStartedAgainAfterTenPolls) {
    std::atomic<int> installs{0}, removals{0};
    const auto setHook = testkit::MakeScopedHook(platform::hooks().setKeyboardHook, [&](HOOKPROC) {
        return reinterpret_cast<HHOOK>(static_cast<INT_PTR>(++installs));
    });
    const auto unhook = testkit::MakeScopedHook(platform::hooks().unhookKeyboard, [&](HHOOK) {
        ++removals;
        return TRUE;
    });
    DockOnExplorer();
    ASSERT_EQ(installs, 1);
    ASSERT_TRUE(pad->KeyWatchActive());
    keys.reset();
    SimulatedKeys sys;

    // SHIFT latched, its key-down taken and never reported: nine polls wait.
    ClickLatch(pad, pad->ShiftBtn);
    for (int i = 0; i < 9; ++i) Poll();
    EXPECT_EQ(installs, 1);
    EXPECT_FALSE(pad->Keys().DownSettled(kShiftKey, true));
    // The tenth starts the watch again and counts the key-down as arrived;
    // the latch stays, its key held.
    Poll();
    EXPECT_EQ(installs, 2);
    EXPECT_EQ(removals, 1);
    EXPECT_TRUE(pad->KeyWatchActive());
    EXPECT_TRUE(pad->Keys().DownSettled(kShiftKey, true));
    EXPECT_TRUE(pad->ShiftBtn->Down());
    for (int i = 0; i < 20; ++i) Poll();
    EXPECT_EQ(installs, 2) << "an arrived key-down is not waited for again";

    // CTRL latched, and raised by the user's own key-up before anything was
    // reported: when the watch starts again, Ctrl is let go of.
    sys.sent.clear();
    ClickLatch(pad, pad->CtrlBtn);
    SendMessageA(pad->Handle(), WM_KEYWATCH, kLatchEndedByUser, static_cast<LPARAM>(Latch::Ctrl));
    ASSERT_FALSE(pad->CtrlBtn->Down());
    for (int i = 0; i < 10; ++i) Poll();
    EXPECT_EQ(installs, 3);
    EXPECT_EQ(sys.sent, (std::vector<Ev>{CtrlDown, CtrlUp}));
    EXPECT_FALSE(sys.held[1]);
    delete pad;
    pad = nullptr;
}

// ------------------------------------------------------------ session notifications

// Early at logon the system may refuse session notifications (its service is
// not ready yet). The poll asks again until they are accepted, then stops.
TEST_F(LatchTruth, RefusedSessionNotificationsAreAskedForAgainUntilAccepted) {
    refuseSessions = true;
    DockOnExplorer();
    ASSERT_FALSE(registered.empty());
    EXPECT_EQ(registered.front(), pad->Handle());
    // Still refused: asked for again, more than once.
    ASSERT_TRUE(testkit::WaitFor(
        [&] {
            Poll();
            return registered.size() >= 3;
        },
        "session notifications asked for again by the polls"));
    for (HWND wnd : registered) EXPECT_EQ(wnd, pad->Handle());
    EXPECT_EQ(registerFlags, static_cast<DWORD>(NOTIFY_FOR_THIS_SESSION));

    // Accepted at last.
    refuseSessions = false;
    const size_t refused = registered.size();
    ASSERT_TRUE(testkit::WaitFor(
        [&] {
            Poll();
            return registered.size() > refused;
        },
        "session notifications asked for once the system takes them"));
    // Then no more: thirty polls, three seconds of the pad's timer, give a
    // retry still planned its chance.
    const size_t accepted = registered.size();
    for (int i = 0; i < 30; ++i) Poll();
    EXPECT_EQ(registered.size(), accepted);
    // The accepted registration is given back at the end.
    HWND wnd = pad->Handle();
    delete pad;
    pad = nullptr;
    EXPECT_EQ(unregistered, std::vector<HWND>{wnd});
}

} // namespace

