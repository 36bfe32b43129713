#pragma once
// What every knob-like control shares: a vertical drag changes the value by
// drag distance / drag length / gearing (ten times finer with Ctrl or Shift),
// clamped to 0..1 and snapped to the parameter's step; the wheel moves it by
// 0.01 a notch (0.001 fine), or by one step for a stepped parameter.

#include "toolkit/Control.h"

namespace tolvane {

inline constexpr float kDefaultGearing = 4.f;
inline constexpr float kFineFactor = 10.f;
inline constexpr double kWheelStep = 0.01;
inline constexpr double kWheelStepFine = 0.001;

class KnobControlBase : public Control {
public:
    KnobControlBase(const Rect& bounds, int paramIdx, float gearing = kDefaultGearing);

    void OnMouseDown(float x, float y, const MouseModifiers& mod) override;
    void OnMouseUp(float x, float y, const MouseModifiers& mod) override;
    void OnMouseDrag(float x, float y, float dX, float dY, const MouseModifiers& mod) override;
    void OnMouseWheel(float x, float y, const MouseModifiers& mod, float d) override;

    float GetGearing() const { return gearing_; }
    void SetGearing(float gearing) { gearing_ = gearing; }
    bool IsDragging() const { return dragging_; }

protected:
    // The drag distance that moves the value by 1 / gearing.
    virtual float DragLength() const { return GetRect().H(); }
    // Upward drag raises the value; horizontal controls override this.
    virtual float DragDelta(float dX, float dY) const {
        (void)dX;
        return -dY;
    }
    virtual bool HidesCursor() const { return true; }
    // Sets a new value and tells the plug-in when it actually changed.
    void ChangeValue(double normalised);

private:
    float gearing_;
    double dragValue_ = 0.0; // unsnapped, so slow drags still reach the next step
    bool dragging_ = false;
};

} // namespace tolvane
