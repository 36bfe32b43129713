#include "toolkit/IControl.h"

#include "core/ControlDelegate.h"
#include "core/IParam.h"
#include "toolkit/IGraphics.h"

#include <algorithm>
#include <cstdlib>

namespace tolvane {

IControl::IControl(const Rect& bounds, int paramIdx, IActionFunction onAction)
    : IControl(bounds, std::vector<int>{paramIdx}, std::move(onAction)) {}

IControl::IControl(const Rect& bounds, const std::vector<int>& paramIndices, IActionFunction onAction)
    : bounds_(bounds), onAction_(std::move(onAction)) {
    for (int idx : paramIndices)
        vals_.push_back({idx, 0.0});
    if (vals_.empty()) vals_.push_back({});
}

void IControl::Attach(IGraphics* ui, ControlTag tag, ControlGroup group) {
    ui_ = ui;
    tag_ = tag;
    group_ = std::move(group);
    // Start from the parameters' current values.
    for (int i = 0; i < NVals(); ++i) {
        if (const IParam* p = GetParam(i)) vals_[i].value = p->GetNormalised();
    }
}

void IControl::SetRect(const Rect& bounds) {
    if (ui_) ui_->Invalidate(DrawBounds());
    bounds_ = bounds;
    MarkDirty(false);
}

void IControl::SetPosition(float x, float y) {
    SetRect(bounds_.Offset(x - bounds_.L, y - bounds_.T));
}

void IControl::OnMouseDblClick(float x, float y, const IMouseMod& mod) {
    if (GetParam()) {
        SetValueToDefault();
    } else {
        OnMouseDown(x, y, mod);
    }
}

void IControl::OnMouseOver(float, float, const IMouseMod&) {
    if (!mouseIsOver_) {
        mouseIsOver_ = true;
        MarkDirty(false);
    }
}

void IControl::OnMouseOut() {
    if (mouseIsOver_) {
        mouseIsOver_ = false;
        MarkDirty(false);
    }
}

void IControl::OnTextEntryCompletion(const std::string& text, int valIdx) {
    const IParam* p = GetParam(valIdx);
    if (!p) return;
    char* end = nullptr;
    const double typed = std::strtod(text.c_str(), &end);
    if (end == text.c_str()) return; // not a number: the value stays
    SetValue(p->NormalFromValue(p->SnapAndClamp(typed)), valIdx);
    MarkDirty(true);
}

int IControl::GetParamIdx(int valIdx) const {
    return valIdx >= 0 && valIdx < NVals() ? vals_[valIdx].paramIdx : kNoParameter;
}

void IControl::SetParamIdx(int paramIdx, int valIdx) {
    if (valIdx >= 0 && valIdx < NVals()) vals_[valIdx].paramIdx = paramIdx;
}

const IParam* IControl::GetParam(int valIdx) const {
    const int idx = GetParamIdx(valIdx);
    if (idx < 0 || !ui_ || !ui_->GetDelegate()) return nullptr;
    return ui_->GetDelegate()->GetParam(idx);
}

double IControl::GetValue(int valIdx) const {
    return valIdx >= 0 && valIdx < NVals() ? vals_[valIdx].value : 0.0;
}

void IControl::SetValue(double normalised, int valIdx) {
    if (valIdx >= 0 && valIdx < NVals()) vals_[valIdx].value = std::clamp(normalised, 0.0, 1.0);
}

void IControl::SetValueFromDelegate(double normalised, int valIdx) {
    if (GetValue(valIdx) == std::clamp(normalised, 0.0, 1.0)) return;
    SetValue(normalised, valIdx);
    MarkDirty(false);
}

void IControl::SetValueToDefault(int valIdx) {
    if (const IParam* p = GetParam(valIdx)) {
        SetValue(p->NormalFromValue(p->Default()), valIdx);
        MarkDirty(true);
    }
}

double IControl::Snap(double normalised, int valIdx) const {
    normalised = std::clamp(normalised, 0.0, 1.0);
    const IParam* p = GetParam(valIdx);
    if (!p) return normalised;
    return p->NormalFromValue(p->SnapAndClamp(p->ValueFromNormal(normalised)));
}

void IControl::SetHidden(bool hidden) {
    if (hidden_ == hidden) return;
    hidden_ = hidden;
    if (hidden) mouseIsOver_ = false;
    MarkDirty(false);
}

void IControl::SetDisabled(bool disabled) {
    if (disabled_ == disabled) return;
    disabled_ = disabled;
    MarkDirty(false);
}

void IControl::MarkDirty(bool notify) {
    dirty_ = true;
    if (ui_) ui_->Invalidate(DrawBounds());
    if (!notify) return;
    for (auto& v : vals_) {
        v.value = std::clamp(v.value, 0.0, 1.0);
        if (v.paramIdx >= 0 && ui_ && ui_->GetDelegate()) {
            ui_->GetDelegate()->ParamChangeFromControl(v.paramIdx, v.value);
        }
    }
    RunOnAction();
}

void IControl::StartAnimation(double durationMs) {
    animating_ = true;
    animationStart_ = ui_ ? ui_->NowMs() : 0.0;
    animationDuration_ = durationMs;
    animationProgress_ = 0.0;
    if (ui_) ui_->AnimationStarted(this);
    MarkDirty(false);
}

void IControl::Animate(double nowMs) {
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

void IControl::OnEndAnimation() {
    if (onActionDone_) onActionDone_(this);
}

} // namespace tolvane
