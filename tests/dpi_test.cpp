// The dialogs and the input query at the screen's resolution: their layouts
// are client pixels at 96 pixels per inch, and every position, size and font
// height is multiplied by the resolution / 96 when a form is read.
//
// The run at 144 pixels per inch (the *_144dpi tests, in a Wine prefix of
// their own) is where this shows; at 96 the same checks hold the design values.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "dialogs/ListEdit.h"
#include "dialogs/TitleSet.h"
#include "framework/Dialogs.h"
#include "tests/support/dialogkit.h"
#include "tests/support/padkit.h"
#include "tests/support/testkit.h"

using namespace vcl;
using dialogkit::ChildRect;

namespace {

using padkit::ScreenDpi;

// A length of the 96-pixels-per-inch design at the screen's resolution.
LONG S(int designPixels) { return padkit::ScaledToScreen(designPixels); }

// Left, top, width and height of a child window in its parent's client area.
std::vector<LONG> Bounds(HWND child) {
    const RECT r = ChildRect(child);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}
std::vector<LONG> Scaled(int left, int top, int width, int height) { return {S(left), S(top), S(width), S(height)}; }

LONG WindowFontHeight(HWND wnd) {
    auto font = reinterpret_cast<HFONT>(SendMessageA(wnd, WM_GETFONT, 0, 0));
    LOGFONTA lf{};
    if (!font || !GetObjectA(font, sizeof lf, &lf)) return 0;
    return lf.lfHeight;
}

TEST(ScreenResolution, IsTheOneThisRunWasStartedFor) {
    const char* expected = std::getenv("VANTRO_EXPECT_DPI");
    if (!expected) GTEST_SKIP() << "no resolution asked for";
    EXPECT_EQ(ScreenDpi(), std::atoi(expected));
}

class ScaledDialogs : public ::testing::Test {
protected:
    void SetUp() override { dialogkit::CreateDialogs(); }
    void TearDown() override { dialogkit::DestroyDialogs(); }
};

TEST_F(ScaledDialogs, SettingsDialogScalesItsClientAreaControlsAndFonts) {
    HWND wnd = EditForm->Handle();
    RECT client;
    GetClientRect(wnd, &client);
    EXPECT_EQ(client.right, S(194));
    EXPECT_EQ(client.bottom, S(207));
    if (ScreenDpi() == 144) {
        // 194 × 207 at one and a half times the design resolution.
        EXPECT_NEAR(client.right, 291, 1);
        EXPECT_NEAR(client.bottom, 311, 1);
    }
    EXPECT_EQ(EditForm->Font().Height(), S(-12));

    // The buttons, one above the other, and the check boxes.
    EXPECT_EQ(Bounds(EditForm->DelBtn->Handle()), Scaled(132, 28, 57, 19));
    EXPECT_EQ(Bounds(EditForm->AddBtn->Handle()), Scaled(132, 51, 57, 19));
    EXPECT_EQ(Bounds(EditForm->OKbtn->Handle()), Scaled(132, 120, 57, 19));
    EXPECT_EQ(Bounds(EditForm->NoBoth->Handle()), Scaled(20, 184, 169, 17));
    EXPECT_EQ(WindowFontHeight(EditForm->DelBtn->Handle()), S(-12));
    EXPECT_EQ(WindowFontHeight(EditForm->Opt_all->Handle()), S(-12));

    // The list: item height scaled, its height rounded to whole items of it.
    HWND list = EditForm->TargetEditList->Handle();
    const LRESULT item = SendMessageA(list, LB_GETITEMHEIGHT, 0, 0);
    EXPECT_EQ(item, S(12));
    RECT lc;
    GetClientRect(list, &lc);
    EXPECT_EQ(lc.bottom % item, 0);
    const std::vector<LONG> lb = Bounds(list);
    EXPECT_EQ((std::vector<LONG>{lb[0], lb[1], lb[2]}), (std::vector<LONG>{S(4), S(28), S(117)}));
    EXPECT_LE(lb[3], S(112));
    EXPECT_GT(lb[3], S(112) - item);

    // Drawn controls: the shadowed title and the bevels.
    EXPECT_EQ(EditForm->HSLabel1->Font().Height(), S(-13));
    EXPECT_EQ(EditForm->HSLabel1->Left(), S(29));
    EXPECT_EQ(EditForm->HSLabel1->Top(), S(8));
    const RECT bevel = EditForm->Bevel1->BoundsRect();
    EXPECT_EQ((std::vector<LONG>{bevel.left, bevel.top, bevel.right - bevel.left}),
              (std::vector<LONG>{S(4), S(148), S(185)}));
}

TEST_F(ScaledDialogs, AddTargetDialogScalesItsClientAreaControlsAndFonts) {
    HWND wnd = SetTitle->Handle();
    RECT client;
    GetClientRect(wnd, &client);
    EXPECT_EQ(client.right, S(259));
    EXPECT_EQ(client.bottom, S(198));
    EXPECT_EQ(Bounds(SetTitle->TargetEditBox->Handle()), Scaled(8, 60, 241, 20));
    EXPECT_EQ(Bounds(SetTitle->CanBtn->Handle()), Scaled(140, 175, 53, 20));
    EXPECT_EQ(Bounds(SetTitle->OKBtn->Handle()), Scaled(196, 175, 53, 20));
    EXPECT_EQ(WindowFontHeight(SetTitle->TargetEditBox->Handle()), S(-12));
    EXPECT_EQ(SendMessageA(SetTitle->TargetList->Handle(), LB_GETITEMHEIGHT, 0, 0), S(12));
    EXPECT_EQ(SetTitle->GetTitleLabel->Font().Height(), S(-12));
    EXPECT_EQ(SetTitle->HSLabel2->Left(), S(53));
    EXPECT_EQ(SetTitle->HSLabel2->Top(), S(44));
}

TEST(ScaledInputQuery, IsLaidOutInDialogUnitsOfItsScaledFont) {
    testkit::App();
    // Dialog units measured independently from the scaled font.
    const SIZE s = testkit::MeasureText("ＭＳ Ｐゴシック", S(-12), FW_NORMAL, SHIFTJIS_CHARSET,
                                        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    auto X = [&](int n) { return static_cast<LONG>(MulDiv(n, s.cx / 52, 4)); };
    auto Y = [&](int n) { return static_cast<LONG>(MulDiv(n, s.cy, 8)); };

    bool seen = false;
    RECT client{};
    std::vector<LONG> ok;
    LONG okFont = 0;
    dialogkit::WhenReady([] { return FindWindowA(InputQueryClassName, "Resolution") != nullptr; },
                         [&] {
                             HWND q = FindWindowA(InputQueryClassName, "Resolution");
                             seen = true;
                             GetClientRect(q, &client);
                             HWND button = FindWindowExA(q, nullptr, "TButton", "OK");
                             if (button) {
                                 ok = Bounds(button);
                                 okFont = WindowFontHeight(button);
                             }
                             PostMessageA(q, WM_CLOSE, 0, 0);
                         },
                         "the input query open");
    std::string value = "text";
    // The query returns only once it has closed, which the watch above does.
    EXPECT_FALSE(InputQuery("Resolution", "prompt", value));
    ASSERT_TRUE(seen);
    EXPECT_EQ(okFont, S(-12));
    EXPECT_EQ(client.right, X(180));
    EXPECT_EQ(client.bottom, Y(63));
    EXPECT_EQ(ok, (std::vector<LONG>{X(38), Y(41), X(50), Y(14)}));
}

} // namespace
