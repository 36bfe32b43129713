#include "toolkit/SvgKnobControl.h"

#include <QPainter>
#include <QSvgRenderer>

#include <algorithm>
#include <cmath>

namespace tolvane {

SvgKnobControl::SvgKnobControl(const Rect& bounds, const SvgImage& svg, int paramIdx)
    : KnobControlBase(bounds, paramIdx), svg_(svg) {}

Rect SvgKnobControl::DrawBounds() const {
    const Rect r = GetRect();
    const float side = std::min(r.W(), r.H()) * std::sqrt(2.f);
    return r.CentredInside(side, side).Union(r);
}

void SvgKnobControl::Draw(QPainter& p) {
    if (!svg_.IsValid()) return;
    const Rect r = GetRect();
    const float side = std::min(r.W(), r.H());
    p.translate(r.MW(), r.MH());
    p.rotate(AngleDegrees());
    svg_.Renderer()->render(&p, QRectF(-side / 2, -side / 2, side, side));
}

} // namespace tolvane
