#include "pad/CaptionPlace.h"

#include <dwmapi.h>

#include <algorithm>

#include "framework/Platform.h"

namespace vcl {

namespace {

bool Inside(const RECT& outer, const RECT& inner) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

bool NotEmpty(const RECT& r) { return r.right > r.left && r.bottom > r.top; }

bool OfThisProcess(HWND wnd) {
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    return pid == GetCurrentProcessId();
}

// Windows copies the structure of WM_GETTITLEBARINFOEX into the target's
// process and back. Wine passes the pointer over as it is, so a program that
// answers the message itself would write into its own memory at that address;
// there only this program's own windows are asked (Wine's own frames report
// nothing anyway).
bool AskOtherProcesses() {
    static const bool wine = [] {
        HMODULE ntdll = GetModuleHandleA("ntdll.dll");
        return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
    }();
    return !wine;
}

} // namespace

bool CaptionButtonShown(const RECT& window, const RECT& button, DWORD state) {
    if (state & (STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN)) return false;
    // A greyed (unavailable) button is still drawn and still takes its room.
    return NotEmpty(button) && Inside(window, button);
}

CaptionSpaces CaptionReportSpaces(UINT systemDpi, UINT monitorDpi, UINT windowDpi) {
    CaptionSpaces spaces;
    if (systemDpi == 0 || monitorDpi == 0) return spaces;
    const bool windowAtOurs = windowDpi == systemDpi || (windowDpi == 0 && systemDpi == 96 && monitorDpi == 96);
    spaces.buttons = monitorDpi == systemDpi && windowAtOurs;
    spaces.frame = monitorDpi == systemDpi ? FrameUse::AsReported : FrameUse::Converted;
    return spaces;
}

PadPlace PlacePadOnCaption(const RECT& window, const CaptionReport& report, const CaptionMetrics& metrics,
                           int padWidth, int padHeight) {
    PadPlace place;
    const CaptionSpaces spaces = CaptionReportSpaces(report.systemDpi, report.monitorDpi, report.windowDpi);
    if (report.buttonsReported && spaces.buttons) {
        bool any = false;
        int leftmost = 0, rowTop = 0, rowBottom = 0;
        for (int i = 0; i < CaptionButtonCount; ++i) {
            const RECT& b = report.buttons[i];
            if (!CaptionButtonShown(window, b, report.buttonStates[i])) continue;
            if (!any) {
                leftmost = b.left;
                rowTop = b.top;
                rowBottom = b.bottom;
                any = true;
            } else {
                leftmost = std::min(leftmost, static_cast<int>(b.left));
                rowTop = std::min(rowTop, static_cast<int>(b.top));
                rowBottom = std::max(rowBottom, static_cast<int>(b.bottom));
            }
        }
        if (any) {
            place.left = leftmost - kCaptionButtonGap - padWidth;
            const int spare = (rowBottom - rowTop) - padHeight;
            place.top = rowTop + std::max(spare, 0) / 2;
            place.source = CaptionPlaceSource::Buttons;
            return place;
        }
    }
    if (report.hitButtonsFound && spaces.buttons && report.hitButtonsLeft > window.left &&
        report.hitButtonsLeft < window.right) {
        place.left = report.hitButtonsLeft - kCaptionButtonGap - padWidth;
        place.top = window.top + metrics.frameHeight;
        place.source = CaptionPlaceSource::HitTest;
        return place;
    }
    RECT frame = report.frame;
    bool frameUsable = report.frameReported && spaces.frame != FrameUse::Unused;
    if (frameUsable && spaces.frame == FrameUse::Converted) {
        // The frame's distances from the window's edges, in the monitor's
        // pixels, scaled as Windows scales the window rectangle for us.
        frameUsable = report.physicalWindowReported;
        const RECT& p = report.physicalWindow;
        const auto scaled = [&](LONG d) { return MulDiv(d, report.systemDpi, report.monitorDpi); };
        frame.left = window.left + scaled(report.frame.left - p.left);
        frame.top = window.top + scaled(report.frame.top - p.top);
        frame.right = window.right - scaled(p.right - report.frame.right);
        frame.bottom = window.bottom - scaled(p.bottom - report.frame.bottom);
    }
    RECT r = window;
    place.source = CaptionPlaceSource::WindowRect;
    if (frameUsable && NotEmpty(frame) && Inside(window, frame)) {
        r = frame;
        place.source = CaptionPlaceSource::ExtendedFrame;
    }
    place.left = r.right - padWidth - metrics.frameWidth - 3 * metrics.buttonWidth;
    place.top = r.top + metrics.frameHeight;
    return place;
}

namespace {

bool IsCaptionButton(LRESULT code) {
    return code == HTMINBUTTON || code == HTMAXBUTTON || code == HTCLOSE || code == HTHELP;
}

// The sizing border at the right edge, which the walk passes before the buttons.
bool IsRightBorder(LRESULT code) {
    return code == HTRIGHT || code == HTTOPRIGHT || code == HTBOTTOMRIGHT || code == HTBORDER;
}

} // namespace

int FindCaptionButtonsLeft(int left, int right, int step, const std::function<bool(int, LRESULT&)>& hit,
                           bool& failed) {
    failed = false;
    step = std::max(step, 1);
    // The border and four buttons take a few steps; a row that goes on
    // answering buttons or border past that is no caption the walk knows.
    constexpr int kMaxSteps = 16;
    int button = -1; // the leftmost button pixel seen so far
    int x = right - 1;
    for (int steps = 0;; x -= step, ++steps) {
        if (x < left || steps == kMaxSteps) return -1;
        LRESULT code = HTNOWHERE;
        if (!hit(x, code)) {
            failed = true;
            return -1;
        }
        if (IsCaptionButton(code)) button = x;
        else if (button >= 0 || !IsRightBorder(code)) break;
    }
    if (button < 0) return -1;
    // The edge lies between x (no button) and `button`.
    int outside = x;
    while (button - outside > 1) {
        const int mid = outside + (button - outside) / 2;
        LRESULT code = HTNOWHERE;
        if (!hit(mid, code)) {
            failed = true;
            return -1;
        }
        (IsCaptionButton(code) ? button : outside) = mid;
    }
    return button;
}

bool HitTestCaptionButtons(HWND target, const RECT& window, int row, int step, CaptionReport& report) {
    const DWORD start = GetTickCount();
    const auto hit = [&](int x, LRESULT& code) {
        const DWORD spent = GetTickCount() - start;
        if (spent >= kCaptionAskTimeoutMs) return false;
        DWORD_PTR result = HTNOWHERE;
        if (!SendMessageTimeoutA(target, WM_NCHITTEST, 0, MAKELPARAM(x, row), SMTO_ABORTIFHUNG | SMTO_BLOCK,
                                 kCaptionAskTimeoutMs - spent, &result))
            return false;
        code = static_cast<LRESULT>(result);
        return true;
    };
    bool failed = false;
    const int found = FindCaptionButtonsLeft(window.left, window.right, step, hit, failed);
    report.hitButtonsFound = found >= 0;
    report.hitButtonsLeft = found;
    return !failed;
}

CaptionMetrics ClassicCaptionMetrics(int frameWidth, int frameHeight, int buttonWidth) {
    // vantro.exe is linked for subsystem version 6.0 (see CMakeLists.txt). For
    // such a program Windows reports SM_CXFRAME and SM_CYFRAME without the
    // padded border that surrounds a sizing frame since Vista, and reports that
    // border separately as SM_CXPADDEDBORDER; an older subsystem version gets
    // it folded into SM_CXFRAME. Adding it here gives the same frame under both
    // (and nothing where the system reports no padded border, as Wine does).
    const int padded = std::max(platform::SystemMetric(SM_CXPADDEDBORDER), 0);
    CaptionMetrics m;
    m.frameWidth = frameWidth + padded;
    m.frameHeight = frameHeight + padded;
    m.buttonWidth = buttonWidth;
    return m;
}

CaptionReport AskCaption(HWND target, bool askButtons, CaptionAnswer& answer) {
    CaptionReport report;
    answer = askButtons ? CaptionAnswer::NotAsked : CaptionAnswer::Resting;
    const bool ownWindow = OfThisProcess(target);
    if (askButtons && (ownWindow || AskOtherProcesses())) {
        // On the heap: a window of this same process that answers after the
        // time-out writes into the structure late (only a send between
        // processes goes through a copy), so that structure is then left
        // allocated rather than reused.
        auto* info = new TITLEBARINFOEX{};
        info->cbSize = sizeof(TITLEBARINFOEX);
        DWORD_PTR result = 0;
        const LRESULT answered =
            SendMessageTimeoutA(target, WM_GETTITLEBARINFOEX, 0, reinterpret_cast<LPARAM>(info),
                                SMTO_ABORTIFHUNG | SMTO_BLOCK, kCaptionAskTimeoutMs, &result);
        if (answered) {
            answer = CaptionAnswer::Answered;
            report.buttonsReported = true;
            // rgrect and rgstate hold the minimize, maximize, help and close
            // buttons at indexes 2 to 5.
            for (int i = 0; i < CaptionButtonCount; ++i) {
                report.buttons[i] = info->rgrect[2 + i];
                report.buttonStates[i] = info->rgstate[2 + i];
            }
            delete info;
        } else {
            answer = CaptionAnswer::TimedOut;
            if (!ownWindow) delete info;
        }
    }

    RECT frame{};
    if (platform::DwmGetWindowAttribute(target, DWMWA_EXTENDED_FRAME_BOUNDS, &frame, sizeof(frame)) == S_OK) {
        report.frameReported = true;
        report.frame = frame;
    }
    // This program is system-DPI aware: its resolution is the screen's.
    static const UINT systemDpi = [] {
        HDC screen = GetDC(nullptr);
        const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
        ReleaseDC(nullptr, screen);
        return static_cast<UINT>(dpi > 0 ? dpi : 0);
    }();
    const platform::WindowDpi dpi = platform::QueryWindowDpi(target);
    report.systemDpi = systemDpi;
    report.monitorDpi = dpi.monitor;
    report.windowDpi = dpi.window;
    report.physicalWindowReported = dpi.physicalKnown;
    report.physicalWindow = dpi.physical;
    return report;
}

bool CaptionCache::Resting(HWND wnd, DWORD now) const {
    return FSlowWnd && wnd == FSlowWnd && now - FSlowSince < kSlowTargetPauseMs;
}

bool CaptionCache::Holds(HWND wnd, const RECT& window) const {
    return FPlaced && wnd == FWnd && EqualRect(&window, &FWindow);
}

CaptionCache::Step CaptionCache::Next(HWND wnd, const RECT& window, DWORD now) const {
    const bool resting = Resting(wnd, now);
    if (!Holds(wnd, window)) return resting ? Step::PlaceResting : Step::Ask;
    return FUnanswered && !resting ? Step::Ask : Step::Keep;
}

void CaptionCache::Placed(HWND wnd, const RECT& window, CaptionAnswer answer, const PadPlace& place, DWORD now) {
    FPlaced = true;
    FWnd = wnd;
    FWindow = window;
    FPlace = place;
    FUnanswered = answer == CaptionAnswer::TimedOut || answer == CaptionAnswer::Resting;
    if (answer == CaptionAnswer::TimedOut) {
        FSlowWnd = wnd;
        FSlowSince = now;
    } else if (answer == CaptionAnswer::Answered && wnd == FSlowWnd) {
        FSlowWnd = nullptr;
    }
}

bool PlaceOnCaption(CaptionCache& cache, HWND target, const RECT& window, const CaptionMetrics& metrics,
                    int padWidth, int padHeight, PadPlace& place) {
    const CaptionCache::Step step = cache.Next(target, window, static_cast<DWORD>(platform::TickCount()));
    if (step == CaptionCache::Step::Keep) return false;
    // A retry for the same window and rectangle moves the pad only when the
    // answer puts it elsewhere.
    const bool retry = cache.Holds(target, window);
    const PadPlace before = cache.LastPlace();
    CaptionAnswer answer;
    CaptionReport report = AskCaption(target, step == CaptionCache::Step::Ask, answer);
    place = PlacePadOnCaption(window, report, metrics, padWidth, padHeight);
    // No buttons reported (every window under Wine, where the formula's
    // metrics need not describe the buttons either): the window's hit-test
    // tells where they begin, on the row the formula puts the pad on. A
    // window that let the question time out is not asked again meanwhile.
    if (place.source != CaptionPlaceSource::Buttons &&
        (answer == CaptionAnswer::Answered || answer == CaptionAnswer::NotAsked) &&
        CaptionReportSpaces(report.systemDpi, report.monitorDpi, report.windowDpi).buttons) {
        const int row = window.top + metrics.frameHeight + padHeight / 2;
        if (!HitTestCaptionButtons(target, window, row, metrics.buttonWidth / 2, report))
            answer = CaptionAnswer::TimedOut;
        place = PlacePadOnCaption(window, report, metrics, padWidth, padHeight);
    }
    cache.Placed(target, window, answer, place, static_cast<DWORD>(platform::TickCount()));
    return !retry || place.left != before.left || place.top != before.top;
}

} // namespace vcl
