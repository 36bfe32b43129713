#include "toolkit/BitmapControls.h"

#include "toolkit/Painting.h"

#include <QPainter>

#include <cmath>

namespace tolvane {

// ---- BitmapControl -------------------------------------------------------------

BitmapControl::BitmapControl(float x, float y, const Bitmap& bitmap, int paramIdx)
    : Control(Rect(x, y, x + bitmap.FW(), y + bitmap.FH()), paramIdx), bitmap_(bitmap) {}

void BitmapControl::Draw(QPainter& p) {
    DrawBitmapFrame(p, bitmap_, GetRect(), int(std::lround(GetValue() * (bitmap_.N() - 1))));
}

// ---- BitmapButtonControl ----------------------------------------------------------------

BitmapButtonControl::BitmapButtonControl(float x, float y, const Bitmap& bitmap, ControlAction onAction)
    : Control(Rect(x, y, x + bitmap.FW(), y + bitmap.FH()), kNoParam, std::move(onAction)),
      bitmap_(bitmap) {}

void BitmapButtonControl::Draw(QPainter& p) {
    DrawBitmapFrame(p, bitmap_, GetRect(), GetValue() > 0.5 ? 1 : 0);
}

void BitmapButtonControl::OnMouseDown(float, float, const MouseModifiers&) {
    pressed_ = true;
    MarkDirty(true);
}

void BitmapButtonControl::OnMouseUp(float, float, const MouseModifiers&) {
    pressed_ = false;
    MarkDirty(true);
}

// ---- BitmapKnobRotaterControl ----------------------------------------------------------

BitmapKnobRotaterControl::BitmapKnobRotaterControl(const Rect& rect, const Bitmap& bitmap, int paramIdx)
    : KnobControlBase(rect.CentredInside(bitmap.FW(), bitmap.FH()), paramIdx), bitmap_(bitmap) {}

Rect BitmapKnobRotaterControl::DrawBounds() const {
    // A rotated square reaches out to its diagonal.
    const Rect r = GetRect();
    const float diagonal = std::sqrt(r.W() * r.W() + r.H() * r.H());
    return r.CentredInside(diagonal, diagonal);
}

void BitmapKnobRotaterControl::Draw(QPainter& p) {
    const Rect r = GetRect();
    p.translate(r.MW(), r.MH());
    p.rotate(AngleDegrees());
    DrawBitmapFrame(p, bitmap_, Rect(-r.W() / 2, -r.H() / 2, r.W() / 2, r.H() / 2), 0);
}

// ---- BitmapSliderControl ----------------------------------------------------------------

BitmapSliderControl::BitmapSliderControl(const Rect& track, const Bitmap& handle, int paramIdx)
    : KnobControlBase(track, paramIdx), handle_(handle) {}

float BitmapSliderControl::DragLength() const {
    return GetRect().H() - handle_.FH();
}

Rect BitmapSliderControl::HandleRect() const {
    const Rect r = GetRect();
    const float travel = std::max(0.f, r.H() - handle_.FH());
    const float top = r.T + float(1.0 - GetValue()) * travel;
    return Rect(r.MW() - handle_.FW() / 2, top, r.MW() + handle_.FW() / 2, top + handle_.FH());
}

void BitmapSliderControl::Draw(QPainter& p) {
    DrawBitmapFrame(p, handle_, HandleRect(), 0);
}

} // namespace tolvane
