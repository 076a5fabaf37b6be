#include "controls/hslabel.h"

#include "framework/Forms.h"

namespace vcl {

TtesLabel::TtesLabel(TComponent* owner) : TGraphicControl(owner) {
    FControlStyle |= csOpaque | csReplicatable | csClickEvents;
    FWidth = 65;
    FHeight = 17;
    FAutoSize = true;
    FShowAccelChar = true;
    FShadowColor = clWhite;
    // A font change: the label stops following its parent's font and fits its
    // (still empty) caption at once, unless it is being read from a layout.
    FFont.SetColor(clBlack);
}

void TtesLabel::Notification(TComponent* component, TOperation operation) {
    TGraphicControl::Notification(component, operation);
    if (operation == opRemove && component == FFocusControl) FFocusControl = nullptr;
}

void TtesLabel::TextChanged() {
    Invalidate();
    FitToText();
}

void TtesLabel::FontChanged() {
    Invalidate();
    FitToText();
}

void TtesLabel::Paint() {
    RECT rect = ClientRect();
    if (!Transparent()) {
        FCanvas.Brush.Color = FColor;
        FCanvas.Brush.Style = bsSolid;
        FCanvas.FillRect(rect);
    }
    // Both passes draw on a transparent background, so the text pass keeps the shadow.
    FCanvas.Brush.Style = bsClear;
    UINT format = DT_EXPANDTABS;
    if (FWordWrap) format |= DT_WORDBREAK;
    switch (FAlignment) {
    case taLeftJustify: format |= DT_LEFT; break;
    case taRightJustify: format |= DT_RIGHT; break;
    case taCenter: format |= DT_CENTER; break;
    }
    DrawCaption(rect, format);
}

void TtesLabel::DrawCaption(RECT& rect, UINT format) {
    std::string text = CaptionToDraw();
    // Measure an empty caption (or a lone accelerator mark) as one blank, so the
    // label keeps one line's height.
    if ((format & DT_CALCRECT) && (text.empty() || (FShowAccelChar && text == "&"))) text += ' ';
    if (!FShowAccelChar) format |= DT_NOPREFIX;
    FCanvas.Font.Assign(FFont);
    if (!FEnabled) FCanvas.Font.SetColor(clGrayText);
    HDC dc = FCanvas.Handle();
    if (!dc) return;
    const int length = static_cast<int>(text.size());
    if (FShadow) {
        const int d = FShadowDown ? 1 : -1;
        RECT shadow{rect.left + d, rect.top + d, rect.right + d, rect.bottom + d};
        SetTextColor(dc, ColorToRGB(FShadowColor));
        DrawText932(dc, text.c_str(), length, &shadow, format);
    }
    SetTextColor(dc, ColorToRGB(FCanvas.Font.Color()));
    DrawText932(dc, text.c_str(), length, &rect, format);
}

void TtesLabel::FitToText() {
    if (IsLoading() || !FAutoSize) return;
    RECT rect = ClientRect();
    HDC dc = GetDC(nullptr);
    FCanvas.SetHandle(dc);
    DrawCaption(rect, DT_EXPANDTABS | DT_CALCRECT | (FWordWrap ? DT_WORDBREAK : 0));
    FCanvas.SetHandle(nullptr);
    ReleaseDC(nullptr, dc);
    int x = FLeft;
    // A right-aligned label keeps its right edge.
    if (FAlignment == taRightJustify) x += FWidth - rect.right;
    SetBounds(x, FTop, rect.right, rect.bottom);
}

void TtesLabel::SetFocusControl(TWinControl* control) {
    FFocusControl = control;
    if (control) control->FreeNotification(this);
}

void TtesLabel::SetAlignment(TAlignment alignment) {
    if (alignment == FAlignment) return;
    FAlignment = alignment;
    Invalidate();
}

void TtesLabel::SetAutoSize(bool autoSize) {
    if (autoSize == FAutoSize) return;
    FAutoSize = autoSize;
    FitToText();
}

void TtesLabel::SetWordWrap(bool wordWrap) {
    if (wordWrap == FWordWrap) return;
    FWordWrap = wordWrap;
    // The line breaks change even when the bounds stay as they are.
    Invalidate();
    FitToText();
}

void TtesLabel::SetShowAccelChar(bool show) {
    if (show == FShowAccelChar) return;
    FShowAccelChar = show;
    Invalidate();
}

void TtesLabel::SetTransparent(bool transparent) {
    if (transparent == Transparent()) return;
    if (transparent) FControlStyle &= ~csOpaque;
    else FControlStyle |= csOpaque;
    Invalidate();
}

void TtesLabel::SetShadow(bool shadow) {
    if (shadow == FShadow) return;
    FShadow = shadow;
    Invalidate();
}

void TtesLabel::SetShadowdown(bool down) {
    if (down == FShadowDown) return;
    FShadowDown = down;
    Invalidate();
}

void TtesLabel::SetShadowColor(TColor color) {
    if (color == FShadowColor) return;
    FShadowColor = color;
    Invalidate();
}

bool TtesLabel::DialogChar(char ch) {
    if (!FFocusControl || !FEnabled || !FShowAccelChar) return false;
    // The accelerator is the character after the first "&" that does not start
    // a "&&" pair: the one that is drawn underlined ("&&" draws a plain "&").
    const std::string& caption = FText;
    size_t amp = caption.find('&');
    while (amp != std::string::npos && amp + 1 < caption.size() && caption[amp + 1] == '&')
        amp = caption.find('&', amp + 2);
    if (amp == std::string::npos || amp + 1 >= caption.size()) return false;
    const std::wstring key = WideFrom932(&caption[amp + 1], 1), typed = WideFrom932(&ch, 1);
    if (CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, key.data(), static_cast<int>(key.size()), typed.data(),
                       static_cast<int>(typed.size())) != CSTR_EQUAL)
        return false;
    if (!FFocusControl->CanFocus()) return false;
    FFocusControl->SetFocus();
    return true;
}

} // namespace vcl
