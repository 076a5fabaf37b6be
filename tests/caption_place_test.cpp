// Where the pad docks on captions that report their own buttons (Windows 10
// and 11 draw them; Wine does not), on a visible frame reported by the desktop
// window manager, and on a plain caption.
#include <gtest/gtest.h>

#include <dwmapi.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "framework/Platform.h"
#include "pad/CaptionPlace.h"
#include "pad/VTform.h"
#include "tests/support/padkit.h"
#include "tests/support/testkit.h"

using namespace vcl;

namespace {

// ------------------------------------------------------------ the decisions

RECT Rect(int l, int t, int r, int b) { return RECT{l, t, r, b}; }

CaptionMetrics Metrics(int frame, int button) {
    CaptionMetrics m;
    m.frameWidth = frame;
    m.frameHeight = frame;
    m.buttonWidth = button;
    return m;
}

// A Windows 10 caption at 100 %: window rectangle (100,100)-(700,500), with
// 7 px invisible resize borders at the sides; three buttons 46 × 30 from the
// top + 1, the close button ending 7 px from the right edge.
CaptionReport Windows10Buttons() {
    CaptionReport r;
    r.buttonsReported = true;
    r.buttons[cbClose] = Rect(647, 101, 693, 131);
    r.buttons[cbMaximize] = Rect(601, 101, 647, 131);
    r.buttons[cbMinimize] = Rect(555, 101, 601, 131);
    r.buttonStates[cbHelp] = STATE_SYSTEM_INVISIBLE;
    return r;
}

void ExpectJustLeftOf(const PadPlace& p, int padWidth, int padHeight, int buttonLeft, int rowTop, int rowBottom) {
    EXPECT_EQ(p.source, CaptionPlaceSource::Buttons);
    // 2 px of room before the leftmost button.
    EXPECT_EQ(p.left + padWidth, buttonLeft - 2);
    EXPECT_GE(p.top, rowTop);
    EXPECT_LE(p.top + padHeight, rowBottom);
    EXPECT_LE(std::abs((p.top - rowTop) - (rowBottom - (p.top + padHeight))), 1) << "not centred on the row";
}

TEST(CaptionPlaceRule, SitsLeftOfTheReportedButtonsCentredOnTheirRow) {
    const RECT window = Rect(100, 100, 700, 500);
    const PadPlace p = PlacePadOnCaption(window, Windows10Buttons(), Metrics(4, 36), 132, 18);
    ExpectJustLeftOf(p, 132, 18, 555, 101, 131);

    // Greyed buttons still take their room; hidden and off-screen ones do not,
    // wherever they are said to be.
    CaptionReport r = Windows10Buttons();
    r.buttonStates[cbMinimize] = STATE_SYSTEM_UNAVAILABLE;
    ExpectJustLeftOf(PlacePadOnCaption(window, r, Metrics(4, 36), 132, 18), 132, 18, 555, 101, 131);
    r.buttonStates[cbMinimize] = STATE_SYSTEM_INVISIBLE;
    ExpectJustLeftOf(PlacePadOnCaption(window, r, Metrics(4, 36), 132, 18), 132, 18, 601, 101, 131);
    r.buttonStates[cbMaximize] = STATE_SYSTEM_OFFSCREEN;
    ExpectJustLeftOf(PlacePadOnCaption(window, r, Metrics(4, 36), 132, 18), 132, 18, 647, 101, 131);
    // A help button left of the others counts like any other.
    r = Windows10Buttons();
    r.buttons[cbHelp] = Rect(509, 101, 555, 131);
    r.buttonStates[cbHelp] = 0;
    ExpectJustLeftOf(PlacePadOnCaption(window, r, Metrics(4, 36), 132, 18), 132, 18, 509, 101, 131);
}

TEST(CaptionPlaceRule, APadTallerThanTheRowStartsAtItsTop) {
    const PadPlace p = PlacePadOnCaption(Rect(100, 100, 700, 500), Windows10Buttons(), Metrics(4, 36), 132, 40);
    EXPECT_EQ(p.top, 101);
    EXPECT_LE(p.left + 132, 555);
}

TEST(CaptionPlaceRule, WithoutUsableButtonsTheFormulaTakesTheVisibleFrameOrTheWindow) {
    const RECT window = Rect(100, 100, 700, 500);
    // Nothing answered, or answered with nothing filled in (Wine).
    CaptionReport none;
    PadPlace p = PlacePadOnCaption(window, none, Metrics(4, 18), 132, 18);
    EXPECT_EQ(p.source, CaptionPlaceSource::WindowRect);
    EXPECT_EQ(p.left, 700 - 132 - 4 - 3 * 18);
    EXPECT_EQ(p.top, 100 + 4);
    none.buttonsReported = true;
    p = PlacePadOnCaption(window, none, Metrics(4, 18), 132, 18);
    EXPECT_EQ(p.source, CaptionPlaceSource::WindowRect);
    EXPECT_EQ(p.left, 700 - 132 - 4 - 3 * 18);

    // Buttons said to lie outside the window are not believed.
    CaptionReport outside = Windows10Buttons();
    for (RECT& b : outside.buttons) OffsetRect(&b, 400, 0);
    EXPECT_EQ(PlacePadOnCaption(window, outside, Metrics(4, 18), 132, 18).source, CaptionPlaceSource::WindowRect);

    // The visible frame, 7 px inside at the sides and the bottom, stands in
    // for the window rectangle.
    CaptionReport dwm;
    dwm.frameReported = true;
    dwm.frame = Rect(107, 100, 693, 493);
    p = PlacePadOnCaption(window, dwm, Metrics(8, 36), 132, 18);
    EXPECT_EQ(p.source, CaptionPlaceSource::ExtendedFrame);
    EXPECT_EQ(p.left, 693 - 132 - 8 - 3 * 36);
    EXPECT_EQ(p.top, 100 + 8);
    // Reported buttons come first.
    CaptionReport both = Windows10Buttons();
    both.frameReported = true;
    both.frame = dwm.frame;
    EXPECT_EQ(PlacePadOnCaption(window, both, Metrics(8, 36), 132, 18).source, CaptionPlaceSource::Buttons);
    // A frame that is empty or not inside the window is ignored.
    dwm.frame = Rect(0, 0, 0, 0);
    EXPECT_EQ(PlacePadOnCaption(window, dwm, Metrics(8, 36), 132, 18).source, CaptionPlaceSource::WindowRect);
    dwm.frame = Rect(107, 90, 693, 493);
    EXPECT_EQ(PlacePadOnCaption(window, dwm, Metrics(8, 36), 132, 18).source, CaptionPlaceSource::WindowRect);
}

TEST(CaptionPlaceRule, WithoutReportedButtonsTheHitTestsButtonsPlaceThePad) {
    const RECT window = Rect(100, 100, 700, 500);
    CaptionReport hit;
    hit.hitButtonsFound = true;
    hit.hitButtonsLeft = 635;
    PadPlace p = PlacePadOnCaption(window, hit, Metrics(4, 18), 132, 18);
    EXPECT_EQ(p.source, CaptionPlaceSource::HitTest);
    EXPECT_EQ(p.left + 132, 635 - 2);
    EXPECT_EQ(p.top, 100 + 4);
    // Before the visible frame; after the reported buttons.
    hit.frameReported = true;
    hit.frame = Rect(107, 100, 693, 493);
    EXPECT_EQ(PlacePadOnCaption(window, hit, Metrics(4, 18), 132, 18).source, CaptionPlaceSource::HitTest);
    CaptionReport both = Windows10Buttons();
    both.hitButtonsFound = true;
    both.hitButtonsLeft = 635;
    EXPECT_EQ(PlacePadOnCaption(window, both, Metrics(4, 18), 132, 18).source, CaptionPlaceSource::Buttons);
    // Outside the window, or from a window in another resolution's space: not believed.
    hit.hitButtonsLeft = 700;
    EXPECT_EQ(PlacePadOnCaption(window, hit, Metrics(4, 18), 132, 18).source, CaptionPlaceSource::ExtendedFrame);
    hit.hitButtonsLeft = 635;
    hit.windowDpi = 144;
    EXPECT_EQ(PlacePadOnCaption(window, hit, Metrics(4, 18), 132, 18).source, CaptionPlaceSource::ExtendedFrame);
}

// A caption row as a window's hit-test answers it, from the right edge
// leftwards: runs of `width` pixels answering `code`; HTCAPTION further left.
struct HitRun {
    int width;
    LRESULT code;
};
struct HitRow {
    const char* what;
    std::vector<HitRun> runs;
    int step;
    int want;           // the leftmost button pixel, or -1
    int failAtQuestion; // 0: every question answered
};

TEST(CaptionHitTest, TheButtonsLeftEdgeFromTheWindowsOwnAnswers) {
    // The window spans x 100 to 700 (exclusive).
    const HitRow rows[] = {
        {"Wine 8: 4 px border, close 19, maximize and minimize 18",
         {{4, HTRIGHT}, {19, HTCLOSE}, {18, HTMAXBUTTON}, {18, HTMINBUTTON}}, 9, 700 - 59, 0},
        {"wider buttons than the metrics say", {{4, HTRIGHT}, {21, HTCLOSE}, {21, HTMAXBUTTON}, {21, HTMINBUTTON}}, 9,
         700 - 67, 0},
        {"Windows 10: no border answer, 46 px buttons", {{46, HTCLOSE}, {46, HTMAXBUTTON}, {46, HTMINBUTTON}}, 18,
         700 - 138, 0},
        {"a help button", {{4, HTRIGHT}, {19, HTCLOSE}, {18, HTHELP}}, 9, 700 - 41, 0},
        {"a dialog's lone close button", {{3, HTBORDER}, {19, HTCLOSE}}, 9, 700 - 22, 0},
        {"no buttons", {{4, HTRIGHT}}, 9, -1, 0},
        {"a caption drawn in the client area", {{600, HTCLIENT}}, 9, -1, 0},
        {"buttons without end", {{600, HTMINBUTTON}}, 9, -1, 0},
        {"the third question not answered", {{4, HTRIGHT}, {19, HTCLOSE}, {18, HTMAXBUTTON}}, 9, -1, 3},
    };
    for (const HitRow& r : rows) {
        SCOPED_TRACE(r.what);
        int questions = 0;
        const auto hit = [&](int x, LRESULT& code) {
            if (++questions == r.failAtQuestion) return false;
            EXPECT_GE(x, 100);
            EXPECT_LT(x, 700);
            code = HTCAPTION;
            int right = 700;
            for (const HitRun& run : r.runs) {
                if (x >= right - run.width) {
                    code = run.code;
                    break;
                }
                right -= run.width;
            }
            return true;
        };
        bool failed = false;
        EXPECT_EQ(FindCaptionButtonsLeft(100, 700, r.step, hit, failed), r.want);
        EXPECT_EQ(failed, r.failAtQuestion != 0);
        // A handful of questions, not one per pixel.
        EXPECT_LE(questions, 20);
    }
}

// Which reports count, for a system at `system` pixels per inch, the target's
// monitor at `monitor` and the target window at `window` (0: unknown).
struct SpaceCase {
    const char* what;
    UINT system, monitor, window;
    bool buttons;
    FrameUse frame;
};

TEST(CaptionPlaceRule, OnlyReportsInThePadsOwnCoordinatesAreUsed) {
    const SpaceCase cases[] = {
        {"one resolution everywhere, 100 %", 96, 96, 96, true, FrameUse::AsReported},
        {"one resolution everywhere, 150 %", 144, 144, 144, true, FrameUse::AsReported},
        {"150 % laptop, per-monitor aware window on a 100 % monitor", 144, 96, 96, false, FrameUse::Converted},
        {"150 % laptop, system-aware window on a 100 % monitor", 144, 96, 144, false, FrameUse::Converted},
        {"100 % system, per-monitor aware window on a 150 % monitor", 96, 144, 144, false, FrameUse::Converted},
        {"150 % system, window unaware of resolutions (stretched)", 144, 144, 96, false, FrameUse::AsReported},
        {"the window's resolution unknown, all at 96", 96, 96, 0, true, FrameUse::AsReported},
        {"the window's resolution unknown, 150 %", 144, 144, 0, false, FrameUse::AsReported},
        {"the monitor's resolution unknown", 144, 0, 144, false, FrameUse::Unused},
        {"the monitor's resolution unknown, 100 %", 96, 0, 96, false, FrameUse::Unused},
    };
    for (const SpaceCase& c : cases) {
        SCOPED_TRACE(c.what);
        const CaptionSpaces spaces = CaptionReportSpaces(c.system, c.monitor, c.window);
        EXPECT_EQ(spaces.buttons, c.buttons);
        EXPECT_EQ(spaces.frame, c.frame);
    }
}

TEST(CaptionPlaceRule, ReportsFromAnotherResolutionAreConvertedOrLeftAside) {
    // A 150 % laptop (144) and a 100 % monitor (96): a window there is
    // (3000,150)-(3900,750) to the pad and (2000,100)-(2600,500) in the
    // monitor's pixels; its visible frame lies 8 monitor pixels inside at the
    // sides and the bottom, 12 of the pad's.
    const RECT window = Rect(3000, 150, 3900, 750);
    CaptionReport r;
    r.systemDpi = 144;
    r.monitorDpi = 96;
    r.windowDpi = 96;
    r.physicalWindowReported = true;
    r.physicalWindow = Rect(2000, 100, 2600, 500);
    r.frameReported = true;
    r.frame = Rect(2008, 100, 2592, 492);
    // Buttons in the window's own pixels, even where they happen to fall
    // inside the window's rectangle as the pad sees it, are left aside.
    r.buttonsReported = true;
    r.buttons[cbClose] = Rect(3500, 151, 3546, 181);
    r.buttons[cbMaximize] = Rect(3454, 151, 3500, 181);
    r.buttons[cbMinimize] = Rect(3408, 151, 3454, 181);
    PadPlace p = PlacePadOnCaption(window, r, Metrics(8, 54), 198, 27);
    EXPECT_EQ(p.source, CaptionPlaceSource::ExtendedFrame);
    EXPECT_EQ(p.left, 3888 - 198 - 8 - 3 * 54);
    EXPECT_EQ(p.top, 150 + 8);

    // Without the window's rectangle in the monitor's pixels nothing converts
    // the frame: the window rectangle it is.
    r.physicalWindowReported = false;
    p = PlacePadOnCaption(window, r, Metrics(8, 54), 198, 27);
    EXPECT_EQ(p.source, CaptionPlaceSource::WindowRect);
    EXPECT_EQ(p.left, 3900 - 198 - 8 - 3 * 54);

    // The same report on a monitor at the system's resolution, from a window
    // at it too, is used as it comes.
    r.monitorDpi = r.windowDpi = 144;
    p = PlacePadOnCaption(window, r, Metrics(8, 54), 198, 27);
    EXPECT_EQ(p.source, CaptionPlaceSource::Buttons);
    EXPECT_EQ(p.left + 198, 3408 - 2);
    // A window stretched by the system (unaware, at 96) loses its buttons but
    // not its frame, which is in the monitor's pixels, the pad's here.
    r.windowDpi = 96;
    r.frame = Rect(3007, 150, 3893, 743);
    p = PlacePadOnCaption(window, r, Metrics(8, 54), 198, 27);
    EXPECT_EQ(p.source, CaptionPlaceSource::ExtendedFrame);
    EXPECT_EQ(p.left, 3893 - 198 - 8 - 3 * 54);
}

// ------------------------------------------------------ when to ask again

HWND FakeWnd(int n) { return reinterpret_cast<HWND>(static_cast<INT_PTR>(0x1000 + 16 * n)); }

TEST(CaptionAskCache, AnAnsweredWindowIsAskedAgainOnlyForANewRectangle) {
    CaptionCache cache;
    const RECT r = Rect(100, 100, 700, 500);
    const HWND a = FakeWnd(1);
    EXPECT_EQ(cache.Next(a, r, 1000), CaptionCache::Step::Ask);
    cache.Placed(a, r, CaptionAnswer::Answered, PadPlace{}, 1000);
    for (DWORD t : {1100u, 4000u, 60000u}) EXPECT_EQ(cache.Next(a, r, t), CaptionCache::Step::Keep) << t;
    EXPECT_EQ(cache.Next(a, Rect(100, 100, 700, 501), 60000), CaptionCache::Step::Ask);

    // A window that cannot be asked (another program's, under Wine) is not
    // asked again and again.
    cache.Placed(a, r, CaptionAnswer::NotAsked, PadPlace{}, 2000);
    EXPECT_EQ(cache.Next(a, r, 2100), CaptionCache::Step::Keep);
    EXPECT_EQ(cache.Next(a, r, 90000), CaptionCache::Step::Keep);
}

TEST(CaptionAskCache, TwoWindowsWithOneRectangleAreAskedSeparately) {
    // Two maximized windows on one monitor share their rectangle.
    CaptionCache cache;
    const RECT maximized = Rect(-8, -8, 1928, 1048);
    cache.Placed(FakeWnd(1), maximized, CaptionAnswer::Answered, PadPlace{}, 1000);
    EXPECT_EQ(cache.Next(FakeWnd(2), maximized, 1100), CaptionCache::Step::Ask);
    cache.Placed(FakeWnd(2), maximized, CaptionAnswer::Answered, PadPlace{}, 1100);
    EXPECT_EQ(cache.Next(FakeWnd(2), maximized, 1200), CaptionCache::Step::Keep);
    EXPECT_EQ(cache.Next(FakeWnd(1), maximized, 1200), CaptionCache::Step::Ask);
}

TEST(CaptionAskCache, ASlowWindowRestsThreeSecondsAndIsThenAskedAgain) {
    CaptionCache cache;
    const RECT r = Rect(100, 100, 700, 500);
    const HWND slow = FakeWnd(1), other = FakeWnd(2);
    // Timed out: the pad was placed by the classic place at t = 10 000.
    cache.Placed(slow, r, CaptionAnswer::TimedOut, PadPlace{}, 10000);
    for (DWORD t : {10000u, 10100u, 11500u, 12999u})
        EXPECT_EQ(cache.Next(slow, r, t), CaptionCache::Step::Keep) << "asked during the pause, at " << t;
    // Moved during the pause: placed anew without asking.
    const RECT moved = Rect(140, 120, 740, 520);
    EXPECT_EQ(cache.Next(slow, moved, 12000), CaptionCache::Step::PlaceResting);
    cache.Placed(slow, moved, CaptionAnswer::Resting, PadPlace{}, 12000);
    EXPECT_EQ(cache.Next(slow, moved, 12999), CaptionCache::Step::Keep);
    // Another window is asked meanwhile as usual.
    EXPECT_EQ(cache.Next(other, r, 12500), CaptionCache::Step::Ask);
    // Once the pause is over, the place that came from the fallback is asked for again.
    EXPECT_EQ(cache.Next(slow, moved, 13000), CaptionCache::Step::Ask);
    EXPECT_EQ(cache.Next(slow, moved, 50000), CaptionCache::Step::Ask);
    // Slow again: another pause, counted from the new time-out.
    cache.Placed(slow, moved, CaptionAnswer::TimedOut, PadPlace{}, 13050);
    EXPECT_EQ(cache.Next(slow, moved, 16000), CaptionCache::Step::Keep);
    EXPECT_EQ(cache.Next(slow, moved, 16050), CaptionCache::Step::Ask);
    // Answered at last: kept from then on.
    cache.Placed(slow, moved, CaptionAnswer::Answered, PadPlace{}, 16060);
    EXPECT_EQ(cache.Next(slow, moved, 20000), CaptionCache::Step::Keep);
    EXPECT_EQ(cache.Next(slow, r, 16100), CaptionCache::Step::Ask) << "an answer ends the pause";

    // The tick count wraps after 49.7 days.
    CaptionCache wrap;
    wrap.Placed(slow, r, CaptionAnswer::TimedOut, PadPlace{}, 0xFFFFFF00u);
    EXPECT_EQ(wrap.Next(slow, r, 0x00000100u), CaptionCache::Step::Keep);
    EXPECT_EQ(wrap.Next(slow, r, 0xFFFFFF00u + 3000u), CaptionCache::Step::Ask);
}

// ------------------------------------------------- real windows and the pad

enum class Caption {
    Plain,         // reports nothing, as every window under Wine
    NoButtons,     // reports nothing, and its hit-test shows no caption buttons
    Windows10,     // minimize, maximize, close: 46 × 30 from the top + 1, close 7 px from the right edge
    Windows11,     // the maximize button hidden (and said to lie left of the others)
    Windows10Slow, // the Windows 10 answer, once the test lets the window go on
    Windows10SlowOnce, // the same the first time, at once afterwards
};

// A top-level window on a thread of its own, as another program's would be,
// that answers WM_GETTITLEBARINFOEX for its current place. Sizes follow the
// screen's resolution as Windows scales its caption buttons.
class CaptionWindow {
public:
    CaptionWindow(const std::string& title, Caption caption, RECT bounds = RECT{150, 120, 750, 520})
        : FCaption(caption) {
        FThread = std::thread([=] {
            Run(title, bounds);
            FDone = true;
        });
        // Pumping meanwhile: the new window's activation talks to this thread's windows.
        EXPECT_TRUE(testkit::WaitFor([&] { return FWnd.load() != nullptr; }, "the window \"" + title + "\" created"));
    }
    ~CaptionWindow() {
        FGoOn = true;
        PostMessageA(FWnd, WM_CLOSE, 0, 0);
        EXPECT_TRUE(testkit::WaitFor([&] { return FDone.load(); }, "the window's thread ended"));
        FThread.join();
    }
    HWND hwnd() const { return FWnd; }
    RECT WindowRect() const {
        RECT r{};
        GetWindowRect(FWnd, &r);
        return r;
    }
    ::testing::AssertionResult Activate() { return testkit::ActivateAndSettle(FWnd, [] { testkit::Pump(); }); }
    void MoveBy(int dx, int dy) {
        const RECT r = WindowRect();
        SetWindowPos(FWnd, nullptr, r.left + dx, r.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        const RECT want{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
        ASSERT_TRUE(testkit::WaitFor(
            [&] {
                const RECT now = WindowRect();
                return EqualRect(&now, &want) != 0;
            },
            "the window moved by " + std::to_string(dx) + "," + std::to_string(dy)));
    }
    // The buttons this window reports for its current place.
    TITLEBARINFOEX Reported() const {
        TITLEBARINFOEX info{};
        info.cbSize = sizeof info;
        Fill(info);
        return info;
    }

    std::atomic<int> asked{0};
    // A slow window is busy with the question until the test lets it go on.
    std::atomic<bool> busy{false};
    void GoOn() {
        FGoOn = true;
        EXPECT_TRUE(testkit::WaitFor([&] { return !busy; }, "the slow window done with the question"));
    }

private:
    void Fill(TITLEBARINFOEX& info) const {
        const RECT w = WindowRect();
        using padkit::ScaledToScreen;
        const int bw = ScaledToScreen(46), bh = ScaledToScreen(30), side = ScaledToScreen(7), top = w.top + 1;
        auto at = [&](int fromRight) { return RECT{w.right - side - fromRight - bw, top, w.right - side - fromRight, top + bh}; };
        info.rcTitleBar = RECT{w.left + side, top, w.right - side, top + bh};
        info.rgrect[5] = at(0);        // close
        info.rgrect[4] = RECT{};       // help: none
        info.rgstate[4] = STATE_SYSTEM_INVISIBLE;
        if (FCaption == Caption::Windows11) {
            info.rgrect[2] = at(bw);     // minimize, right beside the close button
            info.rgrect[3] = at(2 * bw); // maximize: hidden
            info.rgstate[3] = STATE_SYSTEM_INVISIBLE;
        } else {
            info.rgrect[3] = at(bw);
            info.rgrect[2] = at(2 * bw);
        }
    }

    static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<CaptionWindow*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
        if (msg == WM_NCCREATE) {
            self = static_cast<CaptionWindow*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
            SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
        if (msg == WM_DESTROY) PostQuitMessage(0);
        if (self && self->FCaption == Caption::NoButtons && msg == WM_NCHITTEST) {
            const LRESULT code = DefWindowProcA(wnd, msg, wp, lp);
            return code == HTMINBUTTON || code == HTMAXBUTTON || code == HTCLOSE || code == HTHELP ? HTCAPTION : code;
        }
        if (self && msg == WM_GETTITLEBARINFOEX) {
            ++self->asked;
            if (self->FCaption == Caption::Plain) return DefWindowProcA(wnd, msg, wp, lp);
            if (self->FCaption == Caption::NoButtons) return 0;
            if (self->FCaption == Caption::Windows10Slow ||
                (self->FCaption == Caption::Windows10SlowOnce && self->asked == 1)) {
                // Busy, still answering what other threads send it meanwhile
                // (the title, activation), as a thread of another program
                // would not be asked for them at all.
                self->busy = true;
                for (DWORD start = GetTickCount(); !self->FGoOn && GetTickCount() - start < testkit::kLimitMs;) {
                    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_SENDMESSAGE);
                    MSG m;
                    PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
                }
                self->busy = false;
            }
            self->Fill(*reinterpret_cast<TITLEBARINFOEX*>(lp));
            return 0;
        }
        return DefWindowProcA(wnd, msg, wp, lp);
    }

    void Run(const std::string& title, RECT b) {
        static std::once_flag registered;
        std::call_once(registered, [] {
            WNDCLASSA wc{};
            wc.lpfnWndProc = &Proc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
            wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
            wc.lpszClassName = "VantroCaptionTarget";
            RegisterClassA(&wc);
        });
        HWND wnd = CreateWindowExA(0, "VantroCaptionTarget", title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, b.left,
                                   b.top, b.right - b.left, b.bottom - b.top, nullptr, nullptr,
                                   GetModuleHandleA(nullptr), this);
        FWnd = wnd;
        MSG m;
        while (GetMessageA(&m, nullptr, 0, 0) > 0) {
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
    }

    const Caption FCaption;
    std::thread FThread;
    std::atomic<HWND> FWnd{nullptr};
    std::atomic<bool> FDone{false};
    std::atomic<bool> FGoOn{false};
};

const char kTarget[] = "C:\\ - ｴｸｽﾌﾟﾛｰﾗ";
// The visible frame of the stand-in window managers below: 7 px inside the
// window rectangle at the sides and the bottom.
RECT VisibleFrame(const RECT& w) { return RECT{w.left + 7, w.top, w.right - 7, w.bottom - 7}; }
// Windows answers the caption question for every standard frame itself; only
// Wine leaves a plain window's answer empty, so that it gets the classic place.
const char kPlainOnlyUnderWine[] = "a plain window reports no caption buttons only under Wine";

// Polls are run by hand (the fixture's pad has its timer off), so each step is
// seen exactly once.
class CaptionDocking : public padkit::PadTest {
protected:
    // Windows surrounds a sizing frame with a padded border, which the
    // classic place must take in; Wine reports none, and stands in for a
    // system that reports one here.
    static void SetUpTestSuite() {
        if (GetSystemMetrics(SM_CXPADDEDBORDER) > 0) return;
        platform::hooks().systemMetric = [](int index) {
            return index == SM_CXPADDEDBORDER ? 4 : GetSystemMetrics(index);
        };
    }
    static void TearDownTestSuite() { platform::hooks().systemMetric = nullptr; }
    // The classic place on a rectangle: right edge at right − frame width −
    // 3 caption-button widths, top edge at top + frame height, where the frame
    // includes the padded border a 6.0 program is told of separately.
    RECT Classic(const RECT& r) const {
        const int padded = platform::SystemMetric(SM_CXPADDEDBORDER);
        RECT p;
        p.right = r.right - GetSystemMetrics(SM_CXFRAME) - padded - 3 * GetSystemMetrics(SM_CXSIZE);
        p.left = p.right - pad->PadWidth;
        p.top = r.top + GetSystemMetrics(SM_CYFRAME) + padded;
        p.bottom = p.top + GetSystemMetrics(SM_CYCAPTION) - 1;
        return p;
    }
    void ExpectAt(const RECT& want) {
        EXPECT_TRUE(pad->PadShown);
        EXPECT_TRUE(IsWindowVisible(pad->Handle()));
        const RECT got = PadRect();
        EXPECT_EQ(got.left, want.left);
        EXPECT_EQ(got.top, want.top);
        EXPECT_EQ(got.right, want.right);
        EXPECT_EQ(got.bottom, want.bottom);
    }
    // The pad lies just left of the leftmost visible reported button, inside
    // and centred on the buttons' row.
    void ExpectBesideButtons(const CaptionWindow& w) {
        EXPECT_TRUE(pad->PadShown);
        const TITLEBARINFOEX info = w.Reported();
        int left = INT_MAX, top = INT_MAX, bottom = INT_MIN;
        for (int i = 2; i <= 5; ++i) {
            if (info.rgstate[i] & STATE_SYSTEM_INVISIBLE) continue;
            left = std::min(left, static_cast<int>(info.rgrect[i].left));
            top = std::min(top, static_cast<int>(info.rgrect[i].top));
            bottom = std::max(bottom, static_cast<int>(info.rgrect[i].bottom));
        }
        const RECT p = PadRect();
        EXPECT_EQ(p.right - p.left, pad->PadWidth);
        EXPECT_EQ(p.right, left - 2) << "not 2 px left of the leftmost button";
        EXPECT_GE(p.top, top);
        EXPECT_LE(p.bottom, bottom);
        EXPECT_LE(std::abs((p.top - top) - (bottom - p.bottom)), 1) << "not centred on the buttons' row";
    }
};

TEST_F(CaptionDocking, Windows10ButtonsPlaceThePadAndItFollowsTheWindow) {
    CaptionWindow w(kTarget, Caption::Windows10);
    ASSERT_TRUE(w.Activate());
    Poll();
    ExpectBesideButtons(w);
    // The pad no longer covers the minimize button, as the classic place would.
    const RECT classic = Classic(w.WindowRect());
    EXPECT_LT(PadRect().right, classic.right);

    // Asked once per placing, not on every poll. The question is sent and
    // answered within the poll, so two polls that ran and kept the pad docked
    // are two chances to ask again.
    const int asked = w.asked;
    EXPECT_GE(asked, 1);
    Poll();
    Poll();
    EXPECT_TRUE(pad->PadShown);
    EXPECT_EQ(pad->TargetWnd, w.hwnd());
    EXPECT_EQ(w.asked, asked);

    w.MoveBy(-60, 45);
    Poll();
    ExpectBesideButtons(w);
    EXPECT_EQ(w.asked, asked + 1);
}

TEST_F(CaptionDocking, AHiddenMaximizeButtonIsPassedOver) {
    CaptionWindow w(kTarget, Caption::Windows11);
    ASSERT_TRUE(w.Activate());
    Poll();
    ExpectBesideButtons(w);
    // Right beside the minimize button, which stands next to the close button.
    const TITLEBARINFOEX info = w.Reported();
    EXPECT_GT(PadRect().right, info.rgrect[3].left);
}

TEST_F(CaptionDocking, APlainCaptionPlacesThePadByItsHitTest) {
    // Windows answers the question for every standard frame itself; only
    // Wine leaves a plain window's answer empty. Wine's buttons need not be
    // where the system's metrics say (Wine 10 draws them wider): the window's
    // own hit-test tells.
    if (!testkit::UnderWine()) GTEST_SKIP() << kPlainOnlyUnderWine;
    CaptionWindow w(kTarget, Caption::Plain);
    ASSERT_TRUE(w.Activate());
    for (int move = 0; move < 2; ++move) {
        if (move) w.MoveBy(30, 30);
        Poll();
        const testkit::CaptionBar bar = testkit::MeasureCaption(w.hwnd());
        ASSERT_GE(bar.buttonsLeft, 0);
        const RECT p = PadRect();
        EXPECT_EQ(p.right, bar.buttonsLeft - 2) << "not 2 px left of the first caption button";
        EXPECT_EQ(p.top, Classic(w.WindowRect()).top);
    }
}

TEST_F(CaptionDocking, TheVisibleFrameFromTheWindowManagerStandsInForTheWindow) {
    if (!testkit::UnderWine()) GTEST_SKIP() << kPlainOnlyUnderWine;
    std::vector<std::pair<HWND, DWORD>> asked;
    // A desktop window manager whose frames lie 7 px inside the window
    // rectangle at the sides and the bottom.
    const auto dwm = testkit::MakeScopedHook(
        platform::hooks().dwmGetWindowAttribute, [&](HWND wnd, DWORD attribute, void* value, DWORD size) -> HRESULT {
            asked.emplace_back(wnd, attribute);
            if (attribute != DWMWA_EXTENDED_FRAME_BOUNDS || size != sizeof(RECT)) return E_INVALIDARG;
            RECT r{};
            if (!GetWindowRect(wnd, &r)) return E_HANDLE;
            *static_cast<RECT*>(value) = VisibleFrame(r);
            return S_OK;
        });
    CaptionWindow plain(kTarget, Caption::NoButtons);
    ASSERT_TRUE(plain.Activate());
    Poll();
    ExpectAt(Classic(VisibleFrame(plain.WindowRect())));
    ASSERT_FALSE(asked.empty());
    EXPECT_EQ(asked.back().first, plain.hwnd());

    // Buttons the window reports come before the frame.
    CaptionWindow win10(kTarget, Caption::Windows10, RECT{220, 160, 820, 560});
    ASSERT_TRUE(win10.Activate());
    Poll();
    ExpectBesideButtons(win10);
}

TEST_F(CaptionDocking, ASlowTargetNeverHoldsThePadUp) {
    testkit::Clock clock; // the pause never ends: the slow window is asked once
    CaptionWindow slow(kTarget, Caption::Windows10Slow);
    ASSERT_TRUE(slow.Activate());
    // The question times out: the pad docks by the formula while the window
    // is still busy with it (a poll that waited for the answer would find it
    // done).
    Poll();
    ExpectAt(Classic(slow.WindowRect()));
    ASSERT_TRUE(testkit::WaitFor([&] { return slow.busy.load(); }, "the slow window busy with the question"));
    EXPECT_EQ(slow.asked, 1);

    // It keeps following the foreground meanwhile, and the slow window moved.
    CaptionWindow other(kTarget, Caption::Windows10, RECT{260, 200, 860, 600});
    ASSERT_TRUE(other.Activate());
    Poll();
    ExpectBesideButtons(other);
    ASSERT_TRUE(slow.Activate());
    slow.MoveBy(40, 20);
    Poll();
    EXPECT_TRUE(slow.busy);
    ExpectAt(Classic(slow.WindowRect()));
}

TEST_F(CaptionDocking, ASlowTargetIsAskedAgainOnceThePauseIsOverAndNotBefore) {
    testkit::Clock clock;
    CaptionWindow w(kTarget, Caption::Windows10SlowOnce);
    ASSERT_TRUE(w.Activate());
    Poll();
    ExpectAt(Classic(w.WindowRect()));
    ASSERT_TRUE(testkit::WaitFor([&] { return w.busy.load(); }, "the slow window busy with the question"));
    ASSERT_EQ(w.asked, 1);
    // Done with the first question, the window would answer a second at once.
    w.GoOn();

    // Polls during the pause keep the classic place and do not ask.
    for (int i = 0; i < 3; ++i) Poll();
    clock.Advance(2999);
    Poll();
    EXPECT_EQ(w.asked, 1) << "asked again during the pause";
    ExpectAt(Classic(w.WindowRect()));

    // Once it is over, the next poll asks again and docks beside the buttons.
    clock.Advance(1);
    Poll();
    EXPECT_EQ(w.asked, 2);
    ExpectBesideButtons(w);
    // Answered: not asked again.
    clock.Advance(60000);
    Poll();
    Poll();
    EXPECT_EQ(w.asked, 2);
    ExpectBesideButtons(w);
}

// The seam reports the target on a monitor at another resolution: `monitor`
// and `window` times the system's; the window in the monitor's pixels is its
// rectangle times `monitor`, and the desktop window manager reports its frame
// in those pixels, 7 × `monitor` inside at the sides and the bottom.
class OtherMonitor {
public:
    OtherMonitor(UINT monitor, UINT window)
        : FDpi(platform::hooks().windowDpi,
               [=](HWND wnd) {
                   platform::WindowDpi d;
                   d.monitor = monitor * System();
                   d.window = window * System();
                   d.physicalKnown = true;
                   d.physical = Physical(wnd, monitor);
                   return d;
               }),
          FDwm(platform::hooks().dwmGetWindowAttribute, [=](HWND wnd, DWORD attribute, void* value, DWORD size) {
              if (attribute != DWMWA_EXTENDED_FRAME_BOUNDS || size != sizeof(RECT)) return E_INVALIDARG;
              RECT p = Physical(wnd, monitor);
              const int inset = 7 * static_cast<int>(monitor);
              *static_cast<RECT*>(value) = RECT{p.left + inset, p.top, p.right - inset, p.bottom - inset};
              return S_OK;
          }) {}

private:
    static UINT System() { return static_cast<UINT>(padkit::ScreenDpi()); }
    static RECT Physical(HWND wnd, UINT times) {
        RECT r{};
        GetWindowRect(wnd, &r);
        const int k = static_cast<int>(times);
        return RECT{r.left * k, r.top * k, r.right * k, r.bottom * k};
    }
    testkit::ScopedHook<std::function<platform::WindowDpi(HWND)>> FDpi;
    testkit::ScopedHook<std::function<HRESULT(HWND, DWORD, void*, DWORD)>> FDwm;
};

TEST_F(CaptionDocking, OnAMonitorAtAnotherResolutionTheButtonsGiveWayToTheConvertedFrame) {
    // The window and its monitor at twice the system's resolution: the
    // buttons it reports are not in the pad's coordinates; its frame, 7 of
    // the pad's pixels inside the window, is.
    CaptionWindow w(kTarget, Caption::Windows10);
    {
        OtherMonitor twice(2, 2);
        ASSERT_TRUE(w.Activate());
        Poll();
        ExpectAt(Classic(VisibleFrame(w.WindowRect())));
    }
    // A window stretched by the system on a monitor at the system's
    // resolution: its frame is used as it comes, its buttons are not.
    {
        OtherMonitor stretched(1, 2);
        w.MoveBy(20, 10);
        Poll();
        ExpectAt(Classic(VisibleFrame(w.WindowRect())));
    }
    // Everything at the system's resolution again: the buttons place the pad.
    w.MoveBy(20, 10);
    Poll();
    ExpectBesideButtons(w);
}

} // namespace
