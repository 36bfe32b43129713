#include "toolkit/VectorControls.h"

#include "core/IParam.h"
#include "toolkit/IGraphics.h"
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

std::string ValueText(const IControl& c) {
    const IParam* p = c.GetParam();
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

// ---- IVectorBase --------------------------------------------------------------------

void IVectorBase::DrawLabelAndValue(QPainter& p, const IControl& self, const Areas& a) const {
    const IGraphics& ui = *self.GetUI();
    if (!a.label.Empty()) DrawStyledText(p, ui.FontFor(style_.labelText), style_.labelText, label_, a.label);
    if (!a.value.Empty())
        DrawStyledText(p, ui.FontFor(style_.valueText), style_.valueText, ValueText(self), a.value);
}

IVectorBase::Areas IVectorBase::Layout(const Rect& b, bool withValue) const {
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

// ---- IVKnobControl ------------------------------------------------------------------

IVKnobControl::IVKnobControl(const Rect& bounds, int paramIdx, const std::string& label,
                             const VectorStyle& style)
    : IKnobControlBase(bounds, paramIdx), IVectorBase(label, style) {}

void IVKnobControl::Draw(QPainter& p) {
    const Areas a = Layout(GetRect(), true);
    if (style_.Get(kBG).a > 0) p.fillRect(ToQRectF(GetRect()), ToQColor(style_.Get(kBG)));
    DrawLabelAndValue(p, *this, a);

    const float side = std::min(a.widget.W(), a.widget.H());
    const Rect ring = a.widget.CentredInside(side - 4.f, side - 4.f);
    const Rect body = ring.CentredInside(ring.W() * 0.72f, ring.H() * 0.72f);
    const QRectF ringF = ToQRectF(ring);

    // Track over the whole sweep, then the value from the anchor.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(ToQColor(style_.Get(kX2)), 2, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(ringF, QtAngle(-135.0), -270 * 16);
    p.setPen(QPen(ToQColor(style_.Get(kX1)), 2, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(ringF, QtAngle(-135.0), QtAngle(AngleDegrees()) - QtAngle(-135.0));

    if (style_.drawShadows && style_.Get(kSH).a > 0) {
        p.setPen(Qt::NoPen);
        p.setBrush(ToQColor(style_.Get(kSH)));
        p.drawEllipse(ToQRectF(body).translated(style_.shadowOffset, style_.shadowOffset));
    }
    p.setBrush(ToQColor(IsDragging() ? style_.Get(kPR) : style_.Get(kFG)));
    p.setPen(style_.drawFrame ? QPen(ToQColor(style_.Get(kFR)), style_.frameThickness) : QPen(Qt::NoPen));
    p.drawEllipse(ToQRectF(body));
    if (GetMouseIsOver() && style_.Get(kHL).a > 0) {
        p.setPen(Qt::NoPen);
        p.setBrush(ToQColor(style_.Get(kHL)));
        p.drawEllipse(ToQRectF(body));
    }
    // Pointer from near the centre to the rim.
    const double rad = AngleDegrees() * kPi / 180.0;
    const double r = body.W() / 2.0;
    const QPointF c(body.MW(), body.MH());
    const QPointF dir(std::sin(rad), -std::cos(rad));
    p.setPen(QPen(ToQColor(style_.Get(kFR)), std::max(2.0, r * 0.12), Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c + dir * (r * 0.3), c + dir * (r * 0.9));
}

// ---- IVSliderControl ------------------------------------------------------------------

IVSliderControl::IVSliderControl(const Rect& bounds, int paramIdx, const std::string& label,
                                 const VectorStyle& style, bool vertical, float handleSize)
    : IKnobControlBase(bounds, paramIdx, 1.f), IVectorBase(label, style), vertical_(vertical),
      handleSize_(handleSize) {}

Rect IVSliderControl::Track() const {
    return Layout(GetRect(), true).widget;
}

float IVSliderControl::DragLength() const {
    const Rect t = Track();
    return (vertical_ ? t.H() : t.W()) - handleSize_;
}

Rect IVSliderControl::HandleRect() const {
    const Rect t = Track();
    const float v = float(GetValue());
    if (vertical_) {
        const float top = t.T + (1.f - v) * std::max(0.f, t.H() - handleSize_);
        return Rect(t.L, top, t.R, top + handleSize_);
    }
    const float left = t.L + v * std::max(0.f, t.W() - handleSize_);
    return Rect(left, t.T, left + handleSize_, t.B);
}

void IVSliderControl::Draw(QPainter& p) {
    const Areas a = Layout(GetRect(), true);
    if (style_.Get(kBG).a > 0) p.fillRect(ToQRectF(GetRect()), ToQColor(style_.Get(kBG)));
    DrawLabelAndValue(p, *this, a);
    const Rect t = a.widget;
    p.setPen(QPen(ToQColor(style_.Get(kSH)), 2));
    if (vertical_) {
        p.drawLine(QPointF(t.MW(), t.T), QPointF(t.MW(), t.B));
    } else {
        p.drawLine(QPointF(t.L, t.MH()), QPointF(t.R, t.MH()));
    }
    const Colour face = IsDragging() ? style_.Get(kPR) : style_.Get(kFG);
    DrawVectorBox(p, style_, HandleRect(), face, false);
}

// ---- IVButtonControl ------------------------------------------------------------------

IVButtonControl::IVButtonControl(const Rect& bounds, const std::string& label, const VectorStyle& style,
                                 IActionFunction onActionDone)
    : IControl(bounds), IVectorBase(label, style) {
    SetOnActionDone(std::move(onActionDone));
}

void IVButtonControl::SetLabelStr(const std::string& label) {
    if (label == label_) return;
    label_ = label;
    MarkDirty(false);
}

void IVButtonControl::OnMouseDown(float x, float y, const IMouseMod&) {
    splashX_ = x;
    splashY_ = y;
    SetValue(1.0);
    MarkDirty(true);
    StartAnimation(kSplashMs);
}

void IVButtonControl::OnEndAnimation() {
    SetValue(0.0);
    MarkDirty(false);
    IControl::OnEndAnimation();
}

void IVButtonControl::Draw(QPainter& p) {
    const Rect r = GetRect();
    const bool pressed = GetValue() > 0.5;
    DrawVectorBox(p, style_, r, pressed ? style_.Get(kPR) : style_.Get(kFG), pressed);
    if (IsAnimating() && style_.Get(kHL).a > 0) {
        const float radius = float(GetAnimationProgress()) * std::max(r.W(), r.H());
        QPainterPath clip;
        clip.addRect(ToQRectF(r));
        p.save();
        p.setClipPath(clip, Qt::IntersectClip);
        p.setPen(Qt::NoPen);
        p.setBrush(ToQColor(style_.Get(kHL)));
        p.drawEllipse(QPointF(splashX_, splashY_), radius, radius);
        p.restore();
    } else if (GetMouseIsOver() && style_.Get(kHL).a > 0) {
        p.fillRect(ToQRectF(r), ToQColor(style_.Get(kHL)));
    }
    if (style_.showLabel) DrawStyledText(p, GetUI()->FontFor(style_.labelText), style_.labelText, label_, r);
}

// ---- IVSlideSwitchControl -------------------------------------------------------------

IVSlideSwitchControl::IVSlideSwitchControl(const Rect& bounds, int paramIdx, const std::string& label,
                                           const VectorStyle& style)
    : IControl(bounds, paramIdx), IVectorBase(label, style) {}

void IVSlideSwitchControl::OnMouseDown(float, float, const IMouseMod&) {
    SetValue(GetValue() < 0.5 ? 1.0 : 0.0);
    MarkDirty(true);
}

void IVSlideSwitchControl::Draw(QPainter& p) {
    const Areas a = Layout(GetRect(), false);
    DrawLabelAndValue(p, *this, a);
    const Rect track =
        a.widget.CentredInside(std::min(a.widget.W(), a.widget.H() * 2.2f), a.widget.H() * 0.8f);
    VectorStyle trackStyle = style_;
    trackStyle.roundness = 1.f;
    trackStyle.drawShadows = false;
    DrawVectorBox(p, trackStyle, track, style_.Get(kSH), false);
    const float w = track.W() / 2.f;
    const float left = GetValue() > 0.5 ? track.L + w : track.L;
    VectorStyle handleStyle = style_;
    handleStyle.roundness = 1.f;
    DrawVectorBox(p, handleStyle, Rect(left, track.T, left + w, track.B).Padded(-2.f),
                  GetValue() > 0.5 ? style_.Get(kX1) : style_.Get(kFG), false);
}

// ---- IVNumberBoxControl -----------------------------------------------------------------

IVNumberBoxControl::IVNumberBoxControl(const Rect& bounds, int paramIdx, IActionFunction onAction,
                                       const std::string& label, const VectorStyle& style, double initial,
                                       double min, double max, const char* format)
    : IControl(bounds, paramIdx, std::move(onAction)), IVectorBase(label, style), min_(std::min(min, max)),
      max_(std::max(min, max)), real_(std::clamp(initial, min_, max_)), format_(format) {
    SetValue(max_ > min_ ? (real_ - min_) / (max_ - min_) : 0.0);
}

std::string IVNumberBoxControl::DisplayText() const {
    char buf[64];
    std::snprintf(buf, sizeof buf, format_.c_str(), real_);
    return buf;
}

void IVNumberBoxControl::SetRealValue(double real) {
    real = std::clamp(real, min_, max_);
    if (real == real_) return;
    real_ = real;
    SetValue(max_ > min_ ? (real_ - min_) / (max_ - min_) : 0.0);
    MarkDirty(true);
}

void IVNumberBoxControl::SetValueFromDelegate(double normalised, int valIdx) {
    IControl::SetValueFromDelegate(normalised, valIdx);
    real_ = min_ + GetValue() * (max_ - min_);
}

void IVNumberBoxControl::OnMouseDown(float, float, const IMouseMod&) {
    if (style_.hideCursor && GetUI()) GetUI()->HideMouseCursor(true);
}

void IVNumberBoxControl::OnMouseUp(float, float, const IMouseMod&) {
    if (GetUI()) GetUI()->HideMouseCursor(false);
}

void IVNumberBoxControl::OnMouseDrag(float, float, float, float dY, const IMouseMod& mod) {
    SetRealValue(real_ - dY * (mod.Fine() ? 0.1 : 1.0));
}

void IVNumberBoxControl::OnMouseWheel(float, float, const IMouseMod& mod, float d) {
    if (d != 0.f) SetRealValue(real_ + d * (mod.Fine() ? 0.1 : 1.0));
}

void IVNumberBoxControl::OnMouseDblClick(float x, float y, const IMouseMod&) {
    if (NumberRect().Contains(x, y) && GetUI()) {
        GetUI()->BeginTextEdit(*this, style_.valueText, NumberRect(), DisplayText());
    }
}

void IVNumberBoxControl::OnTextEntryCompletion(const std::string& text, int) {
    char* end = nullptr;
    const double typed = std::strtod(text.c_str(), &end);
    if (end != text.c_str()) SetRealValue(typed);
}

void IVNumberBoxControl::Draw(QPainter& p) {
    const Areas a = Layout(GetRect(), false);
    DrawLabelAndValue(p, *this, a);
    DrawVectorBox(p, style_, a.widget, style_.Get(kFG), false);
    TextStyle text = style_.valueText;
    text.valign = VAlign::Middle;
    DrawStyledText(p, GetUI()->FontFor(text), text, DisplayText(), a.widget);
}

} // namespace tolvane
