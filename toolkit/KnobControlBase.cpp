#include "toolkit/KnobControlBase.h"

#include "core/Param.h"
#include "toolkit/Canvas.h"

#include <algorithm>

namespace tolvane {

KnobControlBase::KnobControlBase(const Rect& bounds, int paramIdx, float gearing)
    : Control(bounds, paramIdx), gearing_(gearing) {}

void KnobControlBase::OnMouseDown(float, float, const MouseModifiers&) {
    dragging_ = true;
    dragValue_ = GetValue();
    if (HidesCursor() && GetCanvas()) GetCanvas()->HideMouseCursor(true);
    MarkDirty(false);
}

void KnobControlBase::OnMouseUp(float, float, const MouseModifiers&) {
    dragging_ = false;
    if (GetCanvas()) GetCanvas()->HideMouseCursor(false);
    MarkDirty(false);
}

void KnobControlBase::OnMouseDrag(float, float, float dX, float dY, const MouseModifiers& mod) {
    const float length = DragLength();
    if (length <= 0.f) return;
    const float gearing = mod.Fine() ? gearing_ * kFineFactor : gearing_;
    dragValue_ =
        std::clamp(dragValue_ + double(DragDelta(dX, dY)) / double(length) / double(gearing), 0.0, 1.0);
    ChangeValue(Snap(dragValue_));
}

void KnobControlBase::OnMouseWheel(float, float, const MouseModifiers& mod, float d) {
    if (d == 0.f) return;
    const Param* p = GetParam();
    double next;
    if (p && p->IsStepped()) {
        next = p->NormalFromValue(p->SnapAndClamp(p->ValueFromNormal(GetValue()) + d * p->Step()));
    } else {
        next = Snap(GetValue() + d * (mod.Fine() ? kWheelStepFine : kWheelStep));
    }
    dragValue_ = next;
    ChangeValue(next);
}

void KnobControlBase::ChangeValue(double normalised) {
    if (normalised == GetValue()) return;
    SetValue(normalised);
    MarkDirty(true);
}

} // namespace tolvane
