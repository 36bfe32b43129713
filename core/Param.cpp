#include "core/Param.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace tolvane {

namespace {

constexpr int kMaxDisplayPrecision = 6;

// Texts live in fixed 32-character fields; a longer one is stored cut.
std::string FieldText(const char* text) {
    if (text == nullptr) return {};
    std::string s(text);
    if (s.size() > static_cast<std::size_t>(kParamTextMax)) s.resize(kParamTextMax);
    return s;
}

// Decimals needed to show a multiple of the step.
int PrecisionForStep(double step) {
    int precision = 0;
    while (step != std::floor(step) && precision < kMaxDisplayPrecision) {
        ++precision;
        step *= 10.0;
    }
    return precision;
}

} // namespace

std::unique_ptr<Param::Shape> Param::ShapeLinear::CopyShape() const {
    return std::make_unique<ShapeLinear>(*this);
}

double Param::ShapeLinear::ShapeToValue(double normal, const Param& param) const {
    return param.Min() + normal * (param.Max() - param.Min());
}

double Param::ShapeLinear::ShapeToNormal(double value, const Param& param) const {
    return (value - param.Min()) / (param.Max() - param.Min());
}

Param::Param() : shape_(std::make_unique<ShapeLinear>()) {}

void Param::InitInt(const char* name, int defaultValue, int min, int max, const char* label, int flags,
                     const char* group) {
    if (kind_ == ParamKind::None) kind_ = ParamKind::Int;
    InitDouble(name, defaultValue, min, max, 1.0, label, flags | kFlagStepped, group);
}

void Param::InitEnum(const char* name, int defaultValue, int count, const char* label, int flags,
                      const char* group, std::initializer_list<const char*> texts) {
    if (kind_ == ParamKind::None) kind_ = ParamKind::Enum;
    InitDouble(name, defaultValue, 0, count - 1, 1.0, label, flags | kFlagStepped, group);
    int value = 0;
    for (const char* text : texts) {
        if (value >= count) break;
        AddDisplayText(value++, text);
    }
}

void Param::InitDouble(const char* name, double defaultValue, double min, double max, double step,
                        const char* label, int flags, const char* group, const Shape& shape,
                        ParamDisplayFunc displayFunc) {
    if (kind_ == ParamKind::None) kind_ = ParamKind::Double;
    name_ = FieldText(name);
    label_ = FieldText(label);
    group_ = FieldText(group);
    min_ = min;
    max_ = std::max(max, min + step);
    step_ = step;
    default_ = defaultValue;
    unit_ = kParamUnitCustom;
    flags_ = flags;
    displayFunc_ = std::move(displayFunc);
    SetValue(defaultValue);
    precision_ = PrecisionForStep(step);
    shape_ = shape.CopyShape();
    shape_->BindToParam(*this);
}

double Param::SnapAndClamp(double value) const {
    // A NaN would pass the clamp and break every integer view of the value.
    if (std::isnan(value)) return min_;
    if (IsStepped()) value = std::round(value / step_) * step_; // std::round takes halves away from zero
    return std::clamp(value, min_, max_);
}

void Param::SetValue(double value) {
    value_.store(SnapAndClamp(value), std::memory_order_release);
}

double Param::ValueFromNormal(double normal) const {
    return SnapAndClamp(shape_->ShapeToValue(normal, *this));
}

double Param::NormalFromValue(double value) const {
    return std::clamp(shape_->ShapeToNormal(SnapAndClamp(value), *this), 0.0, 1.0);
}

void Param::AddDisplayText(double value, const char* text) {
    texts_.push_back({value, FieldText(text)});
}

const char* Param::DisplayTextFor(double value) const {
    for (const DisplayText& t : texts_) {
        if (t.value == value) return t.text.c_str();
    }
    return nullptr;
}

const char* Param::DisplayTextAt(int index, double* value) const {
    if (index < 0 || index >= NDisplayTexts()) return nullptr;
    const DisplayText& t = texts_[static_cast<std::size_t>(index)];
    if (value != nullptr) *value = t.value;
    return t.text.c_str();
}

std::string Param::GetDisplay(double value, bool useTexts) const {
    std::string text;
    if (displayFunc_) {
        displayFunc_(value, text);
        return text;
    }
    if (useTexts) {
        const char* found = DisplayTextFor(value);
        if (found != nullptr && *found != '\0') return found;
    }
    double x = (flags_ & kFlagNegateDisplay) ? -value : value;
    if (x == 0.0) x = 0.0; // no "-0"
    char buffer[kParamTextMax + 1];
    if (precision_ == 0) {
        std::snprintf(buffer, sizeof buffer, "%lld", std::llround(x));
    } else if ((flags_ & kFlagSignDisplay) && x != 0.0) {
        std::snprintf(buffer, sizeof buffer, "%+.*f", precision_, x);
    } else {
        std::snprintf(buffer, sizeof buffer, "%.*f", precision_, x);
    }
    return buffer;
}

std::string Param::LabelForDisplay() const {
    const char* text = DisplayTextFor(static_cast<double>(Int()));
    if (text != nullptr && *text != '\0') return {};
    return label_;
}

} // namespace tolvane
