#include "framework/Graphics.h"

#include <cstddef>
#include <cstring>

namespace vcl {

const char* const DefaultFontName = "ＭＳ Ｐゴシック";

COLORREF ColorToRGB(TColor color) {
    if (color & clSystemColor) return GetSysColor(static_cast<int>(color & 0xFF));
    return static_cast<COLORREF>(color & 0xFFFFFF);
}

TFont::TFont() : FName(DefaultFontName), FHeight(-12), FColor(clWindowText), FCharset(DEFAULT_CHARSET) {}

TFont::~TFont() {
    if (FHandle) DeleteObject(FHandle);
}

void TFont::Changed() {
    // The old GDI font goes only after the listeners have let go of it (a canvas
    // deselects it, a system control is given the new one).
    HFONT old = FHandle;
    FHandle = nullptr;
    if (OnChange) OnChange();
    if (old) DeleteObject(old);
}

void TFont::SetName(const std::string& name) {
    if (name == FName) return;
    FName = name;
    Changed();
}

void TFont::SetHeight(int height) {
    if (height == FHeight) return;
    FHeight = height;
    Changed();
}

void TFont::SetStyle(unsigned style) {
    if (style == FStyle) return;
    FStyle = style;
    Changed();
}

void TFont::SetColor(TColor color) {
    if (color == FColor) return;
    FColor = color;
    Changed();
}

void TFont::SetCharset(BYTE charset) {
    if (charset == FCharset) return;
    FCharset = charset;
    Changed();
}

bool TFont::SameAs(const TFont& other) const {
    return FName == other.FName && FHeight == other.FHeight && FStyle == other.FStyle &&
           FColor == other.FColor && FCharset == other.FCharset;
}

void TFont::Assign(const TFont& other) {
    if (this == &other || SameAs(other)) return;
    FName = other.FName;
    FHeight = other.FHeight;
    FStyle = other.FStyle;
    FColor = other.FColor;
    FCharset = other.FCharset;
    Changed();
}

HFONT TFont::Handle() {
    if (!FHandle) {
        LOGFONTA lf{};
        lf.lfHeight = FHeight;
        lf.lfWeight = (FStyle & fsBold) ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = (FStyle & fsItalic) ? 1 : 0;
        lf.lfUnderline = (FStyle & fsUnderline) ? 1 : 0;
        lf.lfStrikeOut = (FStyle & fsStrikeOut) ? 1 : 0;
        lf.lfCharSet = FCharset;
        lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
        lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
        lf.lfQuality = DEFAULT_QUALITY;
        lf.lfPitchAndFamily = DEFAULT_PITCH;
        lstrcpynA(lf.lfFaceName, FName.c_str(), LF_FACESIZE);
        FHandle = CreateFont932(lf);
    }
    return FHandle;
}

TCanvas::TCanvas() {
    Font.OnChange = [this] {
        if (FDC && FOldFont) {
            SelectObject(FDC, FOldFont);
            FOldFont = nullptr;
        }
    };
}

TCanvas::~TCanvas() { SetHandle(nullptr); }

void TCanvas::Deselect() {
    if (!FDC) return;
    if (FOldFont) SelectObject(FDC, FOldFont);
    if (FOldBrush) SelectObject(FDC, FOldBrush);
    FOldFont = nullptr;
    FOldBrush = nullptr;
    if (FBrushHandle) {
        DeleteObject(FBrushHandle);
        FBrushHandle = nullptr;
    }
}

void TCanvas::SetHandle(HDC dc) {
    if (dc == FDC) return;
    Deselect();
    FDC = dc;
}

HDC TCanvas::Handle() {
    if (!FDC) return nullptr;
    // Select the current font and brush each time: either may have changed.
    HGDIOBJ old = SelectObject(FDC, Font.Handle());
    if (!FOldFont) FOldFont = old;
    HBRUSH brush;
    if (Brush.Style == bsClear) {
        brush = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
        SetBkMode(FDC, TRANSPARENT);
    } else {
        brush = CreateSolidBrush(ColorToRGB(Brush.Color));
        SetBkMode(FDC, OPAQUE);
        SetBkColor(FDC, ColorToRGB(Brush.Color));
    }
    old = SelectObject(FDC, brush);
    if (!FOldBrush) FOldBrush = old;
    if (FBrushHandle) DeleteObject(FBrushHandle);
    FBrushHandle = (Brush.Style == bsClear) ? nullptr : brush;
    return FDC;
}

void TCanvas::FillRect(const RECT& rect) {
    HDC dc = Handle();
    if (!dc || Brush.Style == bsClear) return;
    ::FillRect(dc, &rect, FBrushHandle);
}

SIZE TCanvas::TextExtent(const std::string& text) {
    SIZE size{0, 0};
    HDC dc = Handle();
    if (dc) size = TextExtent932(dc, text);
    return size;
}

std::wstring WideFromCodePage(const char* text, int length, unsigned codePage) {
    if (length <= 0) return std::wstring();
    const int n = MultiByteToWideChar(codePage, 0, text, length, nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, text, length, &wide[0], n);
    return wide;
}

int DrawText932(HDC dc, const char* text, int length, RECT* rect, UINT format) {
    if (length < 0) length = text ? lstrlenA(text) : 0;
    std::wstring wide = WideFrom932(text, length);
    // DT_MODIFYSTRING may write into the buffer: it is this function's own copy.
    return DrawTextW(dc, &wide[0], static_cast<int>(wide.size()), rect, format);
}

SIZE TextExtent932(HDC dc, const std::string& text) {
    SIZE size{0, 0};
    const std::wstring wide = WideFrom932(text);
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    return size;
}

HFONT CreateFont932(const LOGFONTA& font) {
    LOGFONTW wide{};
    static_assert(offsetof(LOGFONTA, lfFaceName) == offsetof(LOGFONTW, lfFaceName),
                  "the two LOGFONTs share their numeric fields");
    memcpy(&wide, &font, offsetof(LOGFONTA, lfFaceName));
    const std::wstring face = WideFrom932(font.lfFaceName, lstrlenA(font.lfFaceName));
    lstrcpynW(wide.lfFaceName, face.c_str(), LF_FACESIZE);
    return CreateFontIndirectW(&wide);
}

} // namespace vcl
