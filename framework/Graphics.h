// Colours, fonts, brushes and the canvas that controls draw on.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "framework/Classes.h"

namespace vcl {

// Either an RGB value (red in the low byte) or a system colour: top bit set,
// the system colour index in the low byte.
using TColor = unsigned int;

constexpr TColor clSystemColor = 0x80000000u;
constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clNavy = 0x800000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clScrollBar = clSystemColor | COLOR_SCROLLBAR;
constexpr TColor clActiveCaption = clSystemColor | COLOR_ACTIVECAPTION;
constexpr TColor clInactiveCaption = clSystemColor | COLOR_INACTIVECAPTION;
constexpr TColor clWindow = clSystemColor | COLOR_WINDOW;
constexpr TColor clWindowText = clSystemColor | COLOR_WINDOWTEXT;
constexpr TColor clBtnFace = clSystemColor | COLOR_BTNFACE;
constexpr TColor clBtnShadow = clSystemColor | COLOR_BTNSHADOW;
constexpr TColor clBtnHighlight = clSystemColor | COLOR_BTNHIGHLIGHT;
constexpr TColor clBtnText = clSystemColor | COLOR_BTNTEXT;
constexpr TColor clGrayText = clSystemColor | COLOR_GRAYTEXT;
constexpr TColor cl3DDkShadow = clSystemColor | COLOR_3DDKSHADOW;
constexpr TColor cl3DLight = clSystemColor | COLOR_3DLIGHT;

// Resolves a system colour to its current RGB value; RGB values pass unchanged.
COLORREF ColorToRGB(TColor color);

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

// A font description. Every change runs OnChange; the GDI font is made on demand.
class TFont {
public:
    TFont();
    ~TFont();
    TFont(const TFont&) = delete;
    TFont& operator=(const TFont&) = delete;

    const std::string& Name() const { return FName; }
    void SetName(const std::string& name);
    // Negative: character height in pixels; positive: cell height.
    int Height() const { return FHeight; }
    void SetHeight(int height);
    unsigned Style() const { return FStyle; }
    void SetStyle(unsigned style);
    TColor Color() const { return FColor; }
    void SetColor(TColor color);
    BYTE Charset() const { return FCharset; }
    void SetCharset(BYTE charset);

    // Copies every attribute; runs OnChange once when anything differed.
    void Assign(const TFont& other);
    bool SameAs(const TFont& other) const;

    HFONT Handle();

    std::function<void()> OnChange;

private:
    void Changed();
    std::string FName;
    int FHeight;
    unsigned FStyle = 0;
    TColor FColor;
    BYTE FCharset;
    HFONT FHandle = nullptr;
};

enum TBrushStyle { bsSolid, bsClear };

struct TBrush {
    TColor Color = clWhite;
    TBrushStyle Style = bsSolid;
};

// A drawing surface bound to a device context only while it paints or measures.
class TCanvas {
public:
    TCanvas();
    ~TCanvas();
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    TFont Font;
    TBrush Brush;

    // Binds (or with nullptr unbinds) a device context. The canvas does not own it.
    void SetHandle(HDC dc);
    bool HandleAllocated() const { return FDC != nullptr; }
    // The bound context with the canvas's font and brush selected into it.
    HDC Handle();

    void FillRect(const RECT& rect);
    SIZE TextExtent(const std::string& text);
    int TextWidth(const std::string& text) { return TextExtent(text).cx; }
    int TextHeight(const std::string& text) { return TextExtent(text).cy; }

private:
    void Deselect();
    HDC FDC = nullptr;
    HGDIOBJ FOldFont = nullptr;
    HBRUSH FBrushHandle = nullptr;
    HGDIOBJ FOldBrush = nullptr;
};

// Default face of new fonts: the UI font of Japanese Windows.
extern const char* const DefaultFontName;

// Text that the program draws or measures itself goes to GDI in UTF-16,
// converted from code page 932. The program's "A" calls of windows, menus and
// message boxes follow its own code page (932, from its manifest, whatever the
// system's), but GDI's "A" calls convert with the system's code page: on an
// English or Chinese system, or with Windows' UTF-8 option, they would draw,
// measure and look up fonts by the wrong characters.
std::wstring WideFromCodePage(const char* text, int length, unsigned codePage);
inline std::wstring WideFrom932(const char* text, int length) { return WideFromCodePage(text, length, 932); }
inline std::wstring WideFrom932(const std::string& text) {
    return WideFrom932(text.data(), static_cast<int>(text.size()));
}
// DrawTextA, GetTextExtentPoint32A and CreateFontIndirectA for code page 932 text.
int DrawText932(HDC dc, const char* text, int length, RECT* rect, UINT format);
inline int DrawText932(HDC dc, const std::string& text, RECT* rect, UINT format) {
    return DrawText932(dc, text.data(), static_cast<int>(text.size()), rect, format);
}
SIZE TextExtent932(HDC dc, const std::string& text);
HFONT CreateFont932(const LOGFONTA& font);

} // namespace vcl
