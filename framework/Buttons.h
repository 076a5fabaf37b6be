// The speed button: a windowless toggle button with group semantics.
#pragma once

#include "framework/Controls.h"

namespace vcl {

class TSpeedButton : public TGraphicControl {
public:
    explicit TSpeedButton(TComponent* owner);

    bool Down() const { return FDown; }
    // Never raises OnClick. With GroupIndex 0 a button cannot stay down; a down
    // button whose group does not allow all up stays down.
    void SetDown(bool down);
    int GroupIndex() const { return FGroupIndex; }
    // Never raises OnClick; joining a group releases a down member silently.
    void SetGroupIndex(int index);
    bool AllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool allow);

    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseCaptureLost() override;

    // Face state: up, pressed while the mouse holds it, or latched down.
    enum State { stUp, stPressed, stLatched };
    State FaceState() const { return FState; }

private:
    // Tells the siblings of the same group that this button went down.
    void UpdateExclusive();
    void ButtonPressed(TSpeedButton* sender);

    bool FDown = false;
    int FGroupIndex = 0;
    bool FAllowAllUp = false;
    bool FDragging = false;
    State FState = stUp;
};

} // namespace vcl
