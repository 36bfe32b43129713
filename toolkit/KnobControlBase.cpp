#include "toolkit/KnobControlBase.h"

#include "core/IParam.h"
#include "toolkit/IGraphics.h"

#include <algorithm>

namespace tolvane {

IKnobControlBase::IKnobControlBase(const Rect& bounds, int paramIdx, float gearing)
    : IControl(bounds, paramIdx), gearing_(gearing) {}

void IKnobControlBase::OnMouseDown(float, float, const IMouseMod&) {
    dragging_ = true;
    dragValue_ = GetValue();
    if (HidesCursor() && GetUI()) GetUI()->HideMouseCursor(true);
    MarkDirty(false);
}

void IKnobControlBase::OnMouseUp(float, float, const IMouseMod&) {
    dragging_ = false;
    if (GetUI()) GetUI()->HideMouseCursor(false);
    MarkDirty(false);
}

void IKnobControlBase::OnMouseDrag(float, float, float dX, float dY, const IMouseMod& mod) {
    const float length = DragLength();
    if (length <= 0.f) return;
    const float gearing = mod.Fine() ? gearing_ * kFineFactor : gearing_;
    dragValue_ =
        std::clamp(dragValue_ + double(DragDelta(dX, dY)) / double(length) / double(gearing), 0.0, 1.0);
    ChangeValue(Snap(dragValue_));
}

void IKnobControlBase::OnMouseWheel(float, float, const IMouseMod& mod, float d) {
    if (d == 0.f) return;
    const IParam* p = GetParam();
    double next;
    if (p && p->IsStepped()) {
        next = p->NormalFromValue(p->SnapAndClamp(p->ValueFromNormal(GetValue()) + d * p->Step()));
    } else {
        next = Snap(GetValue() + d * (mod.Fine() ? kWheelStepFine : kWheelStep));
    }
    dragValue_ = next;
    ChangeValue(next);
}

void IKnobControlBase::ChangeValue(double normalised) {
    if (normalised == GetValue()) return;
    SetValue(normalised);
    MarkDirty(true);
}

} // namespace tolvane
