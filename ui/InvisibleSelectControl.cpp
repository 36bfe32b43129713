#include "ui/InvisibleSelectControl.h"

namespace tolvane {

InvisibleSelectControl::InvisibleSelectControl(const Rect& bounds, int paramIdx)
    : Control(bounds, paramIdx) {}

void InvisibleSelectControl::Select(float y, int kind, const MouseModifiers& mod, bool wheelUp) {
    event_.kind = kind;
    event_.modifier = mod.S ? SelectEvent::Shift : mod.C ? SelectEvent::Ctrl : SelectEvent::None;
    event_.wheelUp = wheelUp;
    const Rect r = GetRect();
    SetValue(r.H() > 0.f ? (y - r.T) / r.H() : 0.0);
    MarkDirty(true);
}

void InvisibleSelectControl::OnMouseDown(float, float y, const MouseModifiers& mod) {
    Select(y, SelectEvent::Press, mod);
}

void InvisibleSelectControl::OnMouseUp(float, float y, const MouseModifiers& mod) {
    Select(y, SelectEvent::Release, mod);
}

void InvisibleSelectControl::OnMouseDrag(float, float y, float, float, const MouseModifiers& mod) {
    Select(y, SelectEvent::Drag, mod);
}

void InvisibleSelectControl::OnMouseDblClick(float, float y, const MouseModifiers& mod) {
    Select(y, SelectEvent::DoubleClick, mod);
}

void InvisibleSelectControl::OnMouseWheel(float, float y, const MouseModifiers& mod, float d) {
    if (d != 0.f) Select(y, SelectEvent::Wheel, mod, d > 0.f);
}

} // namespace tolvane
