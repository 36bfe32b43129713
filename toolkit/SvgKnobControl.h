#pragma once
// A knob drawn from a vector image rotated from −135° to +135° with its value.

#include "toolkit/Bitmap.h"
#include "toolkit/KnobControlBase.h"

namespace tolvane {

class SvgKnobControl : public KnobControlBase {
public:
    SvgKnobControl(const Rect& bounds, const SvgImage& svg, int paramIdx);
    void Draw(QPainter& p) override;
    Rect DrawBounds() const override;
    double AngleDegrees() const { return -135.0 + GetValue() * 270.0; }

private:
    SvgImage svg_;
};

} // namespace tolvane
