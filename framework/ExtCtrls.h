// Panels and timers.
#pragma once

#include "framework/Controls.h"

namespace vcl {

enum TBevelCut { bvNone, bvLowered, bvRaised };

// A windowed container that paints a bevel and a centred caption.
class TPanel : public TWinControl {
public:
    explicit TPanel(TComponent* owner);
    ~TPanel() override;

    // Shows the panel's hint (Hint, ShowHint) while the mouse rests on it.
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    TBevelCut BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TBevelCut bevel);

protected:
    void PaintWindow(HDC dc) override;

private:
    TBevelCut FBevelOuter = bvRaised;
};

// Runs OnTimer every Interval milliseconds while enabled.
class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* owner);
    ~TTimer() override;

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool enabled);
    unsigned Interval() const { return FInterval; }
    void SetInterval(unsigned interval);
    void Loaded() override;

    TNotifyEvent OnTimer;

    // Runs one tick (the window procedure of the timer window calls this).
    void Timer();

private:
    void UpdateTimer();
    bool FEnabled = true;
    unsigned FInterval = 1000;
    bool FRunning = false;
};

} // namespace vcl
