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
    const int right = p.left + padWidth;
    EXPECT_LE(right, buttonLeft);
    EXPECT_GE(right, buttonLeft - 4);
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

// ------------------------------------------------- real windows and the pad

enum class Caption {
    Plain,         // reports nothing, as every window under Wine
    Windows10,     // minimize, maximize, close: 46 × 30 from the top + 1, close 7 px from the right edge
    Windows11,     // the maximize button hidden (and said to lie left of the others)
    Windows10Slow, // the Windows 10 answer, after 2 s
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
        if (self && msg == WM_GETTITLEBARINFOEX) {
            ++self->asked;
            if (self->FCaption == Caption::Plain) return DefWindowProcA(wnd, msg, wp, lp);
            if (self->FCaption == Caption::Windows10Slow) {
                // Busy for 2 s, still answering what other threads send it
                // meanwhile (the title, activation), as a thread of another
                // program would not be asked for them at all.
                for (DWORD end = GetTickCount() + 2000; static_cast<int>(end - GetTickCount()) > 0;) {
                    MsgWaitForMultipleObjects(0, nullptr, FALSE, end - GetTickCount(), QS_SENDMESSAGE);
                    MSG m;
                    PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
                }
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
};

const char kTarget[] = "C:\\ - ｴｸｽﾌﾟﾛｰﾗ";

// Polls are run by hand (the fixture's pad has its timer off), so each step is
// seen exactly once.
class CaptionDocking : public padkit::PadTest {
protected:
    // One poll; returns how long it took, in milliseconds.
    DWORD TimedPoll() {
        const DWORD start = GetTickCount();
        Poll();
        return GetTickCount() - start;
    }
    // The classic place on a rectangle: right edge at right − frame width −
    // 3 caption-button widths, top edge at top + frame height, where the frame
    // includes the padded border a 6.0 program is told of separately.
    RECT Classic(const RECT& r) const {
        const int padded = GetSystemMetrics(SM_CXPADDEDBORDER);
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
        EXPECT_LE(p.right, left);
        EXPECT_GE(p.right, left - 4);
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

TEST_F(CaptionDocking, APlainCaptionKeepsTheClassicPlace) {
    CaptionWindow w(kTarget, Caption::Plain);
    ASSERT_TRUE(w.Activate());
    Poll();
    ExpectAt(Classic(w.WindowRect()));
    w.MoveBy(30, 30);
    Poll();
    ExpectAt(Classic(w.WindowRect()));
}

TEST_F(CaptionDocking, TheVisibleFrameFromTheWindowManagerStandsInForTheWindow) {
    std::vector<std::pair<HWND, DWORD>> asked;
    // A desktop window manager whose frames lie 7 px inside the window
    // rectangle at the sides and the bottom.
    const auto dwm = testkit::MakeScopedHook(
        platform::hooks().dwmGetWindowAttribute, [&](HWND wnd, DWORD attribute, void* value, DWORD size) -> HRESULT {
            asked.emplace_back(wnd, attribute);
            if (attribute != DWMWA_EXTENDED_FRAME_BOUNDS || size != sizeof(RECT)) return E_INVALIDARG;
            RECT r{};
            if (!GetWindowRect(wnd, &r)) return E_HANDLE;
            *static_cast<RECT*>(value) = RECT{r.left + 7, r.top, r.right - 7, r.bottom - 7};
            return S_OK;
        });
    CaptionWindow plain(kTarget, Caption::Plain);
    ASSERT_TRUE(plain.Activate());
    Poll();
    RECT frame = plain.WindowRect();
    frame.left += 7;
    frame.right -= 7;
    frame.bottom -= 7;
    ExpectAt(Classic(frame));
    ASSERT_FALSE(asked.empty());
    EXPECT_EQ(asked.back().first, plain.hwnd());

    // Buttons the window reports come before the frame.
    CaptionWindow win10(kTarget, Caption::Windows10, RECT{220, 160, 820, 560});
    ASSERT_TRUE(win10.Activate());
    Poll();
    ExpectBesideButtons(win10);
}

TEST_F(CaptionDocking, ASlowTargetNeverHoldsThePadUp) {
    CaptionWindow slow(kTarget, Caption::Windows10Slow);
    ASSERT_TRUE(slow.Activate());
    // The question times out: the pad docks by the formula at once.
    const DWORD took = TimedPoll();
    EXPECT_LT(took, 1000u) << "the poll waited for the slow answer";
    ExpectAt(Classic(slow.WindowRect()));
    EXPECT_GE(slow.asked, 1);

    // It keeps following the foreground meanwhile, and the slow window moved.
    CaptionWindow other(kTarget, Caption::Windows10, RECT{260, 200, 860, 600});
    ASSERT_TRUE(other.Activate());
    EXPECT_LT(TimedPoll(), 1000u);
    ExpectBesideButtons(other);
    ASSERT_TRUE(slow.Activate());
    slow.MoveBy(40, 20);
    EXPECT_LT(TimedPoll(), 1000u);
    ExpectAt(Classic(slow.WindowRect()));
}

} // namespace
