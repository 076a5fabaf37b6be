#include "pad/LatchColors.h"

#include <cstdlib>

#include "framework/Buttons.h"

namespace vcl {

namespace {

// Two colours a reader tells apart at a glance: their red, green and blue
// differ by at least this much in all.
constexpr int kClearDifference = 192;

bool ClearlyDifferent(COLORREF a, COLORREF b) {
    return std::abs(GetRValue(a) - GetRValue(b)) + std::abs(GetGValue(a) - GetGValue(b)) +
               std::abs(GetBValue(a) - GetBValue(b)) >=
           kClearDifference;
}

} // namespace

TColor LatchCaptionColorIn(bool latched, const ContrastTheme& theme) {
    if (!theme.highContrast) return latched ? clRed : clBlack;
    if (!latched) return clBtnText;
    for (const COLORREF c : {static_cast<COLORREF>(clRed), theme.highlight, static_cast<COLORREF>(clYellow),
                             static_cast<COLORREF>(clBlue)})
        if (ClearlyDifferent(c, theme.buttonText) && ClearlyDifferent(c, theme.buttonFace)) return c;
    return clRed;
}

ContrastTheme CurrentContrastTheme() {
    ContrastTheme theme;
    HIGHCONTRASTA hc{};
    hc.cbSize = sizeof hc;
    theme.highContrast =
        SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof hc, &hc, 0) && (hc.dwFlags & HCF_HIGHCONTRASTON);
    theme.buttonText = GetSysColor(COLOR_BTNTEXT);
    theme.buttonFace = GetSysColor(COLOR_BTNFACE);
    theme.highlight = GetSysColor(COLOR_HIGHLIGHT);
    return theme;
}

TColor LatchCaptionColor(bool latched) { return LatchCaptionColorIn(latched, CurrentContrastTheme()); }

void ColourLatchCaption(TSpeedButton& button) { button.Font().SetColor(LatchCaptionColor(button.Down())); }

} // namespace vcl
