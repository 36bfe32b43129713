#include "core/EditorDelegate.h"

#include "core/Param.h"

namespace tolvane {

void EditorDelegate::SetParamAndNotify(int index, double normalised) {
    Param* param = GetParam(index);
    if (!param) return;
    param->SetValue(param->ValueFromNormal(normalised));
    OnParamChange(index, kUI, -1);
    if (!applyingHistory_ && FencesHistory(index)) FenceHistory();
}

void EditorDelegate::ParamChangeFromControl(int index, double normalised) {
    Param* param = GetParam(index);
    if (!param) return;
    const double before = param->NormalFromValue(param->Value());
    SetParamAndNotify(index, normalised);
    param->SetValue(param->ValueFromNormal(normalised));
    ParamReachedControls(index, kUI);
    if (!applyingHistory_ && IsUndoable(index)) {
        ForgetHistoryAfterLoad();
        history_.Record(index, before, param->NormalFromValue(param->Value()));
    }
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
    NoteValuesLoaded();
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
    return Queued(PushParamChange(ParamChange{index, value}));
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

// ---- 7. Undo and redo ----------------------------------------------------------

bool EditorDelegate::ForgetHistoryAfterLoad() {
    const unsigned loaded = valuesLoaded_.load(std::memory_order_acquire);
    if (loaded == valuesLoadedSeen_) return false;
    valuesLoadedSeen_ = loaded;
    history_.Clear();
    return true;
}

void EditorDelegate::BeginEditGesture(GestureKind kind, const void* source, double nowMs) {
    ForgetHistoryAfterLoad();
    if (history_.InGesture()) return; // a nested gesture belongs to the outer one
    history_.BeginGesture(kind, source, nowMs);
    gestureStart_.assign(static_cast<std::size_t>(NParams()), 0.0);
    for (int i = 0; i < NParams(); ++i)
        if (IsUndoable(i)) gestureStart_[static_cast<std::size_t>(i)] = GetParam(i)->GetNormalised();
}

void EditorDelegate::EndEditGesture() {
    if (!history_.InGesture()) return;
    // Values loaded, or a change that cannot be undone, during the press:
    // the press's step goes with the rest of the history.
    if (ForgetHistoryAfterLoad()) return;
    for (int i = 0; i < NParams() && static_cast<std::size_t>(i) < gestureStart_.size(); ++i) {
        if (!IsUndoable(i)) continue;
        const double now = GetParam(i)->GetNormalised();
        const double before = gestureStart_[static_cast<std::size_t>(i)];
        if (now != before) history_.Record(i, before, now);
    }
    history_.EndGesture();
}

void EditorDelegate::ApplyStep(const EditStep& step, bool undo) {
    applyingHistory_ = true;
    auto apply = [this, undo](const ParamEdit& e) {
        const double value = undo ? e.before : e.after;
        SetParamAndNotify(e.index, value);
        QueueParamForControls(e.index, value, true);
    };
    if (undo) {
        for (auto it = step.edits.rbegin(); it != step.edits.rend(); ++it)
            apply(*it);
    } else {
        for (const ParamEdit& e : step.edits)
            apply(e);
    }
    applyingHistory_ = false;
}

bool EditorDelegate::Undo() {
    ForgetHistoryAfterLoad();
    const auto step = history_.TakeUndo();
    if (!step) return false;
    ApplyStep(*step, true);
    return true;
}

bool EditorDelegate::Redo() {
    ForgetHistoryAfterLoad();
    const auto step = history_.TakeRedo();
    if (!step) return false;
    ApplyStep(*step, false);
    return true;
}

bool EditorDelegate::CanUndo() {
    ForgetHistoryAfterLoad();
    return history_.CanUndo();
}

bool EditorDelegate::CanRedo() {
    ForgetHistoryAfterLoad();
    return history_.CanRedo();
}

} // namespace tolvane
