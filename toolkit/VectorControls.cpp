#include "toolkit/VectorControls.h"

#include "core/Param.h"
#include "toolkit/Canvas.h"
#include "toolkit/Painting.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace tolvane {

namespace {

constexpr double kPi = 3.14159265358979323846;

std::string ValueText(const Control& c) {
    const Param* p = c.GetParam();
    if (!p) return {};
    const double value = p->ValueFromNormal(c.GetValue());
    std::string text = p->GetDisplay(value);
    if (!p->DisplayTextFor(value)) {
        const std::string label = p->Label();
        if (!label.empty()) text += " " + label;
    }
    return text;
}

// Qt angles run counter-clockwise from three o'clock, in 1/16 degrees; ours run
// clockwise from twelve o'clock.
int QtAngle(double degrees) {
    return int(std::lround((90.0 - degrees) * 16.0));
}

} // namespace

// ---- VectorControlBase --------------------------------------------------------------------

void VectorControlBase::DrawLabelAndValue(QPainter& p, const Control& self, const Areas& a) const {
    const Canvas& ui = *self.GetCanvas();
    if (!a.label.Empty()) DrawStyledText(p, ui.FontFor(style_.labelText), style_.labelText, label_, a.label);
    if (!a.value.Empty())
        DrawStyledText(p, ui.FontFor(style_.valueText), style_.valueText, ValueText(self), a.value);
}

VectorControlBase::Areas VectorControlBase::Layout(const Rect& b, bool withValue) const {
    Areas a{Rect(b.L, b.T, b.R, b.T), b, Rect(b.L, b.B, b.R, b.B)};
    if (style_.showLabel && !label_.empty()) {
        a.label = Rect(b.L, b.T, b.R, b.T + style_.labelText.size * 1.25f);
        a.widget.T = a.label.B;
    }
    if (withValue && style_.showValue) {
        a.value = Rect(b.L, b.B - style_.valueText.size * 1.25f, b.R, b.B);
        a.widget.B = a.value.T;
    }
    if (style_.widgetFrac < 1.f) {
        a.widget = a.widget.CentredInside(a.widget.W() * style_.widgetFrac, a.widget.H() * style_.widgetFrac);
    }
    return a;
}

// ---- VectorKnobControl ------------------------------------------------------------------

VectorKnobControl::VectorKnobControl(const Rect& bounds, int paramIdx, const std::string& label,
                             const VectorStyle& style)
    : KnobControlBase(bounds, paramIdx), VectorControlBase(label, style) {}

void VectorKnobControl::Draw(QPainter& p) {
    const Areas a = Layout(GetRect(), true);
    if (style_.Get(kBackground).a > 0) p.fillRect(ToQRectF(GetRect()), ToQColor(style_.Get(kBackground)));
    DrawLabelAndValue(p, *this, a);

    const float side = std::min(a.widget.W(), a.widget.H());
    const Rect ring = a.widget.CentredInside(side - 4.f, side - 4.f);
    const Rect body = ring.CentredInside(ring.W() * 0.72f, ring.H() * 0.72f);
    const QRectF ringF = ToQRectF(ring);

    // Track over the whole sweep, then the value from the anchor.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(ToQColor(style_.Get(kExtra2)), 2, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(ringF, QtAngle(-135.0), -270 * 16);
    p.setPen(QPen(ToQColor(style_.Get(kExtra1)), 2, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(ringF, QtAngle(-135.0), QtAngle(AngleDegrees()) - QtAngle(-135.0));

    if (style_.drawShadows && style_.Get(kShadow).a > 0) {
        p.setPen(Qt::NoPen);
        p.setBrush(ToQColor(style_.Get(kShadow)));
        p.drawEllipse(ToQRectF(body).translated(style_.shadowOffset, style_.shadowOffset));
    }
    p.setBrush(ToQColor(IsDragging() ? style_.Get(kPressed) : style_.Get(kForeground)));
    p.setPen(style_.drawFrame ? QPen(ToQColor(style_.Get(kFrame)), style_.frameThickness) : QPen(Qt::NoPen));
    p.drawEllipse(ToQRectF(body));
    if (GetMouseIsOver() && style_.Get(kHighlight).a > 0) {
        p.setPen(Qt::NoPen);
        p.setBrush(ToQColor(style_.Get(kHighlight)));
        p.drawEllipse(ToQRectF(body));
    }
    // Pointer along the outer part of the face only, so it never crosses the
    // read-out written in the middle.
    const double rad = AngleDegrees() * kPi / 180.0;
    const double r = body.W() / 2.0;
    const QPointF c(body.MW(), body.MH());
    const QPointF dir(std::sin(rad), -std::cos(rad));
    p.setPen(QPen(ToQColor(style_.Get(kFrame)), std::max(2.0, r * 0.12), Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c + dir * (r * 0.8), c + dir * (r * 0.96));
}

// ---- VectorSliderControl ------------------------------------------------------------------

VectorSliderControl::VectorSliderControl(const Rect& bounds, int paramIdx, const std::string& label,
                                 const VectorStyle& style, bool vertical, float handleSize)
    : KnobControlBase(bounds, paramIdx, 1.f), VectorControlBase(label, style), vertical_(vertical),
      handleSize_(handleSize) {}

Rect VectorSliderControl::Track() const {
    return Layout(GetRect(), true).widget;
}

float VectorSliderControl::DragLength() const {
    const Rect t = Track();
    return (vertical_ ? t.H() : t.W()) - handleSize_;
}

Rect VectorSliderControl::HandleRect() const {
    const Rect t = Track();
    const float v = float(GetValue());
    if (vertical_) {
        const float top = t.T + (1.f - v) * std::max(0.f, t.H() - handleSize_);
        return Rect(t.L, top, t.R, top + handleSize_);
    }
    const float left = t.L + v * std::max(0.f, t.W() - handleSize_);
    return Rect(left, t.T, left + handleSize_, t.B);
}

void VectorSliderControl::Draw(QPainter& p) {
    const Areas a = Layout(GetRect(), true);
    if (style_.Get(kBackground).a > 0) p.fillRect(ToQRectF(GetRect()), ToQColor(style_.Get(kBackground)));
    DrawLabelAndValue(p, *this, a);
    const Rect t = a.widget;
    p.setPen(QPen(ToQColor(style_.Get(kShadow)), 2));
    if (vertical_) {
        p.drawLine(QPointF(t.MW(), t.T), QPointF(t.MW(), t.B));
    } else {
        p.drawLine(QPointF(t.L, t.MH()), QPointF(t.R, t.MH()));
    }
    const Colour face = IsDragging() ? style_.Get(kPressed) : style_.Get(kForeground);
    DrawVectorBox(p, style_, HandleRect(), face, false);
}

// ---- VectorButtonControl ------------------------------------------------------------------

VectorButtonControl::VectorButtonControl(const Rect& bounds, const std::string& label, const VectorStyle& style,
                                 ControlAction onActionDone)
    : Control(bounds), VectorControlBase(label, style) {
    SetOnActionDone(std::move(onActionDone));
}

void VectorButtonControl::SetLabelStr(const std::string& label) {
    if (label == label_) return;
    label_ = label;
    MarkDirty(false);
}

void VectorButtonControl::OnMouseDown(float x, float y, const MouseModifiers&) {
    splashX_ = x;
    splashY_ = y;
    SetValue(1.0);
    MarkDirty(true);
    StartAnimation(kSplashMs);
}

void VectorButtonControl::OnEndAnimation() {
    SetValue(0.0);
    MarkDirty(false);
    Control::OnEndAnimation();
}

void VectorButtonControl::Draw(QPainter& p) {
    const Rect r = GetRect();
    const bool pressed = GetValue() > 0.5;
    DrawVectorBox(p, style_, r, pressed ? style_.Get(kPressed) : style_.Get(kForeground), pressed);
    if (IsAnimating() && style_.Get(kHighlight).a > 0) {
        const float radius = float(GetAnimationProgress()) * std::max(r.W(), r.H());
        QPainterPath clip;
        clip.addRect(ToQRectF(r));
        p.save();
        p.setClipPath(clip, Qt::IntersectClip);
        p.setPen(Qt::NoPen);
        p.setBrush(ToQColor(style_.Get(kHighlight)));
        p.drawEllipse(QPointF(splashX_, splashY_), radius, radius);
        p.restore();
    } else if (GetMouseIsOver() && style_.Get(kHighlight).a > 0) {
        p.fillRect(ToQRectF(r), ToQColor(style_.Get(kHighlight)));
    }
    if (style_.showLabel) DrawStyledText(p, GetCanvas()->FontFor(style_.labelText), style_.labelText, label_, r);
}

// ---- VectorSlideSwitchControl -------------------------------------------------------------

VectorSlideSwitchControl::VectorSlideSwitchControl(const Rect& bounds, int paramIdx, const std::string& label,
                                           const VectorStyle& style)
    : Control(bounds, paramIdx), VectorControlBase(label, style) {}

void VectorSlideSwitchControl::OnMouseDown(float, float, const MouseModifiers&) {
    SetValue(GetValue() < 0.5 ? 1.0 : 0.0);
    MarkDirty(true);
}

void VectorSlideSwitchControl::Draw(QPainter& p) {
    const Areas a = Layout(GetRect(), false);
    DrawLabelAndValue(p, *this, a);
    const Rect track =
        a.widget.CentredInside(std::min(a.widget.W(), a.widget.H() * 2.2f), a.widget.H() * 0.8f);
    VectorStyle trackStyle = style_;
    trackStyle.roundness = 1.f;
    trackStyle.drawShadows = false;
    DrawVectorBox(p, trackStyle, track, style_.Get(kShadow), false);
    const float w = track.W() / 2.f;
    const float left = GetValue() > 0.5 ? track.L + w : track.L;
    VectorStyle handleStyle = style_;
    handleStyle.roundness = 1.f;
    DrawVectorBox(p, handleStyle, Rect(left, track.T, left + w, track.B).Padded(-2.f),
                  GetValue() > 0.5 ? style_.Get(kExtra1) : style_.Get(kForeground), false);
}

// ---- VectorNumberBoxControl -----------------------------------------------------------------

VectorNumberBoxControl::VectorNumberBoxControl(const Rect& bounds, int paramIdx, ControlAction onAction,
                                       const std::string& label, const VectorStyle& style, double initial,
                                       double min, double max, const char* format)
    : Control(bounds, paramIdx, std::move(onAction)), VectorControlBase(label, style), min_(std::min(min, max)),
      max_(std::max(min, max)), real_(std::clamp(initial, min_, max_)), format_(format) {
    SetValue(max_ > min_ ? (real_ - min_) / (max_ - min_) : 0.0);
}

std::string VectorNumberBoxControl::DisplayText() const {
    char buf[64];
    std::snprintf(buf, sizeof buf, format_.c_str(), real_);
    return buf;
}

void VectorNumberBoxControl::SetRealValue(double real) {
    real = std::clamp(real, min_, max_);
    if (real == real_) return;
    real_ = real;
    SetValue(max_ > min_ ? (real_ - min_) / (max_ - min_) : 0.0);
    MarkDirty(true);
}

void VectorNumberBoxControl::SetValueFromDelegate(double normalised, int valIdx) {
    Control::SetValueFromDelegate(normalised, valIdx);
    real_ = min_ + GetValue() * (max_ - min_);
}

void VectorNumberBoxControl::OnMouseDown(float, float, const MouseModifiers&) {
    if (style_.hideCursor && GetCanvas()) GetCanvas()->HideMouseCursor(true);
}

void VectorNumberBoxControl::OnMouseUp(float, float, const MouseModifiers&) {
    if (GetCanvas()) GetCanvas()->HideMouseCursor(false);
}

void VectorNumberBoxControl::OnMouseDrag(float, float, float, float dY, const MouseModifiers& mod) {
    SetRealValue(real_ - dY * (mod.Fine() ? 0.1 : 1.0));
}

void VectorNumberBoxControl::OnMouseWheel(float, float, const MouseModifiers& mod, float d) {
    if (d != 0.f) SetRealValue(real_ + d * (mod.Fine() ? 0.1 : 1.0));
}

void VectorNumberBoxControl::OnMouseDblClick(float x, float y, const MouseModifiers&) {
    if (NumberRect().Contains(x, y) && GetCanvas()) {
        GetCanvas()->BeginTextEdit(*this, style_.valueText, NumberRect(), DisplayText());
    }
}

void VectorNumberBoxControl::OnTextEntryCompletion(const std::string& text, int) {
    char* end = nullptr;
    const double typed = std::strtod(text.c_str(), &end);
    if (end != text.c_str()) SetRealValue(typed);
}

void VectorNumberBoxControl::Draw(QPainter& p) {
    const Areas a = Layout(GetRect(), false);
    DrawLabelAndValue(p, *this, a);
    DrawVectorBox(p, style_, a.widget, style_.Get(kForeground), false);
    TextStyle text = style_.valueText;
    text.valign = VAlign::Middle;
    DrawStyledText(p, GetCanvas()->FontFor(text), text, DisplayText(), a.widget);
}

} // namespace tolvane
