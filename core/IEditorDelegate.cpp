#include "core/IEditorDelegate.h"

#include "core/IParam.h"

namespace tolvane {

void IEditorDelegate::SetParamAndNotify(int index, double normalised) {
    IParam* param = GetParam(index);
    if (!param) return;
    param->SetValue(param->ValueFromNormal(normalised));
    OnParamChange(index, kUI, -1);
}

void IEditorDelegate::ParamChangeFromControl(int index, double normalised) {
    IParam* param = GetParam(index);
    if (!param) return;
    SetParamAndNotify(index, normalised);
    param->SetValue(param->ValueFromNormal(normalised));
    ParamReachedControls(index, kUI);
}

void IEditorDelegate::NotifyAllParams(EParamSource source) {
    for (int i = 0; i < NParams(); ++i) {
        OnParamChange(i, source, -1);
        ParamReachedControls(i, source);
    }
}

int IEditorDelegate::UnserializeParams(const std::vector<std::uint8_t>& data, int startPos) {
    const int pos = params_.UnserializeParams(data, startPos);
    NotifyAllParams(kPresetRecall);
    return pos;
}

void IEditorDelegate::SerializeParams(std::vector<std::uint8_t>& data) const {
    params_.SerializeParams(data);
}

bool IEditorDelegate::QueueParamForControls(int index, double value, bool normalised) {
    if (normalised) {
        const IParam* param = GetParam(index);
        if (!param) return false;
        value = param->ValueFromNormal(value);
    }
    return paramQueue_.Push(ParamChange{index, value});
}

void IEditorDelegate::DeliverParamToControls(int index, double value, bool normalised) {
    if (!IsEditorOpen()) return;
    const IParam* param = GetParam(index);
    if (!param) return;
    controls_->SetParamNormalisedFromDelegate(index, normalised ? value : param->NormalFromValue(value));
    ParamReachedControls(index, kDelegate);
}

void IEditorDelegate::PushAllValuesToControls() {
    for (int i = 0; i < NParams(); ++i) {
        const IParam* param = GetParam(i);
        DeliverParamToControls(i, param->NormalFromValue(param->Value()), true);
    }
}

void IEditorDelegate::DeliverMidiToEditor(const MidiShortMessage& msg) {
    if (IsEditorOpen()) controls_->DeliverMidi(msg);
    MidiReachedEditor(msg);
}

void IEditorDelegate::DeliverSysexToEditor(const SysExMessage& msg) {
    SysexReachedEditor(msg);
}

void IEditorDelegate::OnParamChange(int index, EParamSource /*source*/, int /*sampleOffset*/) {
    OnParamChange(index);
}

void IEditorDelegate::OnFrameworkTick() {
    ParamChange change;
    while (paramQueue_.Pop(change))
        DeliverParamToControls(change.index, change.value, false);
    MidiShortMessage msg;
    while (midiToEditor_.Pop(msg))
        DeliverMidiToEditor(msg);
    SysExEntry entry;
    while (sysexToEditor_.Pop(entry))
        DeliverSysexToEditor(entry.View());
    OnIdle();
}

} // namespace tolvane
