// A windowless text label that can draw its caption with a one-pixel shadow.
#pragma once

#include <string>

#include "framework/Controls.h"

namespace vcl {

class TtesLabel : public TGraphicControl {
public:
    explicit TtesLabel(TComponent* owner);

    void Paint() override;
    // The text that is drawn and measured.
    virtual std::string CaptionToDraw() const { return FText; }
    // Draws the caption (and its shadow); with DT_CALCRECT measures it instead
    // and returns the extent of the text pass in `rect`.
    void DrawCaption(RECT& rect, UINT format);
    // Auto-size: measures the caption and sets the bounds to its extent.
    void FitToText();

    TWinControl* FocusControl() const { return FFocusControl; }
    void SetFocusControl(TWinControl* control);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment alignment);
    bool AutoSize() const { return FAutoSize; }
    virtual void SetAutoSize(bool autoSize);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool wordWrap);
    bool ShowAccelChar() const { return FShowAccelChar; }
    void SetShowAccelChar(bool show);
    bool Transparent() const { return (FControlStyle & csOpaque) == 0; }
    void SetTransparent(bool transparent);
    bool Shadow() const { return FShadow; }
    void SetShadow(bool shadow);
    bool Shadowdown() const { return FShadowDown; }
    void SetShadowdown(bool down);
    TColor ShadowColor() const { return FShadowColor; }
    void SetShadowColor(TColor color);

    bool DialogChar(char ch) override;

protected:
    void Notification(TComponent* component, TOperation operation) override;
    void TextChanged() override;
    void FontChanged() override;

private:
    TWinControl* FFocusControl = nullptr;
    TAlignment FAlignment = taLeftJustify;
    bool FAutoSize = false;
    bool FWordWrap = false;
    bool FShowAccelChar = false;
    bool FShadow = false;
    bool FShadowDown = false;
    TColor FShadowColor = clBlack;
};

// The label that forms use: everything above, published.
class THSLabel : public TtesLabel {
public:
    using TtesLabel::TtesLabel;
};

} // namespace vcl
