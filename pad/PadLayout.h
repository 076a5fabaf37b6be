// The pad's strip laid out from the caption height of the system and the
// measured width of the program's name: a pure calculation, so that the
// layout can be checked against worked examples.
#pragma once

namespace vcl {

struct PadLayout {
    int width = 0, height = 0;          // the strip: the form's client area and the panel
    int nameLeft = 0, nameTop = 0;      // the name label
    int nameFontHeight = 0;
    int buttonWidth = 0, buttonHeight = 0, buttonFontHeight = 0;
    int shiftLeft = 0, ctrlLeft = 0;    // the SHIFT and CTRL latches, side by side
};

// The name label's font height for a caption height; the name is measured in
// that font before the rest is laid out.
int PadNameFontHeight(int captionHeight);

// The strip for a caption height and the width of the name in its font.
PadLayout LayOutPad(int captionHeight, int nameWidth);

} // namespace vcl
