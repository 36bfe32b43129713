#include "ui/InvisibleSelectControl3.h"

namespace tolvane {

IInvisibleSelectControl3::IInvisibleSelectControl3(const Rect& bounds, int paramIdx)
    : IControl(bounds, paramIdx) {}

void IInvisibleSelectControl3::Select(float y, int kind, const IMouseMod& mod, bool wheelUp) {
    event_.kind = kind;
    event_.modifier = mod.S ? SelectEvent::Shift : mod.C ? SelectEvent::Ctrl : SelectEvent::None;
    event_.wheelUp = wheelUp;
    const Rect r = GetRect();
    SetValue(r.H() > 0.f ? (y - r.T) / r.H() : 0.0);
    MarkDirty(true);
}

void IInvisibleSelectControl3::OnMouseDown(float, float y, const IMouseMod& mod) {
    Select(y, SelectEvent::Press, mod);
}

void IInvisibleSelectControl3::OnMouseUp(float, float y, const IMouseMod& mod) {
    Select(y, SelectEvent::Release, mod);
}

void IInvisibleSelectControl3::OnMouseDrag(float, float y, float, float, const IMouseMod& mod) {
    Select(y, SelectEvent::Drag, mod);
}

void IInvisibleSelectControl3::OnMouseDblClick(float, float y, const IMouseMod& mod) {
    Select(y, SelectEvent::DoubleClick, mod);
}

void IInvisibleSelectControl3::OnMouseWheel(float, float y, const IMouseMod& mod, float d) {
    if (d != 0.f) Select(y, SelectEvent::Wheel, mod, d > 0.f);
}

} // namespace tolvane
