// The latches' caption colours in the system's colour schemes: unchanged
// outside a high-contrast theme; in one, the theme's button text for a raised
// latch and a colour that stands out for a latched one.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "framework/Graphics.h"
#include "pad/LatchColors.h"
#include "pad/VTform.h"
#include "tests/support/padkit.h"

using namespace vcl;

namespace {

ContrastTheme Theme(bool on, COLORREF text, COLORREF face, COLORREF highlight) {
    ContrastTheme t;
    t.highContrast = on;
    t.buttonText = text;
    t.buttonFace = face;
    t.highlight = highlight;
    return t;
}

// Far apart in at least one of red, green and blue.
bool FarApart(COLORREF a, COLORREF b) {
    return std::abs(GetRValue(a) - GetRValue(b)) >= 128 || std::abs(GetGValue(a) - GetGValue(b)) >= 128 ||
           std::abs(GetBValue(a) - GetBValue(b)) >= 128;
}

TEST(LatchColours, RaisedBlackOrTheThemesTextAndLatchedRedInTheSystemsThemes) {
    struct Case {
        const char* what;
        ContrastTheme theme;
        TColor raised;
    };
    const Case cases[] = {
        {"no high contrast", Theme(false, RGB(255, 255, 255), RGB(0, 0, 0), RGB(255, 0, 0)), clBlack},
        // Raised: the theme's own button text, which the black of the dark
        // themes' faces would hide.
        {"white on black", Theme(true, RGB(255, 255, 255), RGB(0, 0, 0), RGB(26, 235, 255)), clBtnText},
        {"black on white", Theme(true, RGB(0, 0, 0), RGB(255, 255, 255), RGB(55, 0, 110)), clBtnText},
        {"yellow on black", Theme(true, RGB(255, 255, 0), RGB(0, 0, 0), RGB(0, 128, 0)), clBtnText},
        {"green on black", Theme(true, RGB(0, 255, 0), RGB(0, 0, 0), RGB(0, 0, 255)), clBtnText},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(LatchCaptionColorIn(false, c.theme), c.raised);
        EXPECT_EQ(LatchCaptionColorIn(true, c.theme), clRed);
    }
}

TEST(LatchColours, ALatchNeverLooksLikeTheThemesTextOrFace) {
    struct Case {
        const char* what;
        ContrastTheme theme;
    };
    const Case cases[] = {
        {"red text on black, cyan highlight", Theme(true, RGB(255, 0, 0), RGB(0, 0, 0), RGB(0, 255, 255))},
        {"orange text on black", Theme(true, RGB(255, 160, 0), RGB(0, 0, 0), RGB(255, 140, 0))},
        {"white text on dark red", Theme(true, RGB(255, 255, 255), RGB(160, 0, 0), RGB(255, 255, 255))},
        {"red text on yellow, red highlight", Theme(true, RGB(255, 0, 0), RGB(255, 255, 0), RGB(255, 0, 0))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const TColor latched = LatchCaptionColorIn(true, c.theme);
        EXPECT_EQ(latched & clSystemColor, 0u);
        EXPECT_TRUE(FarApart(latched, c.theme.buttonText)) << std::hex << latched;
        EXPECT_TRUE(FarApart(latched, c.theme.buttonFace)) << std::hex << latched;
    }
    // The theme's highlight colour is the first choice after red.
    EXPECT_EQ(LatchCaptionColorIn(true, Theme(true, RGB(255, 0, 0), RGB(0, 0, 0), RGB(0, 255, 255))),
              static_cast<TColor>(RGB(0, 255, 255)));
}

TEST(LatchColoursOnThePad, ASystemColourChangeRecoloursBothLatches) {
    std::unique_ptr<TVTform> pad(padkit::NewPad());
    // Captions in a colour no scheme gives them: the change of scheme must
    // replace it with the scheme's own, latched or not.
    pad->CtrlBtn->SetDown(true);
    for (TSpeedButton* b : {pad->ShiftBtn, pad->CtrlBtn}) b->Font().SetColor(RGB(1, 2, 3));
    SendMessageA(pad->Handle(), WM_SYSCOLORCHANGE, 0, 0);
    EXPECT_EQ(pad->ShiftBtn->Font().Color(), LatchCaptionColor(false));
    EXPECT_EQ(pad->CtrlBtn->Font().Color(), LatchCaptionColor(true));
    pad->CtrlBtn->SetDown(false);
}

} // namespace
