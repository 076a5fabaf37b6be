#include "pad/PadLayout.h"

namespace vcl {

int PadNameFontHeight(int captionHeight) { return captionHeight - 2; }

PadLayout LayOutPad(int captionHeight, int nameWidth) {
    PadLayout l;
    const int h = captionHeight;
    // The strip is one pixel lower than the caption; the buttons' height and
    // their font's are five pixels less, and each button is three times as wide.
    l.height = h - 1;
    l.nameFontHeight = PadNameFontHeight(h);
    l.nameLeft = 6;
    l.nameTop = (h - l.nameFontHeight) / 2;
    l.buttonHeight = h - 5;
    l.buttonFontHeight = h - 5;
    l.buttonWidth = 3 * l.buttonFontHeight;
    // Name, a gap of 4, SHIFT, a gap of 1, CTRL, and a margin of 3 at the right.
    l.shiftLeft = l.nameLeft + nameWidth + 4;
    l.ctrlLeft = l.shiftLeft + l.buttonWidth + 1;
    l.width = nameWidth + 6 * l.buttonFontHeight + 14;
    return l;
}

} // namespace vcl
