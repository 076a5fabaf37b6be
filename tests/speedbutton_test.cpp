// Toggle and group behaviour of the speed button, and its latched look.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/Buttons.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "tests/support/testkit.h"

using namespace vcl;

namespace {

class SpeedButtons : public ::testing::Test {
protected:
    void SetUp() override {
        form = new TForm(&testkit::App(), "TSpeedTestForm");
        form->SetBorderStyle(bsNone);
        form->SetBounds(50, 50, 200, 40);
        panel = new TPanel(form);
        panel->SetParent(form);
        panel->SetBounds(0, 0, 200, 40);
        a = Make("A", 10, 1);
        b = Make("B", 60, 1);
        c = Make("C", 110, 2);
        form->SetVisible(true);
        testkit::Pump();
    }
    void TearDown() override { delete form; }

    TSpeedButton* Make(const char* name, int left, int group) {
        auto* btn = new TSpeedButton(form);
        btn->SetName(name);
        btn->SetParent(panel);
        btn->SetBounds(left, 5, 40, 20);
        btn->SetCaption(name);
        btn->SetGroupIndex(group);
        btn->SetAllowAllUp(true);
        btn->OnMouseDown = [this, btn](TObject*, TMouseButton mb, TShiftState, int, int) {
            log.push_back(btn->Name() + (mb == mbLeft ? " ldown" : " rdown") + (btn->Down() ? " (down)" : " (up)"));
        };
        btn->OnClick = [this, btn](TObject*) {
            log.push_back(btn->Name() + " click" + (btn->Down() ? " (down)" : " (up)"));
        };
        return btn;
    }
    // Mouse messages to the panel, at a point of the button's own coordinates.
    void Send(UINT msg, TSpeedButton* btn, int x = 5, int y = 5, WPARAM keys = 0) {
        SendMessageA(panel->Handle(), msg, keys, MAKELPARAM(btn->Left() + x, btn->Top() + y));
    }
    void Click(TSpeedButton* btn) {
        Send(WM_LBUTTONDOWN, btn, 5, 5, MK_LBUTTON);
        Send(WM_LBUTTONUP, btn);
    }

    TForm* form = nullptr;
    TPanel* panel = nullptr;
    TSpeedButton *a = nullptr, *b = nullptr, *c = nullptr;
    std::vector<std::string> log;
};

TEST_F(SpeedButtons, LeftClickTogglesAndClickSeesTheNewState) {
    Click(a);
    Click(a);
    EXPECT_EQ(log, (std::vector<std::string>{"A ldown (up)", "A click (down)", "A ldown (down)", "A click (up)"}));
    EXPECT_FALSE(a->Down());
}

TEST_F(SpeedButtons, ReleaseOutsideAndOtherButtonsChangeNothing) {
    Send(WM_LBUTTONDOWN, a, 5, 5, MK_LBUTTON);
    Send(WM_LBUTTONUP, a, 100, 30); // released over another place
    EXPECT_FALSE(a->Down());
    Send(WM_RBUTTONDOWN, a, 5, 5, MK_RBUTTON);
    Send(WM_RBUTTONUP, a);
    Send(WM_MBUTTONDOWN, a, 5, 5, MK_MBUTTON);
    Send(WM_MBUTTONUP, a);
    EXPECT_FALSE(a->Down());
    EXPECT_EQ(log, (std::vector<std::string>{"A ldown (up)", "A rdown (up)", "A rdown (up)"}));
}

TEST_F(SpeedButtons, GroupMembersAreExclusiveAndGoUpSilently) {
    Click(a);
    Click(b);
    EXPECT_FALSE(a->Down());
    EXPECT_TRUE(b->Down());
    // A button of another group is independent.
    Click(c);
    EXPECT_TRUE(b->Down());
    EXPECT_TRUE(c->Down());
    EXPECT_EQ(log, (std::vector<std::string>{"A ldown (up)", "A click (down)", "B ldown (up)", "B click (down)",
                                             "C ldown (up)", "C click (down)"}));
}

TEST_F(SpeedButtons, CodeChangesRaiseNoClick) {
    a->SetDown(true);
    b->SetDown(true);
    EXPECT_FALSE(a->Down());
    c->SetDown(true);
    // Joining the group releases its down member silently.
    c->SetGroupIndex(1);
    EXPECT_FALSE(b->Down());
    EXPECT_TRUE(c->Down());
    c->SetGroupIndex(2);
    c->SetDown(false);
    EXPECT_FALSE(c->Down());
    EXPECT_TRUE(log.empty());
}

TEST_F(SpeedButtons, DoubleClickIsTwoClicks) {
    Send(WM_LBUTTONDOWN, a, 5, 5, MK_LBUTTON);
    Send(WM_LBUTTONUP, a);
    Send(WM_LBUTTONDBLCLK, a, 5, 5, MK_LBUTTON);
    Send(WM_LBUTTONUP, a);
    EXPECT_FALSE(a->Down());
    EXPECT_EQ(log, (std::vector<std::string>{"A ldown (up)", "A click (down)", "A ldown (down)", "A click (up)"}));
}

TEST_F(SpeedButtons, LatchedFaceIsACheckerboardAndCaptionTakesTheFontColour) {
    a->SetCaption("");
    a->SetDown(true);
    b->SetCaption("IIII");
    b->Font().SetColor(clRed);
    b->Font().SetHeight(14);
    // Painted into a memory bitmap as the panel paints its buttons.
    testkit::Bitmap bmp(200, 40, RGB(0, 0, 255));
    panel->PaintControls(bmp.dc());
    // Inside the sunken edge: alternating white and button-face pixels.
    const COLORREF face = GetSysColor(COLOR_BTNFACE), white = RGB(255, 255, 255);
    ASSERT_NE(face, white);
    for (int y = 8; y < 20; ++y)
        for (int x = 14; x < 44; ++x) {
            const COLORREF p = bmp.At(x, y), q = bmp.At(x + 1, y);
            EXPECT_TRUE((p == white && q == face) || (p == face && q == white)) << x << "," << y;
        }
    // Half of the 30 x 12 pixels are white.
    EXPECT_EQ(bmp.Count(RECT{14, 8, 44, 20}, white), 180);
    // An up button: a plain face with the caption in red.
    EXPECT_GT(bmp.Count(b->BoundsRect(), RGB(255, 0, 0)), 0);
}

} // namespace
