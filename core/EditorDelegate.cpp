#include "core/EditorDelegate.h"

#include "core/Param.h"

namespace tolvane {

void EditorDelegate::SetParamAndNotify(int index, double normalised) {
    Param* param = GetParam(index);
    if (!param) return;
    param->SetValue(param->ValueFromNormal(normalised));
    OnParamChange(index, kUI, -1);
}

void EditorDelegate::ParamChangeFromControl(int index, double normalised) {
    Param* param = GetParam(index);
    if (!param) return;
    SetParamAndNotify(index, normalised);
    param->SetValue(param->ValueFromNormal(normalised));
    ParamReachedControls(index, kUI);
}

void EditorDelegate::NotifyAllParams(ParamSource source) {
    for (int i = 0; i < NParams(); ++i) {
        OnParamChange(i, source, -1);
        ParamReachedControls(i, source);
    }
}

int EditorDelegate::UnserializeParams(const std::vector<std::uint8_t>& data, int startPos) {
    const int pos = params_.UnserializeParams(data, startPos);
    NotifyAllParams(kPresetRecall);
    return pos;
}

void EditorDelegate::SerializeParams(std::vector<std::uint8_t>& data) const {
    params_.SerializeParams(data);
}

bool EditorDelegate::QueueParamForControls(int index, double value, bool normalised) {
    if (normalised) {
        const Param* param = GetParam(index);
        if (!param) return false;
        value = param->ValueFromNormal(value);
    }
    return PushParamChange(ParamChange{index, value});
}

void EditorDelegate::DeliverParamToControls(int index, double value, bool normalised) {
    if (!IsEditorOpen()) return;
    const Param* param = GetParam(index);
    if (!param) return;
    controls_->SetParamNormalisedFromDelegate(index, normalised ? value : param->NormalFromValue(value));
    ParamReachedControls(index, kDelegate);
}

void EditorDelegate::PushAllValuesToControls() {
    for (int i = 0; i < NParams(); ++i) {
        const Param* param = GetParam(i);
        DeliverParamToControls(i, param->NormalFromValue(param->Value()), true);
    }
}

void EditorDelegate::DeliverMidiToEditor(const MidiShortMessage& msg) {
    if (IsEditorOpen()) controls_->DeliverMidi(msg);
    MidiReachedEditor(msg);
}

void EditorDelegate::DeliverSysexToEditor(const SysExMessage& msg) {
    SysexReachedEditor(msg);
}

void EditorDelegate::OnParamChange(int index, ParamSource /*source*/, int /*sampleOffset*/) {
    OnParamChange(index);
}

void EditorDelegate::OnFrameworkTick() {
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
