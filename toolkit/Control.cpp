#include "toolkit/Control.h"

#include "core/ControlDelegate.h"
#include "core/Param.h"
#include "toolkit/Canvas.h"

#include <algorithm>
#include <cstdlib>

namespace tolvane {

Control::Control(const Rect& bounds, int paramIdx, ControlAction onAction)
    : Control(bounds, std::vector<int>{paramIdx}, std::move(onAction)) {}

Control::Control(const Rect& bounds, const std::vector<int>& paramIndices, ControlAction onAction)
    : bounds_(bounds), onAction_(std::move(onAction)) {
    for (int idx : paramIndices)
        vals_.push_back({idx, 0.0});
    if (vals_.empty()) vals_.push_back({});
}

void Control::Attach(Canvas* ui, ControlTag tag, ControlGroup group) {
    canvas_ = ui;
    tag_ = tag;
    group_ = std::move(group);
    // Start from the parameters' current values.
    for (int i = 0; i < NVals(); ++i) {
        if (const Param* p = GetParam(i)) vals_[i].value = p->GetNormalised();
    }
}

void Control::SetRect(const Rect& bounds) {
    if (canvas_) canvas_->Invalidate(DrawBounds());
    bounds_ = bounds;
    MarkDirty(false);
}

void Control::SetPosition(float x, float y) {
    SetRect(bounds_.Offset(x - bounds_.L, y - bounds_.T));
}

void Control::OnMouseDblClick(float x, float y, const MouseModifiers& mod) {
    if (GetParam()) {
        SetValueToDefault();
    } else {
        OnMouseDown(x, y, mod);
    }
}

void Control::OnMouseOver(float, float, const MouseModifiers&) {
    if (!mouseIsOver_) {
        mouseIsOver_ = true;
        MarkDirty(false);
    }
}

void Control::OnMouseOut() {
    if (mouseIsOver_) {
        mouseIsOver_ = false;
        MarkDirty(false);
    }
}

void Control::OnTextEntryCompletion(const std::string& text, int valIdx) {
    const Param* p = GetParam(valIdx);
    if (!p) return;
    double typed = 0.0;
    if (valueFormat_.read) {
        const std::optional<double> read = valueFormat_.read(text, p->ValueFromNormal(GetValue(valIdx)));
        if (!read) return; // not a value of this control: it stays
        typed = *read;
    } else {
        char* end = nullptr;
        typed = std::strtod(text.c_str(), &end);
        if (end == text.c_str()) return; // not a number: the value stays
    }
    SetValue(p->NormalFromValue(p->SnapAndClamp(typed)), valIdx);
    MarkDirty(true);
}

int Control::GetParamIdx(int valIdx) const {
    return valIdx >= 0 && valIdx < NVals() ? vals_[valIdx].paramIdx : kNoParam;
}

void Control::SetParamIdx(int paramIdx, int valIdx) {
    if (valIdx >= 0 && valIdx < NVals()) vals_[valIdx].paramIdx = paramIdx;
}

const Param* Control::GetParam(int valIdx) const {
    const int idx = GetParamIdx(valIdx);
    if (idx < 0 || !canvas_ || !canvas_->GetDelegate()) return nullptr;
    return canvas_->GetDelegate()->GetParam(idx);
}

double Control::GetValue(int valIdx) const {
    return valIdx >= 0 && valIdx < NVals() ? vals_[valIdx].value : 0.0;
}

void Control::SetValue(double normalised, int valIdx) {
    if (valIdx >= 0 && valIdx < NVals()) vals_[valIdx].value = std::clamp(normalised, 0.0, 1.0);
}

void Control::SetValueFromDelegate(double normalised, int valIdx) {
    if (GetValue(valIdx) == std::clamp(normalised, 0.0, 1.0)) return;
    SetValue(normalised, valIdx);
    MarkDirty(false);
}

void Control::SetValueToDefault(int valIdx) {
    if (const Param* p = GetParam(valIdx)) {
        SetValue(p->NormalFromValue(p->Default()), valIdx);
        MarkDirty(true);
    }
}

double Control::Snap(double normalised, int valIdx) const {
    normalised = std::clamp(normalised, 0.0, 1.0);
    const Param* p = GetParam(valIdx);
    if (!p) return normalised;
    return p->NormalFromValue(p->SnapAndClamp(p->ValueFromNormal(normalised)));
}

void Control::SetHidden(bool hidden) {
    if (hidden_ == hidden) return;
    hidden_ = hidden;
    if (hidden) mouseIsOver_ = false;
    Changed(false);
}

void Control::SetDisabled(bool disabled) {
    if (disabled_ == disabled) return;
    disabled_ = disabled;
    Changed(false);
}

void Control::Changed(bool looks) {
    dirty_ = true;
    if (canvas_) canvas_->ControlChanged(*this, looks);
}

// Every other control bound to the parameter takes the user's value as if the
// delegate had sent it: the pedal's knob and its section page's knob move
// together, and the parameter is edited once.
void Control::MovePeers(int paramIdx, double normalised) {
    canvas_->ForEachControl([&](Control& peer) {
        if (&peer == this) return;
        for (int k = 0; k < peer.NVals(); ++k)
            if (peer.GetParamIdx(k) == paramIdx && peer.GetValue(k) != normalised) peer.SetValueFromDelegate(normalised, k);
    });
}

void Control::MarkDirty(bool notify) {
    Changed(true);
    if (!notify) return;
    for (auto& v : vals_) {
        v.value = std::clamp(v.value, 0.0, 1.0);
        if (v.paramIdx >= 0 && canvas_ && canvas_->GetDelegate()) {
            canvas_->GetDelegate()->ParamChangeFromControl(v.paramIdx, v.value);
            MovePeers(v.paramIdx, v.value);
        }
    }
    RunOnAction();
}

void Control::StartAnimation(double durationMs) {
    animating_ = true;
    animationStart_ = canvas_ ? canvas_->NowMs() : 0.0;
    animationDuration_ = durationMs;
    animationProgress_ = 0.0;
    if (canvas_) canvas_->AnimationStarted(this);
    MarkDirty(false);
}

void Control::Animate(double nowMs) {
    if (!animating_) return;
    const double elapsed = nowMs - animationStart_;
    animationProgress_ = animationDuration_ > 0.0 ? std::clamp(elapsed / animationDuration_, 0.0, 1.0) : 1.0;
    MarkDirty(false);
    if (animationProgress_ >= 1.0) {
        animating_ = false;
        animationProgress_ = 0.0;
        OnEndAnimation();
    }
}

void Control::OnEndAnimation() {
    if (onActionDone_) onActionDone_(this);
}

} // namespace tolvane
