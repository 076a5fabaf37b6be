#include "framework/Buttons.h"

namespace vcl {

TSpeedButton::TSpeedButton(TComponent* owner) : TGraphicControl(owner) {
    FWidth = 23;
    FHeight = 22;
    FParentFont = true;
    SetControlStyle(csCaptureMouse | csDoubleClicks | csOpaque);
}

void TSpeedButton::SetDown(bool down) {
    if (FGroupIndex == 0) down = false;
    if (down == FDown) return;
    if (FDown && !FAllowAllUp) return;
    FDown = down;
    FState = down ? stLatched : stUp;
    Invalidate();
    if (down) UpdateExclusive();
}

void TSpeedButton::SetGroupIndex(int index) {
    if (index == FGroupIndex) return;
    FGroupIndex = index;
    UpdateExclusive();
}

void TSpeedButton::SetAllowAllUp(bool allow) {
    if (allow == FAllowAllUp) return;
    FAllowAllUp = allow;
    UpdateExclusive();
}

void TSpeedButton::UpdateExclusive() {
    if (FGroupIndex == 0 || !FParent) return;
    for (int i = 0; i < FParent->ControlCount(); ++i) {
        auto* other = dynamic_cast<TSpeedButton*>(FParent->Controls(i));
        if (other && other != this) other->ButtonPressed(this);
    }
}

void TSpeedButton::ButtonPressed(TSpeedButton* sender) {
    if (sender->FGroupIndex != FGroupIndex) return;
    // The sibling that goes up does so silently, without a click of its own.
    if (sender->FDown && FDown) {
        FDown = false;
        FState = stUp;
        Invalidate();
    }
    FAllowAllUp = sender->FAllowAllUp;
}

void TSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    // OnMouseDown runs before anything changes.
    TGraphicControl::MouseDown(button, shift, x, y);
    if (button == mbLeft && FEnabled) {
        if (!FDown) {
            FState = stPressed;
            Invalidate();
        }
        FDragging = true;
    }
}

void TSpeedButton::MouseMove(TShiftState shift, int x, int y) {
    TGraphicControl::MouseMove(shift, x, y);
    if (!FDragging) return;
    bool inside = x >= 0 && x < FWidth && y >= 0 && y < FHeight;
    State s = stUp;
    if (FDown) s = stLatched;
    else if (inside) s = stPressed;
    if (s != FState) {
        FState = s;
        Invalidate();
    }
}

void TSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    TGraphicControl::MouseUp(button, shift, x, y);
    if (button != mbLeft || !FDragging) return;
    FDragging = false;
    bool inside = x >= 0 && x < FWidth && y >= 0 && y < FHeight;
    if (FGroupIndex == 0) {
        FState = stUp;
        Invalidate();
    } else if (inside) {
        SetDown(!FDown);
        FState = FDown ? stLatched : stUp;
        Invalidate();
    } else {
        FState = FDown ? stLatched : stUp;
        Invalidate();
    }
    if (inside) Click();
}

void TSpeedButton::MouseCaptureLost() {
    if (!FDragging) return;
    FDragging = false;
    FState = FDown ? stLatched : stUp;
    Invalidate();
}

void TSpeedButton::Paint() {
    HDC dc = FCanvas.Handle();
    RECT r{0, 0, FWidth, FHeight};
    bool sunken = FState != stUp;
    FCanvas.Brush.Color = clBtnFace;
    FCanvas.Brush.Style = bsSolid;
    FCanvas.FillRect(r);
    DrawEdge(dc, &r, sunken ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    RECT face{r.left + 2, r.top + 2, r.right - 2, r.bottom - 2};
    if (FState == stLatched && face.right > face.left && face.bottom > face.top) {
        // The latched face: a checkerboard of the button-face colour and white.
        COLORREF faceColor = ColorToRGB(clBtnFace), white = RGB(255, 255, 255);
        for (int y = face.top; y < face.bottom; ++y)
            for (int x = face.left; x < face.right; ++x)
                SetPixelV(dc, x, y, ((x + y) & 1) ? faceColor : white);
    }
    RECT text = r;
    if (sunken) OffsetRect(&text, 1, 1);
    FCanvas.Font.Assign(FFont);
    FCanvas.Brush.Style = bsClear;
    dc = FCanvas.Handle();
    SetTextColor(dc, ColorToRGB(FEnabled ? FFont.Color() : clGrayText));
    DrawText932(dc, FText.c_str(), static_cast<int>(FText.size()), &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

} // namespace vcl
