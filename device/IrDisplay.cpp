#include "device/IrDisplay.h"

#include "device/ParamTable.h"

#include <cmath>

namespace tolvane {
namespace {

constexpr int kCabinetUserA = 7;
constexpr int kCabinetUserB = 8;

void UnitImpulse(IrSampleBuffer& samples) {
    samples.fill(0.0);
    samples[0] = 1.0;
}

} // namespace

IrDisplay::IrDisplay(IEditorSeam& editor, IIrFiles& files, const ParamList& params, IrSampleBuffer& samples,
                     IrDisplayHooks hooks)
    : editor_(editor), files_(files), params_(params), samples_(samples), hooks_(std::move(hooks)) {}

float IrDisplay::SelectorPosition(int selectorValue) {
    return std::floor(static_cast<float>(selectorValue) / 127.0f * 80.0f) / 10.0f;
}

void IrDisplay::LoadFactory(int index) {
    if (const auto record = files_.ReadIrRecord(ir::kFirstFactoryNumber + index)) {
        double gain = 0.0;
        ir::ReadRecordSamples(*record, samples_, gain);
        return;
    }
    // The factory WAV files are numbered from 1.
    files_.ParseFactoryWav(index + 1, samples_);
}

void IrDisplay::LoadUser(int irNumber) {
    if (const auto record = files_.ReadIrRecord(irNumber)) {
        double gain = 0.0;
        ir::ReadRecordSamples(*record, samples_, gain);
    }
}

void IrDisplay::LoadCabinet(int k) {
    auto on = [this](int index) {
        const Param* param = params_.GetParam(index);
        return param && param->Int() != 0;
    };
    if (k == kCabinetUserA && on(kParamIrMode7)) {
        if (hooks_.irSlotA) LoadUser(hooks_.irSlotA());
    } else if (k == kCabinetUserB && on(kParamIrMode8)) {
        if (hooks_.irSlotB) LoadUser(hooks_.irSlotB());
    } else if (k >= 1) {
        LoadFactory(k - 1);
    }
}

void IrDisplay::RefreshIrDisplay(int selectorValue) {
    const float u = SelectorPosition(selectorValue);
    const float lo = std::floor(u);
    const float hi = std::ceil(u);
    UnitImpulse(samples_);
    if (u != 0.0f) {
        LoadCabinet(static_cast<int>(lo));
        if (hi != lo) {
            const IrSampleBuffer lower = samples_;
            LoadCabinet(static_cast<int>(hi));
            const double wLower = hi - u;
            const double wUpper = u - lo;
            for (std::size_t i = 0; i < samples_.size(); ++i)
                samples_[i] = wLower * lower[i] + wUpper * samples_[i];
        }
    }
    // The graph is redrawn where it stands: pages change only when the user
    // asks for one, never because an impulse response arrived.
    if (!editor_.IsEditorOpen()) return;
    if (hooks_.samplesChanged) hooks_.samplesChanged();
}

} // namespace tolvane
