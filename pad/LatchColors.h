// The caption colours of the SHIFT and CTRL latches. A latched caption is red
// and a raised one black, except in a high-contrast theme: there the button
// face may be black (the dark contrast themes), so a raised caption takes the
// theme's own button text colour, and a latched one a colour that stands out
// from that text and from the face.
#pragma once

#include <windows.h>

#include "framework/Graphics.h"

namespace vcl {

class TSpeedButton;

// What the system's colour scheme says (RGB values).
struct ContrastTheme {
    bool highContrast = false;
    COLORREF buttonText = 0;  // COLOR_BTNTEXT
    COLORREF buttonFace = 0;  // COLOR_BTNFACE
    COLORREF highlight = 0;   // COLOR_HIGHLIGHT
};

// The caption colour of a latch in `theme`. Outside a high-contrast theme:
// clRed latched, clBlack raised. In one: raised, the system's button text
// colour (clBtnText, which follows the theme); latched, the first of red, the
// theme's highlight colour, yellow and blue that differs clearly from both the
// button text and the button face (red when none does).
TColor LatchCaptionColorIn(bool latched, const ContrastTheme& theme);

// The system's current scheme (SPI_GETHIGHCONTRAST and the system colours).
ContrastTheme CurrentContrastTheme();
// LatchCaptionColorIn for the current scheme.
TColor LatchCaptionColor(bool latched);
// Gives the button's caption the colour of its state.
void ColourLatchCaption(TSpeedButton& button);

} // namespace vcl
