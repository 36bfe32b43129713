#include "toolkit/BitmapControls.h"

#include "toolkit/Painting.h"

#include <QPainter>

#include <cmath>

namespace tolvane {

// ---- IBitmapControl -------------------------------------------------------------

IBitmapControl::IBitmapControl(float x, float y, const IBitmap& bitmap, int paramIdx)
    : IControl(Rect(x, y, x + bitmap.FW(), y + bitmap.FH()), paramIdx), bitmap_(bitmap) {}

void IBitmapControl::Draw(QPainter& p) {
    DrawBitmapFrame(p, bitmap_, GetRect(), int(std::lround(GetValue() * (bitmap_.N() - 1))));
}

// ---- IBButtonControl ----------------------------------------------------------------

IBButtonControl::IBButtonControl(float x, float y, const IBitmap& bitmap, IActionFunction onAction)
    : IControl(Rect(x, y, x + bitmap.FW(), y + bitmap.FH()), kNoParameter, std::move(onAction)),
      bitmap_(bitmap) {}

void IBButtonControl::Draw(QPainter& p) {
    DrawBitmapFrame(p, bitmap_, GetRect(), GetValue() > 0.5 ? 1 : 0);
}

void IBButtonControl::OnMouseDown(float, float, const IMouseMod&) {
    pressed_ = true;
    MarkDirty(true);
}

void IBButtonControl::OnMouseUp(float, float, const IMouseMod&) {
    pressed_ = false;
    MarkDirty(true);
}

// ---- IBKnobRotaterControl ----------------------------------------------------------

IBKnobRotaterControl::IBKnobRotaterControl(const Rect& rect, const IBitmap& bitmap, int paramIdx)
    : IKnobControlBase(rect.CentredInside(bitmap.FW(), bitmap.FH()), paramIdx), bitmap_(bitmap) {}

Rect IBKnobRotaterControl::DrawBounds() const {
    // A rotated square reaches out to its diagonal.
    const Rect r = GetRect();
    const float diagonal = std::sqrt(r.W() * r.W() + r.H() * r.H());
    return r.CentredInside(diagonal, diagonal);
}

void IBKnobRotaterControl::Draw(QPainter& p) {
    const Rect r = GetRect();
    p.translate(r.MW(), r.MH());
    p.rotate(AngleDegrees());
    DrawBitmapFrame(p, bitmap_, Rect(-r.W() / 2, -r.H() / 2, r.W() / 2, r.H() / 2), 0);
}

// ---- IBSliderControl ----------------------------------------------------------------

IBSliderControl::IBSliderControl(const Rect& track, const IBitmap& handle, int paramIdx)
    : IKnobControlBase(track, paramIdx), handle_(handle) {}

float IBSliderControl::DragLength() const {
    return GetRect().H() - handle_.FH();
}

Rect IBSliderControl::HandleRect() const {
    const Rect r = GetRect();
    const float travel = std::max(0.f, r.H() - handle_.FH());
    const float top = r.T + float(1.0 - GetValue()) * travel;
    return Rect(r.MW() - handle_.FW() / 2, top, r.MW() + handle_.FW() / 2, top + handle_.FH());
}

void IBSliderControl::Draw(QPainter& p) {
    DrawBitmapFrame(p, handle_, HandleRect(), 0);
}

} // namespace tolvane
