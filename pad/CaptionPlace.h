// Where the docked pad goes on a target window's caption bar.
//
// The pad sits just left of the target's caption buttons. Windows 10 and 11
// draw captions whose buttons the system metrics do not describe (wider
// buttons, a taller caption, invisible resize borders inside the window
// rectangle), so the target is first asked where its buttons are. What it
// reports is gathered by AskCaption; PlacePadOnCaption decides where the pad
// goes and CaptionCache when to ask again, both without touching any window.
// A window that reports no buttons (every window under Wine) is asked with its
// own non-client hit-test where its buttons begin (HitTestCaptionButtons).
#pragma once

#include <windows.h>

#include <functional>

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
    // The resolutions the reports were made at (pixels per inch, 0 where the
    // system cannot say): this program's (the system's), the target's monitor
    // and the target window (see CaptionReportSpaces). The pad's coordinates,
    // and the window rectangle it is handed, are at the system's resolution.
    UINT systemDpi = 96;
    UINT monitorDpi = 96;
    UINT windowDpi = 96;
    // The window rectangle in the monitor's own pixels, as the frame is.
    bool physicalWindowReported = false;
    RECT physicalWindow{};
    // Where the leftmost caption button begins on the caption's row, as the
    // window's own hit-test (WM_NCHITTEST) answers, in its coordinates (the
    // reported buttons' space); asked only when no button was reported.
    bool hitButtonsFound = false;
    int hitButtonsLeft = 0;
};

// How the visible frame is used.
enum class FrameUse {
    AsReported, // in this program's coordinates already
    Converted,  // in the monitor's own pixels: its distances from the window
                // rectangle's edges are scaled by system / monitor resolution
    Unused,
};

// Which reports are in this program's coordinates:
// - the visible frame is always in the monitor's own pixels, which are this
//   program's coordinates on a monitor at the system's resolution; on another
//   monitor Windows scales what this program sees (the window rectangle) by
//   system / monitor resolution, and the frame is converted alike;
// - the caption buttons come in the answering window's own coordinates: they
//   are used only when both its monitor and the window itself run at the
//   system's resolution. A window of unknown resolution counts as such only on
//   a system and monitor at 96, where every window runs at 96.
// An unknown monitor resolution (0) leaves both unused.
struct CaptionSpaces {
    bool buttons = false;
    FrameUse frame = FrameUse::Unused;
};
CaptionSpaces CaptionReportSpaces(UINT systemDpi, UINT monitorDpi, UINT windowDpi);

// The system metrics of the classic formula.
struct CaptionMetrics {
    int frameWidth = 0;   // the sizing frame's width, padded border included
    int frameHeight = 0;  // the sizing frame's height, padded border included
    int buttonWidth = 0;  // SM_CXSIZE
};

// Which of the reports placed the pad.
enum class CaptionPlaceSource { Buttons, HitTest, ExtendedFrame, WindowRect };

struct PadPlace {
    int left = 0;
    int top = 0;
    CaptionPlaceSource source = CaptionPlaceSource::WindowRect;
};

// Room left between the pad's right edge and the leftmost caption button.
constexpr int kCaptionButtonGap = 2;

// The pad's top-left corner on the caption of a window whose window rectangle
// is `window`, for a pad of padWidth × padHeight, from the reports that
// CaptionReportSpaces lets through:
// - when the report holds at least one visible caption button inside the
//   window, the pad's right edge is kCaptionButtonGap left of the leftmost such
//   button and the pad is centred on the buttons' row (top-aligned with it when
//   the row is lower than the pad);
// - otherwise, when the hit-test found the buttons (in the same space as
//   reported buttons, and inside the window), the pad's right edge is
//   kCaptionButtonGap left of where they begin, its top that of the formula;
// - otherwise, when the visible frame was reported (and lies inside the
//   window, converted where it has to be), the classic formula applied to that
//   frame;
// - otherwise the classic formula on the window rectangle:
//   left = right − padWidth − frameWidth − 3·buttonWidth, top = top + frameHeight.
PadPlace PlacePadOnCaption(const RECT& window, const CaptionReport& report, const CaptionMetrics& metrics,
                           int padWidth, int padHeight);

// True when a reported button takes room on the caption: neither invisible nor
// off-screen, not empty, and inside the window rectangle.
bool CaptionButtonShown(const RECT& window, const RECT& button, DWORD state);

// Where the run of caption buttons that ends at a window's right edge begins
// on one row, from the window's hit-test answers: `hit(x, code)` asks for the
// code at x on the row and returns false when no answer came. Walks leftwards
// from right − 1 in steps of `step` past the sizing border and the buttons
// (minimize, maximize, help, close) to the first other answer, then narrows
// the edge down to the pixel, in a bounded number of questions. Returns the
// leftmost button pixel, or -1 when the row holds no button there, the walk
// finds no end to the buttons, or an answer failed (`failed` is then set).
int FindCaptionButtonsLeft(int left, int right, int step, const std::function<bool(int, LRESULT&)>& hit,
                           bool& failed);

// How the caption buttons of a placing were learnt.
enum class CaptionAnswer {
    Answered, // the window answered in time
    TimedOut, // it let the question time out (or hangs)
    Resting,  // not asked: it timed out a moment ago
    NotAsked, // not asked: it cannot be (another process, under Wine)
};

// Asks `target` for its caption buttons, when `askButtons` (WM_GETTITLEBARINFOEX,
// at most kCaptionAskTimeoutMs, never waiting on a hung window), and, through
// the platform seam, the desktop window manager for its visible frame and the
// system for the resolutions of the window and its monitor. Under Wine, which
// does not carry the message's structure between processes, only the
// program's own windows are asked.
CaptionReport AskCaption(HWND target, bool askButtons, CaptionAnswer& answer);
constexpr UINT kCaptionAskTimeoutMs = 50;
constexpr DWORD kSlowTargetPauseMs = 3000;

// Asks `target`'s hit-test (FindCaptionButtonsLeft) on the screen row `row`
// of its window rectangle `window`, in steps of `step`. All the questions
// together wait at most kCaptionAskTimeoutMs, never on a hung window. Under
// Wine a window's hit-test is answered across processes, where the reported
// buttons are not. False when the time ran out or a question was not answered.
bool HitTestCaptionButtons(HWND target, const RECT& window, int row, int step, CaptionReport& report);

// When the pad is placed anew and its target asked. A placing is kept for its
// window and window rectangle (two maximized windows share a rectangle, not
// their captions). A window that let the question time out is not asked again
// for kSlowTargetPauseMs, so that a slow program moved around costs the pad
// nothing; once the pause is over, a placing that got no answer (it timed out,
// or was made during the pause) is asked for again. Pure: the window handle is
// only a key.
class CaptionCache {
public:
    enum class Step {
        Keep,          // the last placing stands
        PlaceResting,  // place anew without asking the window
        Ask,           // place anew, asking the window
    };
    Step Next(HWND wnd, const RECT& window, DWORD now) const;
    // A placing was made; `now` is taken after the question.
    void Placed(HWND wnd, const RECT& window, CaptionAnswer answer, const PadPlace& place, DWORD now);
    // The last placing, when it was for this window and rectangle.
    bool Holds(HWND wnd, const RECT& window) const;
    const PadPlace& LastPlace() const { return FPlace; }

private:
    bool Resting(HWND wnd, DWORD now) const;
    HWND FWnd = nullptr;
    RECT FWindow{};
    bool FPlaced = false;
    bool FUnanswered = false;
    PadPlace FPlace;
    HWND FSlowWnd = nullptr;
    DWORD FSlowSince = 0;
};

// One poll's placing on `target`, as `cache` says. True when the pad must be
// put at `place` (a new window or rectangle, or a retry that found another
// place); false when it stays where it is.
bool PlaceOnCaption(CaptionCache& cache, HWND target, const RECT& window, const CaptionMetrics& metrics,
                    int padWidth, int padHeight, PadPlace& place);

// The classic formula's metrics from the pad's stored SM_CXFRAME, SM_CYFRAME
// and SM_CXSIZE, with the padded border added (see CaptionPlace.cpp).
CaptionMetrics ClassicCaptionMetrics(int frameWidth, int frameHeight, int buttonWidth);

} // namespace vcl
