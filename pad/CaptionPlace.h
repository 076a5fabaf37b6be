// Where the docked pad goes on a target window's caption bar.
//
// The pad sits just left of the target's caption buttons. Windows 10 and 11
// draw captions whose buttons the system metrics do not describe (wider
// buttons, a taller caption, invisible resize borders inside the window
// rectangle), so the target is first asked where its buttons are. What it
// reports is gathered by AskCaption; PlacePadOnCaption decides, without
// touching any window.
#pragma once

#include <windows.h>

namespace vcl {

// Caption buttons as WM_GETTITLEBARINFOEX reports them, in its order.
enum CaptionButton { cbMinimize, cbMaximize, cbHelp, cbClose, CaptionButtonCount };

// What a target window (and the desktop window manager) reported about it.
struct CaptionReport {
    // The window answered WM_GETTITLEBARINFOEX in time.
    bool buttonsReported = false;
    // Screen rectangles and accessibility states (STATE_SYSTEM_*) of the
    // minimize, maximize, help and close buttons.
    RECT buttons[CaptionButtonCount]{};
    DWORD buttonStates[CaptionButtonCount]{};
    // DWMWA_EXTENDED_FRAME_BOUNDS: the visible frame, without the invisible
    // resize borders that the window rectangle includes.
    bool frameReported = false;
    RECT frame{};
};

// The system metrics of the classic formula.
struct CaptionMetrics {
    int frameWidth = 0;   // the sizing frame's width, padded border included
    int frameHeight = 0;  // the sizing frame's height, padded border included
    int buttonWidth = 0;  // SM_CXSIZE
};

// Which of the reports placed the pad.
enum class CaptionPlaceSource { Buttons, ExtendedFrame, WindowRect };

struct PadPlace {
    int left = 0;
    int top = 0;
    CaptionPlaceSource source = CaptionPlaceSource::WindowRect;
};

// Room left between the pad's right edge and the leftmost caption button.
constexpr int kCaptionButtonGap = 2;

// The pad's top-left corner on the caption of a window whose window rectangle
// is `window`, for a pad of padWidth × padHeight:
// - when the report holds at least one visible caption button inside the
//   window, the pad's right edge is kCaptionButtonGap left of the leftmost such
//   button and the pad is centred on the buttons' row (top-aligned with it when
//   the row is lower than the pad);
// - otherwise, when the visible frame was reported (and lies inside the
//   window), the classic formula applied to that frame;
// - otherwise the classic formula on the window rectangle:
//   left = right − padWidth − frameWidth − 3·buttonWidth, top = top + frameHeight.
PadPlace PlacePadOnCaption(const RECT& window, const CaptionReport& report, const CaptionMetrics& metrics,
                           int padWidth, int padHeight);

// True when a reported button takes room on the caption: neither invisible nor
// off-screen, not empty, and inside the window rectangle.
bool CaptionButtonShown(const RECT& window, const RECT& button, DWORD state);

// Asks `target` for its caption buttons (WM_GETTITLEBARINFOEX, at most
// kCaptionAskTimeoutMs, never waiting on a hung window) and the desktop window
// manager for its visible frame (through the platform seam). A window that let
// the question time out is not asked again for kSlowTargetPauseMs, so that a
// slow program moved around costs the pad nothing. Under Wine, which does not
// carry the message's structure between processes, only the program's own
// windows are asked.
CaptionReport AskCaption(HWND target);
constexpr UINT kCaptionAskTimeoutMs = 50;
constexpr DWORD kSlowTargetPauseMs = 3000;

// The classic formula's metrics from the pad's stored SM_CXFRAME, SM_CYFRAME
// and SM_CXSIZE, with the padded border added (see CaptionPlace.cpp).
CaptionMetrics ClassicCaptionMetrics(int frameWidth, int frameHeight, int buttonWidth);

} // namespace vcl
